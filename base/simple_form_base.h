// TSimpleFormBase: the base window of the suite's maintenance windows (an MDI child).
//
// It holds the top panel panMenu with the standard buttons (sbtConfirmar, sbtCancelar,
// sbtIncluir, sbtAlterar, sbtExcluir, sbtProcurar, sbtVerificar, sbtImprimir, sbtAjuda,
// sbtFechar) and the label dbtNome, the main menu mnuMenu with mnuOperacao and mnuManutencao,
// the data source dtsPadrao the buttons act on, the screen code label lblCodTela, and the
// message tables msgPadrao (the derived window's, set by it) and msgMensagensPadroes (the
// standard confirmations "Canc" and "Excl").
//
// The buttons call virtual handlers; a derived window overrides them and calls the base
// version first where the base's behaviour is wanted. Every handler runs through the guard.
// mnuManutencao starts with one item per state-driven button (confirm, cancel, include,
// change, delete, find, refresh): an item does what its button does and is enabled exactly
// while its button is, whoever sets the button.
// Below the top panel, ClientArea() is where the derived window puts its content.
//
// Nothing the operator typed is lost without his say: every action that reloads, replaces or
// closes a dataset passes it through KeepPendingEdits first, which refuses the action, asks,
// or posts the record being typed, as the action chooses. Confirm first runs the exit of the
// control that has the focus, so the checks of leaving a field also run when the operator
// confirms without leaving it (the tool buttons take no focus).
#pragma once

#include <QWidget>

#include <string>
#include <utility>
#include <vector>

#include "base/buttons.h"
#include "base/suite_icons.h"
#include "messages/message_table.h"
#include "platform/data_source.h"

class QAction;
class QLabel;
class QMenuBar;
class QMenu;
class QFrame;
class QVBoxLayout;
class QHBoxLayout;
class TClientDataSet;

// What an action that reloads, replaces or closes a dataset does first with a record of it
// that is still being inserted or edited.
enum class TPendingEdit {
    Refuse,  // the action is refused (with its reason, when one is given); the record stays
    Ask,     // "Canc" is asked: Yes cancels the record and the action goes on; No keeps it
    Post,    // the record is posted first, through its checks; a refused post ends the action
};

class TSimpleFormBase : public QWidget {
    Q_OBJECT
  public:
    explicit TSimpleFormBase(QWidget* parent = nullptr);
    ~TSimpleFormBase() override;

    // --- inherited components ---
    QFrame* panMenu;
    QHBoxLayout* panMenuLayout;  // derived windows add their own buttons here
    QLabel* dbtNome;
    TFlatButton* sbtConfirmar;
    TFlatButton* sbtCancelar;
    TFlatButton* sbtIncluir;
    TFlatButton* sbtAlterar;
    TFlatButton* sbtExcluir;
    TFlatButton* sbtProcurar;
    TFlatButton* sbtVerificar;
    TFlatButton* sbtImprimir;
    TFlatButton* sbtAjuda;
    TFlatButton* sbtFechar;
    QMenuBar* mnuMenu;
    QMenu* mnuOperacao;
    QMenu* mnuManutencao;
    QAction* mnuConfirmar = nullptr;
    QAction* mnuCancelar = nullptr;
    QAction* mnuIncluir = nullptr;
    QAction* mnuAlterar = nullptr;
    QAction* mnuExcluir = nullptr;
    QAction* mnuProcurar = nullptr;
    QAction* mnuVerificar = nullptr;
    QLabel* lblCodTela;
    TDataSource dtsPadrao;
    // The window's own table; derived windows point it at theirs.
    const TMessageTable* msgPadrao = nullptr;
    const TMessageTable& msgMensagensPadroes;

    QWidget* ClientArea() const { return m_client; }
    // Runs FormCreate once (through the guard); derived constructors call it at their end.
    void Create();

    // Keeps the operator's work before an action reloads, replaces or closes `dataSets`: the
    // records of them being inserted or edited are refused, asked about or posted by `rule`,
    // in the order given. Returns when the action may go on; otherwise raises (EAbort after a
    // refusal or a No, the post's own failure). `refusalKey`: a key of msgPadrao shown as a
    // notice when the rule refuses. Nothing is done when no record is pending.
    void KeepPendingEdits(const std::vector<TClientDataSet*>& dataSets, TPendingEdit rule,
                          const std::string& refusalKey = {});
    // Runs the exit of the control of this window that has the focus, leaving the focus where
    // it is (its checks raise, as leaving it would). What confirm does before it posts.
    void LeaveFocusedControl();

    // --- handlers ---
    virtual void FormCreate() {}
    // Runs when the window becomes the active MDI child of the application's MDI area: its
    // first activation there and every switch back to it from another MDI child. Not when the
    // main window merely regains the focus (a modal box or dialog closed over it, a return
    // from another application). A window outside an MDI area runs it only when its owner
    // calls it.
    virtual void FormActivate() {}
    // Asked before the window closes; false keeps it open (the close is refused). By default
    // a record of dtsPadrao's dataset being typed is asked about ("Canc").
    virtual bool FormCloseQuery();
    virtual void FormClose() {}
    // Standard actions on dtsPadrao's dataset.
    virtual void sbtConfirmarClick();  // Post
    virtual void sbtCancelarClick();   // asks "Canc"; Yes cancels
    virtual void sbtIncluirClick();    // Insert
    virtual void sbtAlterarClick();    // Edit
    virtual void sbtExcluirClick();    // asks "Excl"; Yes deletes
    virtual void sbtProcurarClick();   // FindRecordDialog
    virtual void sbtVerificarClick() {}
    virtual void sbtImprimirClick() {}
    virtual void sbtAjudaClick() {}
    virtual void sbtFecharClick();  // close()
    // The standard enabling of the buttons for dtsPadrao's state (browse: include, alter,
    // delete, find; edit/insert: confirm, cancel). Runs on every state change of dtsPadrao.
    virtual void dtsPadraoStateChange();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // While set, becoming the active MDI child does not run FormActivate (the owner runs it
    // itself, to see its exceptions).
    void SetActivationSilenced(bool silenced) { m_activationSilenced = silenced; }

  private:
    // An icon-only button of panMenu whose hint names what it does.
    TFlatButton* addButton(const char* name, SuiteIcon icon, const char* hint);
    // The menu item of `button` under mnuManutencao, captioned with the button's hint.
    QAction* addButtonItem(TFlatButton* button, const char* name);
    // Connects to the MDI area the window's frame belongs to (once per area).
    void watchMdiActivation();
    void mdiSubWindowActivated(QWidget* subWindow);
    QWidget* m_client;
    bool m_closing = false;
    bool m_activationSilenced = false;
    QObject* m_watchedArea = nullptr;
    // The last MDI child the area activated (nullptr activations, which the area reports
    // while the main window is inactive, are not counted).
    const QWidget* m_lastActiveSub = nullptr;
    // The state-driven buttons and their menu items.
    std::vector<std::pair<const QObject*, QAction*>> m_buttonItems;
};
