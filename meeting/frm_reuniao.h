// TfrmReuniao: the meeting control window ("Controle de Reunião", screen code ZEL00400), an
// MDI child of the host's main window, one at a time (Cli_zel00400::frmReuniao).
//
// The window is created only by CriaReuniao. Its components carry the names the rest of the
// module uses (panels, buttons, the five pages with their grids and edits, menus, data
// sources, message tables, the connection netReuniao and every client dataset). Handlers are
// methods, spread over several .cpp files by concern:
//   frm_reuniao.cpp             construction, datasets and data sources, message tables
//   frm_reuniao_panels.cpp      top panel buttons, bottom bar, main menu
//   frm_reuniao_pages.cpp       the five pages and their controls
//   frm_reuniao_lifecycle.cpp   CriaReuniao, FormCreate, FormActivate, FormClose, the
//                               connection and the server clock
//   frm_reuniao_list.cpp        loading and filtering the meeting list, status texts, drawing
//   frm_reuniao_navigation.cpp  "Ir Para", "Hoje", "Filtrar", refresh, page switching
//   frm_reuniao_details.cpp     what is loaded when the current meeting changes
//   frm_reuniao_state.cpp       enabling of the header, buttons, menu items and pages
// GUI thread only. Every entry from Qt into a handler passes the base library's guard.
#pragma once

#include <QPointer>
#include <functional>
#include <string>

#include "base/simple_form_base.h"
#include "messages/message_table.h"
#include "platform/client_data_set.h"
#include "platform/data_source.h"
#include "server/server_connection.h"

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QStackedWidget;
class QSplitter;
class QToolBar;
class QVBoxLayout;
class QCloseEvent;
class TCanvas;
struct TColumn;
class TDatePickerEdit;
class TDBEdit;
class TDBGrid;
class TDBNavigator;
class TDBRichEdit;
class TFlatButton;
class TLookupButton;
class TMaskEdit;
class TPageControlEx;
class TRichFormatBar;
class TSortableDBGrid;
class TToolButtonEx;

class TfrmReuniao : public TSimpleFormBase {
    Q_OBJECT
  public:
    // Design size of the window.
    static constexpr int kDesignWidth = 766;
    static constexpr int kDesignHeight = 475;

    // Builds the window and runs FormCreate (connects netReuniao). Use CriaReuniao.
    explicit TfrmReuniao(QWidget* parent = nullptr);
    ~TfrmReuniao() override;

    // Run on netReuniao before FormCreate connects it, in every new window: lets a test or a
    // tool route the window's calls elsewhere (an in-process server, a call recorder).
    static void SetConnectionSetup(std::function<void(TServerConnection&)> setup);

    // --- lifecycle (frm_reuniao_lifecycle.cpp) ---
    void FormCreate() override;
    void FormActivate() override;
    // Shows the window as an MDI child, brings it to the front and runs its activation
    // (exceptions go to the caller: CriaReuniao).
    void BringToFront();
    void FormClose() override;
    void netReuniaoBeforeConnect(TServerConnection& connection);
    // The application server's current date and time, asked anew at every call.
    TDateTime HoraServidor();

    // --- meeting list (frm_reuniao_list.cpp) ---
    // Reloads cdsControle with the parameter set (from the filter dialog first in filter mode).
    void Atualiza();
    // Applies the status tool bar's filter to cdsControle and returns to stCodLocate.
    void FILTRA_CONTROLE();
    // GetControle with the parameter set as it is, into cdsControle.
    void CarregaControle();
    void tbtPendenteClick();
    void tbtAndamentoClick();
    void tbtCanceladaClick();
    void tbtConcluidaClick();
    void cdsControleIDSITTAREFAGetText(TField& sender, std::string& text, bool displayText);
    void dbgTarefasDrawColumnCell(TCanvas& canvas, const QRect& rect, int dataCol, TField* field,
                                  int state);
    // Text of a message of the window's table (msgPadrao).
    std::string Msg(const std::string& key) const { return msgPadrao->Msg(key); }

    // The page menu items (mnuReuniaoClick and its twins) with their page.
    void SelectPageFromMenu(QWidget* page);

    // --- day navigation, filter, refresh and pages (frm_reuniao_navigation.cpp) ---
    // "Ir Para": the meetings of one day picked in the go-to-day dialog (exact-day mode).
    void btnIrParaDiaClick();
    // "Hoje": today's meetings; in exact-day mode with the other parameters kept.
    void BtnHojeDiaClick();
    // "Filtrar": the filter dialog loads the list; the status buttons follow its choices.
    void btnFiltroClick();
    // Refresh of the active page's data.
    void sbtVerificarClick() override;
    // The page changed (tabs, filter or code): dtsPadrao follows the page.
    void pgcReuniaoChange();

