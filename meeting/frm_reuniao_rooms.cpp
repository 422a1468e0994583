// Room booking: whether the date, time and room controls may be used, the free-room pick list,
// the check of a typed room, dropping the room, and the booking written and sent with the
// meeting.
#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>

#include "base/busy_scope.h"
#include "base/date_picker_edit.h"
#include "base/db_edit.h"
#include "base/guard.h"
#include "base/handler_scope.h"
#include "base/login_context.h"
#include "base/lookup_button.h"
#include "base/mask_edit.h"
#include "base/page_control_ex.h"
#include "base/routines.h"
#include "meeting/cli_zel00400.h"
#include "meeting/dataset_rows.h"
#include "meeting/date_time_rules.h"
#include "meeting/frm_reuniao.h"
#include "meeting/reuniao_datasets.h"
#include "platform/routines.h"
#include "server/check_server_result.h"

using namespace Cli_zel00400;

namespace {

void SetBase(QWidget* w, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::Base, colour);
    w->setPalette(p);
}

// Some field of the current record differs from the value it was loaded with.
bool RecordChanged(const TClientDataSet& cds) {
    for (int i = 0; i < cds.FieldCount(); ++i) {
        const TField& f = cds.Fields(i);
        if (f.Value().IsNull() != f.OldValue().IsNull() || f.AsString() != f.OldValue().AsString())
            return true;
    }
    return false;
}

// cdsSalas holds the free rooms of the pick list, with what each offers in the order the
// server ranked them, or the bookings getFindSala found for a typed room: its fields follow
// what it is filled with.
void FillSalas(TClientDataSet& cds, const Variant& packet, bool freeRooms) {
    if ((cds.FindField("QTCAPACSALA") != nullptr) != freeRooms) {
        cds.Close();
        cds.ClearFields();
        if (freeRooms) {
            reuniao::DeclareSalasLivres(cds);
            cds.SetIndexFieldNames("");
        } else {
            reuniao::DeclareSalas(cds);
        }
    }
    cds.SetData(packet);
}

}  // namespace

void TfrmReuniao::attachRoomHandlers() {
    btnPesqSalas->BeforePesq = [this](bool& c) { btnPesqSalasBeforePesq(c); };
    btnPesqSalas->AfterPesq = [this] { btnPesqSalasAfterPesq(); };
    dbeCdSalas->OnExit = [this] { dbeCdSalasExit(); };
    dbeCdSalas->OnChange = [this] { dbeCdSalasChange(); };
    dbeCdSalas->OnKeyDown = [this](int& key, Qt::KeyboardModifiers m) {
        dbeCdSalasKeyDown(key, m);
    };
    dbeCdSalas->OnKeyPress = [this](QChar& key) { dbeCdSalasKeyPress(key); };
    // The room panel's only control that takes the focus is the room code.
    dbeCdSalas->OnEnter = [this] { panHorasEnter(); };
    cdsAgeAtiviSala.AfterEdit = [this](TClientDataSet&) { cdsAgeAtiviSalaAfterEdit(); };
    cdsAgeAtiviSala.AfterPost = [this](TClientDataSet&) { cdsAgeAtiviSalaAfterPost(); };
    cdsAgeAtiviSala.AfterDelete = [this](TClientDataSet&) { cdsAgeAtiviSalaAfterPost(); };
    cdsSalas.BeforeEdit = [this](TClientDataSet&) { cdsSalasBeforeEdit(); };
    btnAgendaSalas->OnClick = [this] { btnAgendaSalasClick(); };
    btnSugerirHorario->OnClick = [this] { btnSugerirHorarioClick(); };
    mnuSugerirHorario = mnuManutencao->addAction(QStringLiteral("Sugerir horário..."));
    mnuSugerirHorario->setObjectName("mnuSugerirHorario");
    connect(mnuSugerirHorario, &QAction::triggered, this, [this] {
        Guard([this] {
            // The form page first, as its tab would show it (what is typed elsewhere is kept
            // by the page change's rule).
            if (pgcReuniao->ActivePage() != tshFormulario) mnuFormularioClick();
            if (pgcReuniao->ActivePage() == tshFormulario) btnSugerirHorarioClick();
        });
    });
}

// --- availability of the date, time and room controls ---

