// The participants' activities of the current meeting (cdsAtividades): the guards that refuse
// changes to closed work, numbering, stamping and validation at post, sending the changes,
// the status and start texts, the checks shared with the participants grid, the conclusion
// of a meeting whose last open activity went, and the automatic participant registration.
#include <QAction>
#include <QApplication>
#include <QMainWindow>

#include "base/application_window.h"
#include "base/buttons.h"
#include "base/db_grid.h"
#include "base/guard.h"
#include "base/login_context.h"
#include "base/page_control_ex.h"
#include "base/routines.h"
#include "meeting/activity_time_rules.h"
#include "meeting/busy_scope.h"
#include "meeting/cli_zel00400.h"
#include "meeting/dataset_rows.h"
#include "meeting/frm_reuniao.h"
#include "meeting/time_rules.h"
#include "platform/routines.h"
#include "server/check_server_result.h"

using namespace Cli_zel00400;

namespace {

std::string Letter(const TClientDataSet& ds, const char* field) {
    return ds.Active() && !ds.IsEmpty() ? ds.FieldByName(field).AsString() : std::string();
}

bool Closed(const std::string& status) {
    return status == "X" || status == "C";
}

// A code typed through its picture is blank when it holds no letter or digit ("  .  .   ").
bool IsBlankCode(const std::string& text) {
    for (unsigned char c : text)
        if (std::isalnum(c)) return false;
    return true;
}

}  // namespace

void TfrmReuniao::attachActivityHandlers() {
    TClientDataSet& a = cdsAtividades;
    a.OnNewRecord = [this](TClientDataSet&) { cdsAtividadesNewRecord(); };
    a.AfterInsert = [this](TClientDataSet&) { cdsAtividadesAfterInsert(); };
    a.BeforeInsert = [this](TClientDataSet&) { cdsAtividadesBeforeInsert(); };
    a.BeforeEdit = [this](TClientDataSet&) { cdsAtividadesBeforeEdit(); };
    a.BeforeDelete = [this](TClientDataSet&) { cdsAtividadesBeforeDelete(); };
    a.BeforePost = [this](TClientDataSet&) { cdsAtividadesBeforePost(); };
    a.AfterPost = [this](TClientDataSet&) { cdsAtividadesAfterPost(); };
    a.AfterDelete = [this](TClientDataSet&) { cdsAtividadesAfterDelete(); };
    a.AfterCancel = [this](TClientDataSet&) { cdsAtividadesAfterCancel(); };
    a.FieldByName("IDSITATIVTAR").OnGetText = [this](TField& f, std::string& t, bool d) {
        cdsAtividadesIDSITATIVTARGetText(f, t, d);
    };
    a.FieldByName("QTHRPATIVTARE").OnChange = [this](TField& f) {
        cdsAtividadesQTHRPATIVTAREChange(f);
    };
    TField& start = a.FieldByName("DTINPATIVTAR");
    start.OnGetText = [this](TField& f, std::string& t, bool d) {
        cdsAtividadesDTINPATIVTARGetText(f, t, d);
    };
    start.OnSetText = [this](TField& f, const std::string& t) {
        cdsAtividadesDTINPATIVTARSetText(f, t);
    };
    btnCadAuto->OnClick = [this] { btnCadAutoClick(); };
    connect(mnuCadPart, &QAction::triggered, this,
            [this] { Guard([this] { btnCadAutoClick(); }); });
}

// --- dataset events ---

void TfrmReuniao::cdsAtividadesNewRecord() {
    cdsAtividades.FieldByName("IDOPERPAREUNIAO").SetAsString("N");
}

void TfrmReuniao::cdsAtividadesAfterInsert() {
    cdsAtividades.FieldByName("IDOPERPAREUNIAO").SetAsString("N");
}

void TfrmReuniao::cdsAtividadesBeforeInsert() {
    if (Closed(Letter(cdsControle, "IDSITTAREFA"))) throw EAbort();
    cdsAtividades.FieldByName("CDARVPROCESS").FocusControl();
}

void TfrmReuniao::cdsAtividadesBeforeEdit() {
    if (Closed(Letter(cdsControle, "IDSITTAREFA"))) throw EAbort();
    if (Closed(Letter(cdsAtividades, "IDSITATIVTAR"))) throw EAbort();
}

void TfrmReuniao::cdsAtividadesBeforeDelete() {
    if (Closed(Letter(cdsAtividades, "IDSITATIVTAR"))) throw EAbort();
}

