// TFilterFormBase: the base window of the suite's filter dialogs, a modal dialog.
//
// It holds the confirm and cancel buttons (sbtConfirma, sbtCancel), the options button with
// its popup ppmOpcoes (btfSaveOpc: save the dialog's options; btfLoadOpc: load them), the
// group box grbFiltroPadrao where the derived dialog puts its controls, the screen code label
// lblCodTela and the message table msgPadrao (the derived dialog's).
//
// Saved options: the states of the check boxes and radio buttons and the texts of the date
// edits (TDatePickerEdit) inside grbFiltroPadrao, by object name, plus a key/value option list
// the derived dialog fills (SetOption) before the base save runs. They are kept per operator
// in the host's settings file (QSettings with the application's organisation and application
// names), in a group named after the screen code. Loading sets only what was saved; controls
// without a saved state keep theirs. Setting a check box or radio button runs its toggled
// handlers, as a click would.
//
// Handlers are virtual; a derived dialog overrides them and calls the base version where the
// base behaviour is wanted. Every entry from Qt runs through the guard. Closing the dialog
// (title bar, Esc, cancel) runs sbtCancelClick and only hides it: the instance and its members
// live on for the next opening. FormActivate runs each time the dialog is shown.
#pragma once

#include <QDialog>
#include <map>
#include <string>

#include "messages/message_table.h"

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QSettings;
class QVBoxLayout;
class TFlatButton;

class TFilterFormBase : public QDialog {
    Q_OBJECT
  public:
    explicit TFilterFormBase(QWidget* parent = nullptr);
    ~TFilterFormBase() override;

    // --- inherited components ---
    TFlatButton* sbtConfirma;
    TFlatButton* sbtCancel;
    TFlatButton* sbtOpcoes;  // shows ppmOpcoes
    QMenu* ppmOpcoes;
    QAction* btfSaveOpc;
    QAction* btfLoadOpc;
    QGroupBox* grbFiltroPadrao;
    QVBoxLayout* grbFiltroPadraoLayout;  // derived dialogs add their group boxes here
    QLabel* lblCodTela;
    // The dialog's own table; derived dialogs point it at theirs.
    const TMessageTable* msgPadrao = nullptr;

    // Runs FormCreate once (through the guard); derived constructors call it at their end.
    void Create();

    // --- handlers ---
    virtual void FormCreate() {}
    virtual void FormActivate() {}
    virtual void sbtConfirmaClick() {}
    // Hides the dialog with the result Cancel.
    virtual void sbtCancelClick();
    // Saves the option list and the states of the controls.
    virtual void btfSaveOpcClick();
    // Loads the option list and the saved states of the controls.
    virtual void btfLoadOpcClick();

    // --- option list ---
    void SetOption(const std::string& key, const std::string& value);
    // The value in the option list; `fallback` when the key is not there.
    std::string Option(const std::string& key, const std::string& fallback = {}) const;
    // The value saved in the settings file; `fallback` when none was saved.
    std::string SavedOption(const std::string& key, const std::string& fallback = {}) const;
    const std::map<std::string, std::string>& Options() const { return m_options; }

    // The settings group of this dialog: the screen code, else the object name.
    QString SettingsGroup() const;

    // Hides the dialog with the result OK (the derived confirm ends with it).
    void CloseConfirmed() { QDialog::accept(); }

    // Esc and the title bar cancel through sbtCancelClick.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void openSettings(QSettings& settings) const;
    std::map<std::string, std::string> m_options;
};