void TfrmReuniao::enableDateTimeRoom(bool enabled) {
    panDtHr->setEnabled(enabled);
    for (QWidget* w : panHoras->findChildren<QLabel*>())
        w->setEnabled(enabled);
    for (QWidget* w : std::initializer_list<QWidget*>{depDataIni, medHoraIni, medQtdeHoras,
                                                      dbeCdSalas, btnPesqSalas, btnSugerirHorario})
        w->setEnabled(enabled);
    if (mnuSugerirHorario) mnuSugerirHorario->setEnabled(enabled);
    depDataIni->SetFocusButton(enabled);
    const QColor colour = enabled ? QColor(255, 255, 225) : QColor(240, 240, 240);
    SetBase(depDataIni->Edit(), colour);
    SetBase(medHoraIni, colour);
    SetBase(medQtdeHoras, colour);
}

bool TfrmReuniao::noActivityStarted() {
    DetachedHandler quiet(dtsPadrao.OnStateChange);
    CarregaAtividades();
    const DataPacket activities = cdsAtividades.DataAsPacket();
    const int status = activities.FieldIndex("IDSITATIVTAR");
    for (const PacketRow& row : activities.rows) {
        const std::string s = row.at(static_cast<size_t>(status)).AsString();
        if (s == "C" || s == "A") return false;
    }
    return true;
}

void TfrmReuniao::verificaSala() {
    if (cdsControle.State() == dsInsert) {
        enableDateTimeRoom(true);
        boEdit = true;
        return;
    }
    const std::string m = RowText(cdsControle, "IDSITTAREFA");
    if (m == "C" || m == "X") {
        enableDateTimeRoom(false);
        boEdit = true;  // the status refuses the edit itself
        return;
    }
    const bool free = cdsControle.IsEmpty() || noActivityStarted();
    enableDateTimeRoom(free);
    boEdit = free;
}

// --- the free-room pick list and the typed room ---

void TfrmReuniao::checkMeetingWindow() {
    vd_DataIni(true);
    vd_HoraIni(true);
    vd_dtHrIni();
    vd_QtdeHoras(true);
    // The end the rooms are searched for follows the start and duration as they are now.
    const std::optional<std::string> end = MeetingEndTime(medHoraIni->Text(), medQtdeHoras->Text());
    if (!end) fail(medHoraIni, "Reun_dia");
    medHoraFin->SetText(*end);
}

void TfrmReuniao::btnPesqSalasBeforePesq(bool&) {
    checkMeetingWindow();
    const std::string start = HourDigits(medHoraIni->Text());
    const std::string end = HourDigits(medHoraFin->Text());
    const TDateTime day = typedDay();
    const std::string room = RowText(cdsAgeAtiviSala, "CDSALA");
    // Narrowed to the rooms that fit what the meeting needs, the smallest that fits first.
    const std::vector<CallArg> request = roomRequestArgs();
    Variant result;
    if (IsBlank(room)) {
        std::vector<CallArg> args = {Arg(CurrentBranch()), ArgDate(day), Arg(start), Arg(end)};
        args.insert(args.end(), request.begin(), request.end());
        result = netReuniao.AppServer().Call("GetSalas", args);
    } else {
        // The meeting's own room is offered too: its own booking would hide it.
        std::string own = cdsControle.State() == dsEdit
                              ? cdsAgeAtiviSala.FieldByName("CDSALA").OldValue().AsString()
                              : room;
        std::vector<CallArg> args = {Arg(CurrentBranch()), ArgDate(day), ArgRef(own), Arg(start),
                                     Arg(end)};
        args.insert(args.end(), request.begin(), request.end());
        result = netReuniao.AppServer().Call("GetSalas2", args);
    }
    FillSalas(cdsSalas, CheckServerResult(result, true, 0), true);
    if (!cdsSalas.IsEmpty()) return;
    const bool narrowed =
        spnLugares->value() > 0 || !IsBlank(edtEquipamentos->text().toStdString());
    ShowErrorMessage(Msg(narrowed ? "salas_n_atendem" : "salas_cad"), true);
}

void TfrmReuniao::btnPesqSalasAfterPesq() {
    if (cdsControle.State() == dsBrowse) cdsControle.Edit();
    if (cdsAgeAtiviSala.State() == dsBrowse) cdsAgeAtiviSala.Edit();
    dbeCdSalas->SetText(RowText(cdsSalas, "CDSALA"));
    dbeNmSala->SetText(RowText(cdsSalas, "NMSALA"));
}

void TfrmReuniao::dbeCdSalasExit() {
    TField& room = cdsAgeAtiviSala.FieldByName("CDSALA");
    // A blank code stays blank: widened, it would name a room "00000".
    if (Editing(cdsControle) && Editing(cdsAgeAtiviSala) && !IsBlank(room.AsString()))
        room.SetAsString(PadField(room.AsString(), 5));
    cdsPesqSala.SetData(CheckServerResult(
        netReuniao.AppServer().Call("GetPesqSala", {Arg(CurrentBranch()), Arg(room.AsString())}),
        true, 0));
    vd_sala();
}

