#include "base/lookup_button.h"

#include "base/dialogs.h"
#include "base/guard.h"
#include "base/suite_icons.h"

TLookupButton::TLookupButton(QWidget* parent) : TFlatButton(parent) {
    setIcon(Icon(SuiteIcon::Lookup));
    setToolTip(QStringLiteral("Pesquisar"));
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