void TfrmReuniao::cdsAtividadesBeforePost() {
    TClientDataSet& a = cdsAtividades;
    if (a.State() == dsInsert) {
        const std::string branch = cdsControle.FieldByName("CDFILIAL").AsString();
        const std::string meeting = cdsControle.FieldByName("NRTAREFA").AsString();
        a.FieldByName("CDFILIAL").SetAsString(branch);
        a.FieldByName("NRTAREFA").SetAsString(meeting);
        // A failed call raises; a successful number is taken as it comes.
        a.FieldByName("NRPLATIVTARE")
            .SetAsString(netReuniao.AppServer()
                             .Call("GetPrxPlanAtivTare", {Arg(branch), Arg(meeting)})
                             .AsString());
        a.FieldByName("IDSITATIVTAR").SetAsString("P");
    }
    a.FieldByName("DTINCATIVTAR").SetAsDateTime(HoraServidor());
    a.FieldByName("CDOPERINCL").SetAsString(CurrentOperator());

    vd_ProcPart(true);
    vd_ItemTrab(true);
    vd_OperPart(true);
    vd_DataInicio(a.FieldByName("DTINPATIVTAR").Text(), true);
    vd_qtdeHoraAtiv(true);
    const std::string duration = a.FieldByName("QTHRPATIVTARE").Text();
    a.FieldByName("QTHRPATIVTAR").SetAsFloat(timeTextToReal(ActivityDurationTimeText(duration)));
    vd_SomaHora();
}

void TfrmReuniao::cdsAtividadesAfterPost() {
    sendActivityChanges();
    sbtVerificarClick();
}

void TfrmReuniao::cdsAtividadesAfterDelete() {
    sendActivityChanges();
    if (cdsControle.Active() && !cdsControle.IsEmpty())
        ConcTarefa(true, cdsControle.FieldByName("NRTAREFA").AsString());
}

void TfrmReuniao::cdsAtividadesAfterCancel() {
    cdsAtividades.CancelUpdates();
}

void TfrmReuniao::sendActivityChanges() {
    if (cdsAtividades.ChangeCount() == 0) return;
    {
        reuniao::BusyScope busy(ApplicationMainWindow(), 1);
        CheckServerResult(
            netReuniao.AppServer().Call("SetAtividades", {Arg(cdsAtividades.Delta())}), true, 0);
    }
    // The server has applied the changes: they must neither travel again with the next post
    // nor come back with a cancel.
    cdsAtividades.MergeChangeLog();
}

// --- field texts ---

void TfrmReuniao::cdsAtividadesIDSITATIVTARGetText(TField& sender, std::string& text, bool) {
    const std::string key = StatusMessageKey(sender.AsString());
    text = key.empty() ? std::string() : Msg(key);
}

void TfrmReuniao::cdsAtividadesQTHRPATIVTAREChange(TField& sender) {
    const TField* selected = dbgPadrao->SelectedField();
    if (!selected || selected->FieldName() != "QTHRPATIVTARE") return;
    const bool hasStart = !IsBlankDateTimeText(cdsAtividades.FieldByName("DTINPATIVTAR").Text());
    if (IsBlank(sender.Text())) return;
    if (hasStart) {
        cdsAtividades.Edit();
        return;
    }
    auto handler = std::move(sender.OnChange);
    struct Reattach {
        TField& field;
        std::function<void(TField&)>& handler;
        ~Reattach() { field.OnChange = std::move(handler); }
    } reattach{sender, handler};
    m_focusingActivityField = true;
    cdsAtividades.FieldByName("DTINPATIVTAR").FocusControl();
    m_focusingActivityField = false;
    sender.Clear();
    ShowErrorMessage(Msg("DTDEVE"), true);
}

void TfrmReuniao::cdsAtividadesDTINPATIVTARGetText(TField& sender, std::string& text, bool) {
    text = sender.IsNull() ? std::string() : ActivityStartText(sender.AsDateTime());
}

void TfrmReuniao::cdsAtividadesDTINPATIVTARSetText(TField& sender, const std::string& text) {
    if (IsBlankDateTimeText(text)) return;
    if (vd_setText(text)) ShowErrorMessage(Msg("DTHR_INV"), true);
    sender.SetAsDateTime(StrToDateTime(text));
}

// --- checks ---

void TfrmReuniao::focusActivityFieldOnFailure(const char* fieldName,
                                              const std::function<void()>& check) {
    try {
        check();
    } catch (...) {
        m_focusingActivityField = true;
        Guard([&] { cdsAtividades.FieldByName(fieldName).FocusControl(); });
        m_focusingActivityField = false;
        throw;
    }
}

void TfrmReuniao::failAtActivityField(const char* fieldName, const std::string& key) {
    focusActivityFieldOnFailure(fieldName, [&] { ShowErrorMessage(Msg(key), true); });
    throw EAbort();  // not reached: the message raises
}

void TfrmReuniao::vd_ProcPart(bool required) {
    focusActivityFieldOnFailure("CDARVPROCESS", [&] {
        std::string code = TrimAll(GridColumnText(*dbgPadrao, "CDARVPROCESS"));
        if (IsBlankCode(code)) {
            if (required) ShowErrorMessage(Msg("Procdeve"), true);
            return;
        }
        cdsValProc.SetData(
            CheckServerResult(netReuniao.AppServer().Call("GetValProc", {ArgRef(code)}), true, 0));
        if (cdsValProc.IsEmpty()) ShowErrorMessage(Msg("PROCNCAD"), true);
        for (const char* name : {"CDARVPROCESS", "CDPROCESSO", "NMPROCESSO"})
            cdsAtividades.FieldByName(name).SetAsString(cdsValProc.FieldByName(name).AsString());
    });
}

