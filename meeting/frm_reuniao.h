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
//   frm_reuniao_pending_edits.cpp  what is typed is kept before anything reloads it
//   frm_reuniao_room_needs.cpp  the places and equipment the room pick lists ask for, and
//                               the question before a meeting is saved in a room too small
//   frm_reuniao_suggestions.cpp "Sugerir horário": the next free slots with a room
// GUI thread only. Every entry from Qt into a handler passes the base library's guard.
#pragma once

#include <QPointer>
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/simple_form_base.h"
#include "messages/message_table.h"
#include "platform/client_data_set.h"
#include "platform/data_source.h"
#include "platform/series_dates.h"
#include "server/call_arg.h"
#include "server/server_connection.h"

class QAction;
class QCheckBox;
class QComboBox;
class QSpinBox;
class QChar;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QStackedWidget;
class QSplitter;
class QToolBar;
class QVBoxLayout;
class QCloseEvent;
class QChar;
class QRect;
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
class TSeriesDialog;
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
    // Closing while a record (the meeting, an activity, an agenda item, minutes) is being
    // inserted or edited asks "Canc" first; No keeps the window open with what was typed.
    bool FormCloseQuery() override;
    void FormClose() override;
    void netReuniaoBeforeConnect(TServerConnection& connection);
    // The application server's current date and time, asked anew at every call.
    TDateTime HoraServidor();

    // --- what the operator is typing (frm_reuniao_pending_edits.cpp) ---
    // What an action reloads, replaces or closes.
    enum class TReload {
        Everything,  // the list: the meeting (with its booking) and every detail
        Details,     // the current meeting's activities, agenda items and minutes
        Activities,
        Agenda,  // the agenda items, and with them the current item's minutes
        Minutes,
    };
    // The one rule of the window: before an action reloads, replaces or closes `what`, a
    // record of it being inserted or edited is kept by `rule` (refused with `refusalKey`
    // shown, asked about with "Canc", or posted first; TSimpleFormBase::KeepPendingEdits).
    // Returns when the action may go on, raises otherwise. Every reload path of the window
    // runs it with Ask, so an action that chooses no rule of its own asks.
    void KeepPendingWork(TReload what, TPendingEdit rule = TPendingEdit::Ask,
                         const std::string& refusalKey = {});
    // A record of `what` is being inserted or edited.
    bool HasPendingWork(TReload what);

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
    // Standard buttons by page (frm_reuniao_editing.cpp). On the list and form pages they act
    // on the meeting and its booking; on the other pages on dtsPadrao's dataset.
    void sbtIncluirClick() override;
    void sbtAlterarClick() override;
    void sbtExcluirClick() override;
    void sbtProcurarClick() override;
    void sbtConfirmarClick() override;
    void sbtCancelarClick() override;
    // The minutes report of the current meeting (DialogHooks().relAta).
    void sbtImprimirClick() override;
    // The page menu items: their page becomes active and alone checked; the enabling follows.
    void mnuReuniaoClick();
    void mnuFormularioClick();
    void mnuParticipantesClick();
    void mnuPautaClick();
    void mnuAtaClick();

    // Events of cdsControle (frm_reuniao_editing.cpp, frm_reuniao_saving.cpp).
    void cdsControleNewRecord();
    void cdsControleBeforeInsert();
    void cdsControleBeforeEdit();
    void cdsControleBeforePost();
    void cdsControleAfterPost();
    void cdsControleAfterCancel();
    void cdsControleBeforeDelete();
    void cdsControleAfterDelete();
    // Reloads the meeting list as the list is loaded now (exact day or parameter set), goes
    // back to stCodLocate and loads its details.
    void RecarregaReuniao();
    // GetAtividades of the current meeting into cdsAtividades.
    void CarregaAtividades();
    // True while the current meeting (or its booking) is being inserted or edited.
    bool EditandoReuniao() const;

    // Header of the meeting (frm_reuniao_header.cpp). A failing validator shows its message
    // and raises (EErrorShown); the offending edit has the focus.
    void vd_Referencia();
    void vd_Processo(bool required);
    void vd_Assunto(bool required);
    void vd_Projeto(bool required);
    void vd_Resp(bool required);
    void btnProcessoBeforePesq(bool& cancel);
    void btnProcessoAfterPesq();
    void btnAssuntoBeforePesq(bool& cancel);
    void btnAssuntoAfterPesq();
    void btnProjetoBeforePesq(bool& cancel);
    void btnProjetoAfterPesq();
    void btnResponBeforePesq(bool& cancel);
    void btnResponAfterPesq();
    void dbeProcessoChange();
    void dbeProcessoExit();
    void dbeAssuntoChange();
    void dbeAssuntoExit();
    void dbeCDProjetoChange();
    void dbeCDProjetoExit();
    void dbeRespChange();
    void dbeRespExit();
    void dbeRespKeyPress(QChar& key);
    void dbeDsReferenciaKeyPress(QChar& key);
    void grbFormularioExit();

    // Date, start time and duration of the meeting (frm_reuniao_date_time.cpp).
    void vd_DataIni(bool required);
    void vd_HoraIni(bool required);
    void vd_QtdeHoras(bool required);
    void vd_dtHrIni();
    void vd_Confirma();
    void depDataIniChange();
    void medHoraIniChange();
    void medQtdeHorasKeyPress(QChar& key);
    // Keys that change the duration without typing a character (Backspace, Delete, a paste
    // or a cut) start the edit as a typed digit does.
    void medQtdeHorasKeyDown(int& key, Qt::KeyboardModifiers modifiers);
    void depDataIniExit();
    void medHoraIniEnter();
    void medHoraIniExit();
    void medQtdeHorasEnter();
    void medQtdeHorasExit();
    void panHorasEnter();

    // Room booking (frm_reuniao_rooms.cpp).
    void btnPesqSalasBeforePesq(bool& cancel);
    void btnPesqSalasAfterPesq();
    void dbeCdSalasExit();
    void dbeCdSalasChange();
    void dbeCdSalasKeyDown(int& key, Qt::KeyboardModifiers modifiers);
    void dbeCdSalasKeyPress(QChar& key);
    void vd_sala();
    void cdsAgeAtiviSalaAfterEdit();
    void cdsAgeAtiviSalaAfterPost();
    void cdsSalasBeforeEdit();
    // The rooms' day of the branch (frm_reuniao_room_day.cpp).
    void btnAgendaSalasClick();
    // What the meeting needs of its room (frm_reuniao_room_needs.cpp): the pick list and the
    // rooms' day are narrowed to rooms of at least spnLugares places (0: any) that offer every
    // tag of edtEquipamentos. Places follow the current meeting's participants until the
    // operator changes them.
    void followRoomNeeds();
    // The operators taking part: those of the meeting's activities that are not cancelled,
    // or, without any (a new meeting), its responsible as typed.
    std::vector<std::string> ParticipantesReuniao();
    // Before a meeting is saved with a room other than the one it had: when its participants
    // outnumber the room's places, "sala_lotada" is asked; No ends the save (EAbort) with
    // everything typed kept and the focus on the room.
    void vd_Lotacao();
    // "Sugerir horário" (frm_reuniao_suggestions.cpp): the next free slots for the meeting's
    // participants, duration and room needs; a slot chosen is typed into the form.
    void btnSugerirHorarioClick();
    // Takes a slot picked in the rooms' day or among the suggestions as if typed: with
    // `withStart` the date and start (and, when given, the duration) first, then the room,
    // through the checks of leaving each field. A refused check raises with its message shown.
    void takeSlot(TDateTime day, int minute, const std::string& room, bool withStart,
                  const std::string& duration = {});

    // Activities that follow a saved meeting (frm_reuniao_activity_sync.cpp).
    void GravaAtividade();
    void AlteraAtividade();

    // The meeting's process tree code as typed, kept by the post for GravaAtividade.
    std::string stArvProcReuniao;

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
    // The participants' answers to the meeting's invitation (GetRespConvite, one call for the
    // whole grid), read while the activities page is shown; elsewhere they are dropped, as
    // they belong to the activities loaded.
    void CarregaRespostas();
    // "Aceitou", "Talvez", "Recusou" or "" (no answer) for activity `activity`.
    std::string RespostaAtividade(const std::string& activity) const;

    // --- agenda items and minutes ---
    // Agenda items (frm_reuniao_agenda.cpp). An item may be added unless the meeting is
    // cancelled or concluded, and changed only while it is pending; refusals are silent.
    void cdsItemTarefaBeforeInsert();
    void cdsItemTarefaNewRecord();
    // The new item's number, from the server.
    void cdsItemTarefaAfterInsert();
    void cdsItemTarefaBeforeEdit();
    // Checks the subject and the responsible operator, then stamps the meeting, the saving
    // operator, the server time and the note.
    void cdsItemTarefaBeforePost();
    // Also the after-delete handler: sends the change at once, then refreshes the agenda.
    void cdsItemTarefaAfterPost();
    void cdsItemTarefaAfterCancel();
    // The note, the minutes and the minutes page's caption of the new current item.
    void cdsItemTarefaAfterScroll();
    // The responsible operator's code widened to 12 characters, checked with the server, and
    // its name filled; a blank code is accepted.
    void VdOperResp();
    // A change of the note starts editing the current item.
    void memObsChange();
    // A key that would change the note; set to 0 to discard it.
    void memObsKeyPress(QChar& key);
    // The memo shows the current item's note (cleared without an item); its change handler is
    // detached meanwhile, so showing a note never starts an edit.
    void ShowItemNote();
    void dsgAssuntoDrawColumnCell(TCanvas& canvas, const QRect& rect, int dataCol, TField* field,
                                  int state);
    // The ellipsis of the responsible operator's column: the operator pick list.
    void dsgAssuntoEditButtonClick();
    // Minutes (frm_reuniao_minutes.cpp): written unless the meeting is cancelled or concluded.
    void cdsDescItTareBeforeInsert();
    void cdsDescItTareBeforeEdit();
    // Refuses blank minutes and stamps the keys of the current agenda item.
    void cdsDescItTareBeforePost();
    // Also the after-delete handler: sends the change at once, then refreshes the minutes.
    void cdsDescItTareAfterPost();
    void cdsDescItTareAfterCancel();

    // --- cancellation and agenda import ---
    // (frm_reuniao_cancellation.cpp) btnCanReuniao and mnuCanReuniao: cancels the current
    // meeting.
    void btnCanReuniaoClick();
    // Cancels meeting `number` of branch `branch` once the operator says Yes: a notice to
    // every participant but the operator, the activities and the meeting cancelled on the
    // server, the room freed, the list reloaded with the meeting current. A failing server
    // step is shown, then "Cancel_N_Ok", and ends the operation; the steps done stay done.
    // `following`: then the later open meetings of its series, each with the same server
    // steps and notices.
    void CancelaReuniao(std::string branch, std::string number, bool following = false);

    // (frm_reuniao_calendar.cpp) btnExpCalendario and mnuExpCalendario: asks for a file and
    // saves the current meeting there as an iCalendar invitation (a cancellation for a
    // cancelled meeting). A cancelled file dialog does nothing.
    void btnExpCalendarioClick();
    void ExportaCalendario(std::string branch, std::string number);

    // (frm_reuniao_history.cpp) btnHistorico and mnuHistorico: shows the current meeting's
    // history ("Histórico", window-modal, newest first, filtered by kind). Refused with
    // "hist_dig" while the meeting or one of its details is being typed: the history shows
    // what is stored.
    void btnHistoricoClick();

    // (frm_reuniao_import.cpp) sbtImpArq and mnuImportar: keeps the current meeting as the
    // destination of an agenda import and opens the import dialog.
    void sbtImpArqClick();
    // After an agenda import: with boImpParticipantes set and the operator's Yes, books the
    // source meeting's participants into the destination meeting at its times. Then clears
    // boImpParticipantes and reloads the list. A failure ends it before that: the flag stays
    // set and the list as it was.
    void InsereParticipante();
    // The meeting an agenda is imported from (set by the import dialog) and into (set by
    // sbtImpArqClick).
    std::string stFilialOrigem;
    std::string stTarefaOrigem;
    std::string stFilialDestino;
    std::string stTarefaDestino;
    // Set by the import dialog's confirm; cleared when InsereParticipante ends normally.
    bool boImpParticipantes = false;

    // --- recurring meetings (frm_reuniao_series.cpp) ---
    // The repeat choice changed: the weekdays show for a weekly rule, the ending and the
    // taken-room choice for any rule.
    void cbxRepeteChange();
    // The series dialog ("Série da reunião") of the current meeting, when it belongs to one.
    void mnuSerieClick();
    // Adds a skipped date of the current meeting's series back (SetSerieReinclui), shows
    // what it got and reloads the list and the open series dialog.
    void ReincluiData(TDateTime date);
    // Saves the current meeting's whole series as one iCalendar file (asks for the file).
    void ExportaSerie();
    // The series number of the current meeting; "" for a single meeting.
    std::string SerieAtual() const;

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
    TFlatButton* btnAgendaSalas = nullptr;
    // What the meeting needs of its room, and the slot suggestions.
    QFrame* panSalaPedido = nullptr;
    QSpinBox* spnLugares = nullptr;
    QLineEdit* edtEquipamentos = nullptr;
    TFlatButton* btnSugerirHorario = nullptr;

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
    QAction* mnuSugerirHorario = nullptr;
    TFlatButton* btnExpCalendario = nullptr;
    QAction* mnuExpCalendario = nullptr;
    TFlatButton* btnHistorico = nullptr;
    QAction* mnuHistorico = nullptr;

    // The repeat choice beside the date/time row and the series menu entry.
    QFrame* panRepete = nullptr;
    QComboBox* cbxRepete = nullptr;  // Não se repete / Todo dia útil / Toda semana / Todo mês
    std::array<QCheckBox*, 7> chkDiaSemana{};  // Seg .. Dom
    QComboBox* cbxFimSerie = nullptr;          // Até (a date) / Após (a number)
    TDatePickerEdit* depFimSerie = nullptr;
    QSpinBox* spnQtdeSerie = nullptr;
    QComboBox* cbxConflito = nullptr;  // Sem sala / Pular a data
    QAction* mnuSerie = nullptr;
    // The series dialog while it is open.
    QPointer<TSeriesDialog> dlgSerie;

  protected:
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
    void buildRoomNeedsRow(QWidget* parent);
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
    // Points dtsPadrao at the data set of the active page, however the page became active.
    void followPageDataSet();
    // A tab is being picked (the new page is shown already; raising brings the old one back).
    void pgcReuniaoChanging();
    // The datasets of `what` that may hold a record being typed, details before the meeting.
    std::vector<TClientDataSet*> pendingIn(TReload what);
    // The status buttons' positions the list's filter was last applied with (Pendente,
    // Andamento, Cancelada, Concluída): a refused filter puts them back.
    std::array<bool, 4> m_statusApplied{true, true, false, false};
    // Set while IniProc brings the window to the front (its activation shows the list page).
    bool m_bringingToFront = false;
    QMetaObject::Connection m_pageFollow;

    void applyCodeMasks();

    // Private parts of record editing, lookups, date/time and rooms.
    void attachEditingHandlers();
    void attachHeaderHandlers();
    void attachDateTimeHandlers();
    void attachRoomHandlers();
    // The page menu items with their pages, in menu order.
    std::array<std::pair<QAction*, QWidget*>, 5> pageMenuItems() const;
    void selectPageFromMenu(QWidget* page);
    // Include and change on the list and form pages.
    void includeMeeting();
    void changeMeeting();
    void deleteMeeting();
    // The date, time and room controls and their colours, as verificaSala leaves them.
    void enableDateTimeRoom(bool enabled);
    // True when no activity of the current meeting has started or ended (loads them).
    bool noActivityStarted();
    // The four checks that come before anything is done with the room.
    void checkMeetingWindow();
    // Drops the room typed or booked: both edits cleared and the booking's CDSALA emptied.
    void dropRoom();
    // The start, date/time and duration edits changed: a browsed meeting goes into edit and
    // loses its room.
    void meetingTimeChanged();
    // Booking writes of the post (steps that fill cdsAgeAtiviSala) and of the after-post.
    void writeBooking(const std::string& reference, TDateTime oldDay, const std::string& oldStart);
    void sendBooking();
    // The meeting's start as the edits give it ("dd/mm/yyyy hh:mm" -> date-time).
    TDateTime typedStart() const;
    // The end time of the edits as a date-time (depDataFin and medHoraFin).
    TDateTime typedEnd() const;
    // The day of depDataIni (EConvertError when it is no date).
    TDateTime typedDay() const;
    // Runs `check`; on a failure switches to the form page, focuses `control` and raises.
    void onFailureFocus(QWidget* control, bool toFormPage, const std::function<void()>& check);
    // Shows `key`'s message after focusing `control` and raises.
    [[noreturn]] void fail(QWidget* control, const std::string& key);
    // The group box's focus is watched for grbFormularioExit.
    void watchFormGroupFocus();
    // A save the server did not take whole: the meeting went back into edit as typed, and the
    // next confirm sends what is missing (the meeting again unless the server has it, then
    // its booking, activities and the list). A cancel gives up what is missing.
    struct UnsentSave {
        bool pending = false;
        // Begun as a new meeting: it keeps its number, and its activities and series are
        // still to be made.
        bool inserted = false;
        // The server has the meeting; its booking is what is missing.
        bool meetingTaken = false;
    };
    UnsentSave m_unsent;
    // A new meeting is being saved: inserted, or a new one whose save is to be resumed.
    bool insertingMeeting() const;
    // The meeting is moving away from its stored booking, which stays the current row of
    // cdsAgeAtiviSala until the meeting itself is saved; only then is it deleted and the
    // booking for the new time inserted.
    bool m_oldBookingGoes = false;
    // The booking row's values as typed (name, value), to type them again after a failed send.
    std::vector<std::pair<std::string, Variant>> bookingValues() const;
    void setBookingValues(const std::vector<std::pair<std::string, Variant>>& values);
    // After a booking step the server did not take (the meeting is saved): the booking and the
    // meeting go back into edit with what was typed.
    void reopenBooking(const std::vector<std::pair<std::string, Variant>>& typed, bool wasInsert);
    // How many of the bookings getFindSala found in the typed window for room `code` are the
    // meeting's own stored booking (0 or 1).
    int ownBookingsInWindow(const std::string& code);
    // The booking's room as loaded (the value to compare the typed room with).
    std::string m_loadedRoom;
    // The meeting the room needs were set for ("" none yet; a new one counts as "+").
    std::string m_roomNeedsFor;
    int m_roomNeedsPlaces = 0;  // the places it set, which the operator may have changed since
    // The room request of the pick lists: places, tags, and "S" for only the rooms that fit.
    std::vector<CallArg> roomRequestArgs() const;

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
    std::map<std::string, std::string> m_respostas;  // activity number -> answer letter
    bool m_respostasLidas = false;                   // read for the activities loaded

    // Private parts of the agenda and minutes pages.
    void attachAgendaHandlers();
    void attachMinutesHandlers();
    // Silent abort unless there is a current meeting that is neither cancelled nor concluded.
    void checkMeetingOpen();
    // panAssunto: "NRSEQUITTARE - DSREFEITTARE" of the current agenda item.
    void showItemCaption();

    // Private parts of cancellation and import.
    void attachCancellationAndImport();
    // The calendar export's button and menu entry, and their enabling (list and form pages,
    // a meeting current, not being edited).
    void buildCalendarExport();
    void updateCalendarExport();
    void buildHistory();
    void updateHistory();
    // The server steps of a cancellation: notices, activities, meeting, room.
    void enviaCancelamento(std::string& branch, std::string& number);
    // One personal notice per participant of cdsAtivReuniao other than the operator.
    void avisaParticipantes();
    // Withdraws the notices of a cancellation that did not go through, as far as the server
    // can still be reached: no participant is told of a cancellation that did not happen.
    void retiraAvisos();
    // How far the server steps of the cancellation under way went: the notices left so far
    // and whether the server has marked the meeting cancelled.
    struct CancelProgress {
        struct Notice {
            std::string op;
            int number = 0;
            std::string text;
        };
        std::vector<Notice> notices;
        bool cancelled = false;
    } cancelProgress;
    // The reason given for the cancellation under way ("" for none), at most
    // kMaxMotivoCancelamento characters; a notice text holds at most kMaxTextoAviso.
    static constexpr int kMaxMotivoCancelamento = 200;
    static constexpr size_t kMaxTextoAviso = 1000;
    std::string motivoCancelamento;
    // Reloads the list as it was loaded (one exact day, or the parameter set) and makes
    // meeting `number` current again when the status filter shows it.
    void recarregaLista(const std::string& number);

    // Private parts of recurring meetings.
    void buildRepeatRow(QWidget* parent);
    void buildSeriesMenu();
    // Enables the repeat choice only while a meeting is being inserted (outside insert it
    // goes back to "Não se repete"), and the series menu entry for a meeting of a series.
    void updateSeriesControls();
    // A new meeting's insert starts with "Não se repete" and the weekday of `day` checked.
    void resetRepeatChoice(TDateTime day);
    // Until a rule is chosen, the weekday boxes follow the start date typed.
    void followStartWeekday();
    // The rule typed on the form page; nullopt for "Não se repete".
    std::optional<SeriesRule> typedSeriesRule() const;
    // The post's part for series: a new meeting's rule is checked (its message shown, the
    // post refused) and kept for after the save; a changed series meeting asks whether the
    // change goes to this meeting only or to the following ones too.
    void vd_Serie(TDateTime oldStart, TDateTime newStart, const std::string& oldRoom);
    // The after-post's part: the other occurrences created or changed on the server, the
    // result shown after the list reload (`reload`).
    void enviaSerie(const std::function<void()>& reload);
    // Shows the dates of a series packet (DTOCORSERIE, NRTAREFA, IDSITOCOR, NMSALA).
    void mostraResultadoSerie(const std::string& title, const std::string& text,
                              const Variant& packet);
    // Cancels, after meeting `number`, every later open meeting of its series `series` with
    // the cancellation's server steps; returns how many were cancelled. A failure withdraws
    // that meeting's notices and raises; those cancelled before stay cancelled.
    int cancelaSeguintes(const std::string& branch, const std::string& series,
                         const std::string& number);
    std::optional<SeriesRule> m_novaSerie;  // the rule of the meeting being inserted
    std::string m_conflitoSerie;            // its taken-room choice: "S" or "P"
    struct FollowingChange {
        int minutes = 0;
        std::string room;  // blank: each keeps its room
    };
    std::optional<FollowingChange> m_seguintes;  // "Esta e as seguintes" chosen at the post

    QVBoxLayout* m_clientLayout = nullptr;
    bool m_closed = false;  // FormClose ran
};

namespace Cli_zel00400 {
// Opens the meeting window: creates it once (boIdCriado) and brings it to the front, under the
// busy animation. Raises what creation raised, after hiding the animation and resetting the
// cursor; the half-made window is gone and boIdCriado stays false.
void CriaReuniao();
}  // namespace Cli_zel00400
