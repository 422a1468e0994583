// TRoutineForm: the base window of the suite's routine dialogs (a modal dialog that runs one
// routine on confirmation, such as registering several records at once).
//
// It holds the confirm button sbtConfirma and the close button sbtFechar on the top panel, the
// group box grbDadosRel where the derived dialog puts its controls, the screen code label
// lblCodTela and the message table msgPadrao (the derived dialog's).
//
// Handlers are virtual; a derived dialog overrides them and calls the base version where the
// base behaviour is wanted. Every entry from Qt runs through the guard. Closing the dialog
// (title bar, Esc, sbtFechar, or CloseRoutine after a confirmation) runs FormClose once per
// closing; the base FormClose hides the dialog and leaves its deletion to its owner.
#pragma once

#include <QDialog>

#include "messages/message_table.h"

class QGroupBox;
class QLabel;
class QVBoxLayout;
class TFlatButton;

class TRoutineForm : public QDialog {
    Q_OBJECT
  public:
    explicit TRoutineForm(QWidget* parent = nullptr);
    ~TRoutineForm() override;

    // --- inherited components ---
    TFlatButton* sbtConfirma;
    TFlatButton* sbtFechar;
    QGroupBox* grbDadosRel;
    QVBoxLayout* grbDadosRelLayout;  // derived dialogs add their controls here
    QLabel* lblCodTela;
    // The dialog's own table; derived dialogs point it at theirs.
    const TMessageTable* msgPadrao = nullptr;

    // Runs FormCreate once (through the guard); derived constructors call it at their end.
    void Create();

    // --- handlers ---
    virtual void FormCreate() {}
    virtual void sbtConfirmaClick() {}
    // Ends the dialog (hidden, result Cancel unless CloseRoutine set OK).
    virtual void FormClose();

    // Closes the dialog after its routine ran, with the result OK.
    void CloseRoutine();

    // Esc and the title bar close through FormClose.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void closeWith(int result);
    bool m_closing = false;
};