    // --- the current meeting's details (frm_reuniao_details.cpp) ---
    void cdsControleBeforeScroll();
    // Loads the agenda items, activities and minutes of the current meeting, enables the
    // header and fills the date/time row and the room booking.
    void cdsControleAfterScroll();
    void cdsControleAfterOpen();
    // Availability of the date, time and room controls and the edit permission boEdit.
    void verificaSala();

    // --- enabling (frm_reuniao_state.cpp) ---
    // Enables the header controls for the current meeting's status, then the room check and
    // the enabling rules.
    void AfterScroll();
    // The enabling rules of the buttons, menu items and pages for dtsPadrao's data set and
    // state and the current meeting's status.
    void dtsPadraoStateChange() override;

    // --- record editing, header lookups, date/time rules, room booking and the activities
    // that follow a saved meeting ---

    // --- participants' activities and the participants grid ---
    // The activity record (frm_reuniao_activities.cpp). The guards refuse silently; the
    // checks show their message, focus the offending field and end the operation.
    void cdsAtividadesNewRecord();
    void cdsAtividadesAfterInsert();
    void cdsAtividadesBeforeInsert();
    void cdsAtividadesBeforeEdit();
    void cdsAtividadesBeforeDelete();
    void cdsAtividadesBeforePost();
    // Sends the changes (SetAtividades), then refreshes the page (sbtVerificarClick).
    void cdsAtividadesAfterPost();
    // Sends the deletion, then concludes the meeting when no open activity is left.
    void cdsAtividadesAfterDelete();
    void cdsAtividadesAfterCancel();
    void cdsAtividadesIDSITATIVTARGetText(TField& sender, std::string& text, bool displayText);
    void cdsAtividadesQTHRPATIVTAREChange(TField& sender);
    void cdsAtividadesDTINPATIVTARGetText(TField& sender, std::string& text, bool displayText);
    void cdsAtividadesDTINPATIVTARSetText(TField& sender, const std::string& text);
    // `required`: true at post, false when the grid's column is left.
    void vd_ProcPart(bool required);
    void vd_OperPart(bool required);
    void vd_ItemTrab(bool required);
    void vd_DataInicio(const std::string& text, bool required);
    // True when a start typed in the grid is invalid (shows nothing).
    bool vd_setText(const std::string& text);
    void vd_qtdeHoraAtiv(bool required);
    // DTFIPATIVTAR from the start and the duration.
    void vd_SomaHora();
    // After an activity of meeting `meeting` was deleted: when none of its activities is open
    // any more, the server concludes it; the list is then refreshed (`refresh`) and shown.
    void ConcTarefa(bool refresh, std::string meeting);
    // The automatic participant registration (button btnCadAuto, menu mnuCadPart).
    void btnCadAutoClick();
    // The grid dbgPadrao (frm_reuniao_participants_grid.cpp).
    void cdsAtividadesAfterScroll();
    void dbgPadraoDrawColumnCell(TCanvas& canvas, const QRect& rect, int dataCol, TField* field,
                                 int state);
    void dbgPadraoEditButtonClick();
    void dbgPadraoColEnter();
    void dbgPadraoColExit();
    void dbgPadraoCellClick(const TColumn& column);
    void dbgPadraoKeyDown(int& key, Qt::KeyboardModifiers modifiers);
    void dbgPadraoDblClick();
    void dbgPadraoKeyPress(QChar& key);

    // --- agenda items and minutes ---

    // --- cancellation and agenda import ---

    // --- components ---
    // Message tables (msgPadrao: the window's texts; msgMensagensPadroes: the base form's
    // standard confirmations) are the base form's members. A message table of this window by
    // component name ("msgPadrao", any case); nullptr when the window has none of that name.
    const TMessageTable* MessageTable(const std::string& name) const;

    TServerConnection netReuniao;

