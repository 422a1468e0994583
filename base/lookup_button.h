// TLookupButton: the button beside a code edit that opens a pick list. A click runs
// BeforePesq (the form fills LookupSource's dataset, or sets `cancel`), then the search dialog
// over LookupSource, then, after a pick, AfterPesq. All through the guard.
#pragma once

#include <functional>
#include <string>

#include "base/buttons.h"

class TDataSource;

class TLookupButton : public TFlatButton {
    Q_OBJECT
  public:
    explicit TLookupButton(QWidget* parent = nullptr);

    TDataSource* LookupSource = nullptr;
    // "title|message when the list is empty".
    std::string Captions;
    std::function<void(bool& cancel)> BeforePesq;
    std::function<void()> AfterPesq;

    // What a click does; true when a row was picked and AfterPesq ran.
    bool Pesquisa();
};
