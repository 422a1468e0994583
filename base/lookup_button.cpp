#include "base/lookup_button.h"

#include "base/dialogs.h"
#include "base/guard.h"

TLookupButton::TLookupButton(QWidget* parent) : TFlatButton(parent) {
    setText(QStringLiteral("..."));
    OnClick = [this] { Pesquisa(); };
}

bool TLookupButton::Pesquisa() {
    bool picked = false;
    Guard([&] {
        bool cancel = false;
        if (BeforePesq) BeforePesq(cancel);
        if (cancel || !LookupSource) return;
        if (!SearchDialog(*LookupSource, Captions)) return;
        if (AfterPesq) AfterPesq();
        picked = true;
    });
    return picked;
}