    TClientDataSet cdsControle{"cdsControle"};
    TClientDataSet cdsAgeAtiviSala{"cdsAgeAtiviSala"};
    TClientDataSet cdsSalas{"cdsSalas"};
    TClientDataSet cdsVdSala{"cdsVdSala"};
    TClientDataSet cdsPesqSala{"cdsPesqSala"};
    TClientDataSet cdsSeqSalas{"cdsSeqSalas"};
    TClientDataSet cdsDadosSalas{"cdsDadosSalas"};
    TClientDataSet cdsAuxAtiv{"cdsAuxAtiv"};
    TClientDataSet cdsProcesso{"cdsProcesso"};
    TClientDataSet cdsAssunto{"cdsAssunto"};
    TClientDataSet cdsProjeto{"cdsProjeto"};
    TClientDataSet cdsResp{"cdsResp"};
    TClientDataSet cdsVdResp{"cdsVdResp"};
    TClientDataSet cdsAtividades{"cdsAtividades"};
    TClientDataSet cdsValOper{"cdsValOper"};
    TClientDataSet cdsValProc{"cdsValProc"};
    TClientDataSet cdsValPesqItTrab{"cdsValPesqItTrab"};
    TClientDataSet cdsItemTarefa{"cdsItemTarefa"};
    TClientDataSet cdsDescItTare{"cdsDescItTare"};
    TClientDataSet cdsPesqOper{"cdsPesqOper"};
    TClientDataSet cdsTestaReuniao{"cdsTestaReuniao"};
    TClientDataSet cdsAtivReuniao{"cdsAtivReuniao"};
    TClientDataSet cdsPesqProc{"cdsPesqProc"};
    TClientDataSet cdsPesqPart{"cdsPesqPart"};
    TClientDataSet cdsPesqItemTrab{"cdsPesqItemTrab"};
    TClientDataSet cdsAtividadesAux{"cdsAtividadesAux"};
    TClientDataSet cdsCarregaAtividade{"cdsCarregaAtividade"};
    TClientDataSet cdsAlteraAtiv{"cdsAlteraAtiv"};
    TClientDataSet cdsConcTarefa{"cdsConcTarefa"};
    TClientDataSet cdsHoraServidor{"cdsHoraServidor"};

    TDataSource dtsControle{&cdsControle};
    TDataSource dtsAtividade{&cdsAtividades};
    TDataSource dtsItemTarefa{&cdsItemTarefa};
    TDataSource dtsDescItTare{&cdsDescItTare};
    TDataSource dtsAgeAtiviSala{&cdsAgeAtiviSala};
    TDataSource dtsSalas{&cdsSalas};
    TDataSource dtsProcesso{&cdsProcesso};
    TDataSource dtsAssunto{&cdsAssunto};
    TDataSource dtsProjeto{&cdsProjeto};
    TDataSource dtsResp{&cdsResp};
    TDataSource dtsVdResp{&cdsVdResp};
    TDataSource dtsPesqOper{&cdsPesqOper};
    TDataSource dtsPesqProc{&cdsPesqProc};
    TDataSource dtsPesqPart{&cdsPesqPart};
    TDataSource dtsPesqItemTrab{&cdsPesqItemTrab};

    // Top panel: the window's own flat buttons and the hidden check-box pictures.
    TFlatButton* btnFiltro = nullptr;
    TFlatButton* btnIrParaDia = nullptr;
    TFlatButton* btnHojeDia = nullptr;
    TFlatButton* sbtImpArq = nullptr;
    TFlatButton* btnCadAuto = nullptr;
    TFlatButton* btnCanReuniao = nullptr;
    QLabel* imgChecked = nullptr;
    QLabel* imgUnchecked = nullptr;

    // Bottom bar.
    QFrame* Panel3 = nullptr;
    TDBNavigator* dbnPadrao = nullptr;
    QLabel* dbtNavigator = nullptr;
    QToolBar* tbtFiltro = nullptr;
    TToolButtonEx* tbtPendente = nullptr;
    TToolButtonEx* tbtAndamento = nullptr;
    TToolButtonEx* tbtCancelada = nullptr;
    TToolButtonEx* tbtConcluida = nullptr;

    // Pages.
    TPageControlEx* pgcReuniao = nullptr;
    QWidget* tshReuniao = nullptr;
    QWidget* tshFormulario = nullptr;
    QWidget* tshParticipantes = nullptr;
    QWidget* tshPauta = nullptr;
    QWidget* tshAta = nullptr;

    // "Reunião": the meeting list.
    QStackedWidget* ntbReuniao = nullptr;
    TSortableDBGrid* dbgTarefas = nullptr;