void TfrmReuniao::vd_sala() {
    if (IsBlank(dbeCdSalas->Text())) return;
    onFailureFocus(dbeCdSalas, false, [&] {
        const std::string code = PadField(dbeCdSalas->Text(), 5);
        cdsVdSala.SetData(CheckServerResult(
            netReuniao.AppServer().Call("getVdSala", {Arg(CurrentBranch()), Arg(code)}), true, 0));
        if (cdsVdSala.IsEmpty()) ShowErrorMessage(Msg("sala_n_cad"), true);
        FillSalas(
            cdsSalas,
            CheckServerResult(netReuniao.AppServer().Call(
                                  "getFindSala", {Arg(CurrentBranch()), ArgDate(typedDay()),
                                                  Arg(HourDigits(medHoraIni->Text())),
                                                  Arg(HourDigits(medHoraFin->Text())), Arg(code)}),
                              true, 0),
            false);
        // The meeting's own stored booking is no collision; any other booking found is.
        if (cdsSalas.RecordCount() > ownBookingsInWindow(code))
            ShowErrorMessage(Msg("sala_ja_cad"), true);
        dbeNmSala->SetText(RowText(cdsVdSala, "NMSALA"));
    });
}

int TfrmReuniao::ownBookingsInWindow(const std::string& code) {
    // The stored booking is the row being edited (its loaded values); a booking row being
    // inserted is not on the server yet.
    if (cdsAgeAtiviSala.State() != dsEdit) return 0;
    auto stored = [this](const char* field) {
        return cdsAgeAtiviSala.FieldByName(field).OldValue();
    };
    if (stored("CDSALA").IsNull() || stored("CDSALA").AsString() != code) return 0;
    if (stored("IDSITAGESALA").AsString() != "A" || stored("DTATIAGESALA").IsNull()) return 0;
    if (DateOf(stored("DTATIAGESALA").AsDateTime()) != typedDay()) return 0;
    // Windows are half-open, as the server compares them: 0900-1000 and 1000-1100 do not meet.
    const std::string start = HourDigits(medHoraIni->Text());
    const std::string end = HourDigits(medHoraFin->Text());
    return stored("HRINIAGESALA").AsString() < end && stored("HRFINAGESALA").AsString() > start ? 1
                                                                                                : 0;
}

void TfrmReuniao::dbeCdSalasChange() {
    if (Editing(cdsControle)) dbeNmSala->clear();
}

void TfrmReuniao::dropRoom() {
    if (!cdsAgeAtiviSala.Active()) return;
    dbeCdSalas->clear();
    dbeNmSala->clear();
    if (cdsAgeAtiviSala.State() == dsBrowse) cdsAgeAtiviSala.Edit();
    cdsAgeAtiviSala.FieldByName("CDSALA").Clear();
    cdsAgeAtiviSala.FieldByName("NMSALA").Clear();
}

void TfrmReuniao::dbeCdSalasKeyDown(int& key, Qt::KeyboardModifiers) {
    if (key != Qt::Key_Backspace && key != Qt::Key_Delete) return;
    checkMeetingWindow();
    dropRoom();
}

void TfrmReuniao::dbeCdSalasKeyPress(QChar& key) {
    if (key != QChar(8)) checkMeetingWindow();
}

void TfrmReuniao::cdsSalasBeforeEdit() {
    throw EAbort();
}

// --- the booking saved with the meeting ---

void TfrmReuniao::cdsAgeAtiviSalaAfterEdit() {
    if (cdsControle.State() == dsBrowse) cdsControle.Edit();
}

void TfrmReuniao::cdsAgeAtiviSalaAfterPost() {
    if (cdsAgeAtiviSala.ChangeCount() == 0) return;
    {
        BusyScope busy(this, 1);
        CheckServerResult(netReuniao.AppServer().Call("SetSalas", {Arg(cdsAgeAtiviSala.Delta())}),
                          true, 0);
    }
    // Taken by the server: a later send must not repeat it.
    cdsAgeAtiviSala.MergeChangeLog();
}

