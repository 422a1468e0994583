// Unit Cli_zel00401: the agenda import dialog TfrmImpReuniao ("Selecione a reunião desejada",
// screen code ZEL00401).
//
// The operator picks an earlier meeting of the branch; on confirm every agenda item of that
// meeting is copied on the server into the meeting window's destination meeting
// (stFilialDestino, stTarefaDestino, set by the window's import button), the meeting list is
// reloaded and the window offers to import the source meeting's participants as well
// (InsereParticipante). The dialog stays open after a confirm; Esc or "Fechar" closes it.
// Enter confirms and Esc closes wherever the focus is inside the dialog.
//
// A fresh instance per opening: CriaImpReuniao creates one when there is none (boIdCriado),
// and closing destroys it. It needs the meeting window (Cli_zel00400::frmReuniao) open: its
// connection serves the candidates and the copy. GUI thread only.
#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <string>

#include "messages/message_table.h"
#include "platform/client_data_set.h"
#include "platform/data_source.h"

class QFrame;
class QGroupBox;
class QLabel;
class TDBGrid;
class TFlatButton;
class TfrmReuniao;

class TfrmImpReuniao : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmImpReuniao(QWidget* parent = nullptr);
    ~TfrmImpReuniao() override;

    // --- components ---
    QGroupBox* grbDadosRel;
    TDBGrid* dbgReuniao;
    QFrame* panMenu;
    TFlatButton* sbtHelp;
    TFlatButton* sbtCancel;
    TFlatButton* sbtConfirma;
    QLabel* lblCodTela;  // hidden
    const TMessageTable* msgPadrao;
    TClientDataSet cdsReuniao{"cdsReuniao"};  // candidate source meetings (read-only)
    TClientDataSet cdsImpAssunto{"cdsImpAssunto"};
    TDataSource dtsReuniao{&cdsReuniao};
    TDataSource dtsImpAssunto{&cdsImpAssunto};

    // Whether the dialog is centred when shown (the platform's poScreenCenter): it is then
    // placed over the centre of the main window's client area instead.
    bool PositionScreenCenter = true;
    // Help context of the dialog, used when the focused control has none (property
    // "HelpContext" of a control, an int).
    int HelpContext = 0;

    std::string Msg(const std::string& key) const { return msgPadrao->Msg(key); }

    // --- handlers ---
    // Loads the candidates (GetReuniao) for the meeting window's current meeting.
    void FormActivate();
    // Copies the selected meeting's agenda into the destination meeting, reloads the list
    // and runs the window's InsereParticipante. Any failure of the copy is shown, followed
    // by "Arq_Cad", and ends the confirm; items copied before it stay copied.
    void sbtConfirmaClick();
    void sbtCancelClick();
    // Opens the application help at the focused control's help context, else the dialog's.
    void sbtHelpClick();
    // The help context sbtHelpClick opens.
    int HelpContextToOpen() const;

    // Esc and the title bar close like "Fechar".
    void reject() override;
    // Closing destroys the instance: the next opening creates a new one.
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Key preview: Enter and Esc are seen here before the focused control gets them.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildGrid();
    void buildButtons();
    void centraliza();
    void copiaAssuntos(TfrmReuniao& window);
    bool m_boCentraliza = false;
};

namespace Cli_zel00401 {

// The current instance (nullptr when none is open).
extern QPointer<TfrmImpReuniao> frmImpReuniao;
// True while an instance exists.
extern bool boIdCriado;

// Opens the dialog modally, creating a new instance when there is none.
void CriaImpReuniao();

// The application's help viewer: sbtHelpClick hands it the help context to open. Without
// one installed the help button does nothing.
void SetHelpViewer(std::function<void(int context)> viewer);

// Unit finalisation: destroys an instance left (while the application object exists).
void Finalization();

}  // namespace Cli_zel00401