    // "Formulário": the meeting header, date/time row and room row.
    QGroupBox* grbFormulario = nullptr;
    QLabel* lblReferencia = nullptr;
    QLabel* lblProcesso = nullptr;
    QLabel* lblAssuTare = nullptr;
    QLabel* lblProjeto = nullptr;
    QLabel* lblFuncTare = nullptr;
    TDBEdit* dbeDsReferencia = nullptr;
    TDBEdit* dbeProcesso = nullptr;
    TDBEdit* dbeNmProcesso = nullptr;
    TLookupButton* btnProcesso = nullptr;
    TDBEdit* dbeAssunto = nullptr;
    TDBEdit* dbeNmAssunto = nullptr;
    TLookupButton* btnAssunto = nullptr;
    TDBEdit* dbeCDProjeto = nullptr;
    TDBEdit* dbeNMProjeto = nullptr;
    TLookupButton* btnProjeto = nullptr;
    TDBEdit* dbeResp = nullptr;
    TDBEdit* dbeNmResp = nullptr;
    TLookupButton* btnRespon = nullptr;
    QFrame* panDtHr = nullptr;
    TDatePickerEdit* depDataIni = nullptr;
    TMaskEdit* medHoraIni = nullptr;
    TMaskEdit* medQtdeHoras = nullptr;
    TDatePickerEdit* depDataFin = nullptr;
    TMaskEdit* medHoraFin = nullptr;
    QFrame* panHoras = nullptr;
    TDBEdit* dbeCdSalas = nullptr;
    TLookupButton* btnPesqSalas = nullptr;
    TDBEdit* dbeNmSala = nullptr;

    // "Atividades": the participants grid.
    TDBGrid* dbgPadrao = nullptr;

    // "Pauta": agenda items and the item's note.
    QSplitter* splPauta = nullptr;
    TSortableDBGrid* dsgAssunto = nullptr;
    QPlainTextEdit* memObs = nullptr;

    // "Ata": the minutes of the current agenda item.
    TRichFormatBar* FormatPanel2 = nullptr;
    QLabel* panAssunto = nullptr;
    TDBRichEdit* dbrDescricao = nullptr;

    // Main menu entries of the window (mnuMenu, mnuOperacao, mnuManutencao are the base form's).
    QAction* mnuReuniao = nullptr;
    QAction* mnuFormulario = nullptr;
    QAction* mnuParticipantes = nullptr;
    QAction* mnuPauta = nullptr;
    QAction* mnuAta = nullptr;
    QAction* mnuFiltro = nullptr;
    QAction* mnuIrPara = nullptr;
    QAction* mnuHoje = nullptr;
    QAction* mnuImportar = nullptr;
    QAction* mnuCadPart = nullptr;
    QAction* mnuCanReuniao = nullptr;

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void declareDataSets();
    void buildTopPanel();
    void buildBottomBar();
    void buildMenu();
    void buildPages();
    void buildListPage();
    void buildFormPage();
    void buildDateTimeRow(QWidget* parent);
    void buildRoomRow(QWidget* parent);
    void buildActivitiesPage();
    void buildAgendaPage();
    void buildMinutesPage();
    void attachHandlers();
    void attachListHandlers();
    // The date/time row from the current meeting, its change handlers detached; `withEnd`
    // also fills the end time.
    void fillDateTimeRow(bool withEnd);
    void loadRoomBooking();
    // The minutes of the current agenda item into cdsDescItTare.
    void loadMinutes();
    // StTimeToReal with its failure shown as "VAL_INV" (ends the operation).
    double timeTextToReal(const std::string& text);
    void setPageEnabled(QWidget* page, bool enabled);
    void showDescription();

    void applyCodeMasks();

    // Private parts of record editing, lookups, date/time and rooms.

    // Private parts of the activities page and the participants grid.
    void attachActivityHandlers();
    void attachParticipantsGridHandlers();
    // SetAtividades with the change log, under the busy animation; merges the log once sent.
    void sendActivityChanges();
    // Runs `check`; on any failure focuses field `fieldName` of cdsAtividades and rethrows.
    void focusActivityFieldOnFailure(const char* fieldName, const std::function<void()>& check);
    // Focuses field `fieldName` of cdsAtividades and shows message `key` (ends the operation).
    [[noreturn]] void failAtActivityField(const char* fieldName, const std::string& key);
    // The meeting's responsible operator is the logged-in one.
    bool isMeetingResponsible() const;
    // The current activity's start day is not after the workstation's date.
    bool activityStartsByToday() const;
    // The check column's permission messages, in their order (ends the operation).
    void checkParticipationPermission();
    void setCheckColumnReadOnly(bool readOnly);
    bool m_focusingActivityField = false;  // a check moves the focus: no column-exit check

    // Private parts of the agenda and minutes pages.

    // Private parts of cancellation and import.

    QVBoxLayout* m_clientLayout = nullptr;
    // The window counts as active from BringToFront until it is deactivated, so the
    // activation event that showing it causes does not run FormActivate a second time.
    bool m_active = false;
    bool m_closed = false;  // FormClose ran
};

namespace Cli_zel00400 {
// Opens the meeting window: creates it once (boIdCriado) and brings it to the front, under the
// busy animation. Raises what creation raised, after hiding the animation and resetting the
// cursor; the half-made window is gone and boIdCriado stays false.
void CriaReuniao();
}  // namespace Cli_zel00400