void TfrmReuniao::writeBooking(const std::string& reference, TDateTime oldDay,
                               const std::string& oldStart) {
    const TDateTime day = typedDay();
    const bool moved = day != oldDay || medHoraIni->Text() != oldStart;
    // A moved meeting gives up its stored booking and books anew, with a new sequence; the
    // stored one goes only once the meeting itself is saved (sendBooking). Until then the row
    // keeps its stored values, so a save the server refuses leaves the room booked as it was.
    if (moved && cdsAgeAtiviSala.State() == dsEdit && !cdsAgeAtiviSala.IsEmpty())
        m_oldBookingGoes = true;
    if (!Editing(cdsAgeAtiviSala)) return;
    auto set = [this](const char* field, const std::string& value) {
        cdsAgeAtiviSala.FieldByName(field).SetAsString(value);
    };
    set("CDFILIAL", CurrentBranch());
    set("NRTAREFA", cdsControle.FieldByName("NRTAREFA").AsString());
    cdsAgeAtiviSala.FieldByName("DTATIAGESALA").SetAsDateTime(day);
    if (cdsAgeAtiviSala.State() == dsInsert) set("NRSEQAGESALA", stSeq);
    set("IDSITAGESALA", "A");
    set("DSAGENDASALA", reference);
    set("HRINIAGESALA", HourDigits(medHoraIni->Text()));
    set("HRFINAGESALA", HourDigits(medHoraFin->Text()));
    set("CDOPERADOR", CurrentOperator());
}

std::vector<std::pair<std::string, Variant>> TfrmReuniao::bookingValues() const {
    std::vector<std::pair<std::string, Variant>> values;
    if (!Editing(cdsAgeAtiviSala)) return values;
    for (int i = 0; i < cdsAgeAtiviSala.FieldCount(); ++i)
        values.emplace_back(cdsAgeAtiviSala.Fields(i).FieldName(),
                            cdsAgeAtiviSala.Fields(i).Value());
    return values;
}

void TfrmReuniao::setBookingValues(const std::vector<std::pair<std::string, Variant>>& values) {
    for (const auto& [name, value] : values)
        cdsAgeAtiviSala.FieldByName(name).SetValue(value);
}

void TfrmReuniao::sendBooking() {
    const bool typed = !IsBlank(dbeCdSalas->Text());
    if (m_oldBookingGoes && cdsAgeAtiviSala.State() == dsEdit) {
        // The meeting is saved at its new time: its stored booking goes first (the server
        // allows a meeting one booking), then the booking typed is inserted.
        const auto values = bookingValues();
        cdsAgeAtiviSala.Cancel();
        cdsAgeAtiviSala.Delete();
        m_oldBookingGoes = false;
        if (!typed) return;
        cdsAgeAtiviSala.Insert();
        setBookingValues(values);
        cdsAgeAtiviSala.FieldByName("NRSEQAGESALA").SetAsString(stSeq);
        cdsAgeAtiviSala.Post();
        return;
    }
    if (cdsAgeAtiviSala.State() == dsInsert) {
        if (typed)
            cdsAgeAtiviSala.Post();
        else
            cdsAgeAtiviSala.Cancel();
        return;
    }
    if (cdsAgeAtiviSala.State() != dsEdit) return;
    const std::string stored = cdsAgeAtiviSala.FieldByName("CDSALA").OldValue().AsString();
    if (!typed) {
        // Without a room the meeting gives its booking up.
        cdsAgeAtiviSala.Cancel();
        if (!IsBlank(stored) && !cdsAgeAtiviSala.IsEmpty()) cdsAgeAtiviSala.Delete();
    } else if (RecordChanged(cdsAgeAtiviSala)) {
        // Also with the same room: new times must reach the server.
        cdsAgeAtiviSala.Post();
    } else {
        cdsAgeAtiviSala.Cancel();
    }
}

void TfrmReuniao::reopenBooking(const std::vector<std::pair<std::string, Variant>>& typed,
                                bool wasInsert) {
    // What the server took stays taken (a merged change); the rest is undone and typed again.
    if (Editing(cdsAgeAtiviSala)) cdsAgeAtiviSala.Cancel();
    cdsAgeAtiviSala.CancelUpdates();
    if (!typed.empty()) {
        // The stored booking, still there, is edited again (it still has to go when the
        // meeting moved); otherwise the booking typed is a new one.
        DetachedHandler quiet(cdsAgeAtiviSala.AfterEdit);
        if (!wasInsert && !cdsAgeAtiviSala.IsEmpty()) {
            cdsAgeAtiviSala.Edit();
            setBookingValues(typed);
        } else {
            cdsAgeAtiviSala.Insert();
            setBookingValues(typed);
        }
    }
    try {
        cdsControle.Edit();
    } catch (...) {
    }
}