void TfrmReuniao::vd_OperPart(bool) {
    focusActivityFieldOnFailure("CDOPERRESP", [&] {
        TField& participant = cdsAtividades.FieldByName("CDOPERRESP");
        if (IsBlank(participant.Text())) return;
        participant.SetAsString(PadField(participant.AsString(), 12));
        cdsValOper.SetData(CheckServerResult(
            netReuniao.AppServer().Call("GetValOper", {Arg(participant.AsString())}), true, 0));
        if (cdsValOper.IsEmpty()) ShowErrorMessage(Msg("PARTCAD"), true);
        cdsAtividades.FieldByName("NMOPERADOR")
            .SetAsString(cdsValOper.FieldByName("NMOPERADOR").AsString());
    });
}

void TfrmReuniao::vd_ItemTrab(bool) {
    focusActivityFieldOnFailure("CDARVITTRAB", [&] {
        if (!Editing(cdsAtividades)) return;
        const std::string code = cdsAtividades.FieldByName("CDARVITTRAB").Text();
        if (IsBlankCode(code)) return;
        const std::string levels = IntToStr(PictureMaskObject(15).levels);
        cdsValPesqItTrab.SetData(CheckServerResult(
            netReuniao.AppServer().Call("GetValPesqItTrab", {Arg(levels), Arg(code)}), true, 0));
        // An unknown code leaves no name and no code behind.
        for (const char* name : {"NMITEMTRAB", "CDITEMTRAB"})
            cdsAtividades.FieldByName(name).SetAsString(
                cdsValPesqItTrab.IsEmpty() ? std::string()
                                           : cdsValPesqItTrab.FieldByName(name).AsString());
        if (cdsValPesqItTrab.IsEmpty()) ShowErrorMessage(Msg("ITTRABNCAD"), true);
    });
}

void TfrmReuniao::vd_DataInicio(const std::string& text, bool required) {
    focusActivityFieldOnFailure("DTINPATIVTAR", [&] {
        if (!Editing(cdsAtividades)) return;
        const std::string key = ActivityStartError(
            text, required, cdsAtividades.State() == dsInsert, [this] { return HoraServidor(); });
        if (!key.empty()) ShowErrorMessage(Msg(key), true);
    });
}

bool TfrmReuniao::vd_setText(const std::string& text) {
    return ActivityStartTextInvalid(text, [this] { return HoraServidor(); });
}

void TfrmReuniao::vd_qtdeHoraAtiv(bool required) {
    const std::string key =
        ActivityDurationError(cdsAtividades.FieldByName("QTHRPATIVTARE").Text(), required);
    if (!key.empty()) failAtActivityField("QTHRPATIVTARE", key);
}

void TfrmReuniao::vd_SomaHora() {
    TClientDataSet& a = cdsAtividades;
    const ActivityEnd end = ActivityEndOf(a.FieldByName("DTINPATIVTAR").AsDateTime(),
                                          a.FieldByName("QTHRPATIVTARE").Text());
    if (!end.error.empty()) failAtActivityField("DTINPATIVTAR", end.error);
    a.FieldByName("DTFIPATIVTAR").SetAsDateTime(end.end);
    a.FieldByName("QTHRPATIVTARE").SetAsString(end.duration);
}

// --- meeting conclusion and registration ---

void TfrmReuniao::ConcTarefa(bool refresh, std::string meeting) {
    std::string branch = CurrentBranch();
    cdsConcTarefa.SetData(CheckServerResult(
        netReuniao.AppServer().Call("GetConcTarefa", {ArgRef(branch), ArgRef(meeting)}), true, 0));
    if (!cdsConcTarefa.IsEmpty()) return;
    CheckServerResult(
        netReuniao.AppServer().Call("GetUpdConcTarefa", {ArgRef(branch), ArgRef(meeting)}), true,
        0);
    if (refresh) Atualiza();
    // The list page is shown, and the standard buttons act on the list again.
    pgcReuniao->SetActivePage(tshReuniao);
    pgcReuniaoChange();
}

void TfrmReuniao::btnCadAutoClick() {
    // The menu item stays enabled whatever the button says, so its rules are checked here as
    // well. The registration reloads cdsAtividades at its end: an activity being typed is
    // to be posted or cancelled first, and stays as typed.
    KeepPendingWork(TReload::Activities, TPendingEdit::Refuse, "cad_part_ativ");
    // A meeting not yet stored has no number to book against; closed meetings take no more
    // participants (the button is disabled for them).
    const std::string m = Letter(cdsControle, "IDSITTAREFA");
    if (m.empty() || Closed(m) || Editing(cdsControle)) throw EAbort();
    if (const auto& open = DialogHooks().rotiParticipa) open();
}
