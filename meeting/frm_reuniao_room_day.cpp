// The rooms' day from the form page's room row: the window "Salas do Dia" over the branch's
// bookings, with the meeting's window outlined; while the meeting is being inserted or edited a
// free slot picked there is taken as if it had been typed (takeSlot, which the slot
// suggestions use too).
#include <QPointer>

#include "base/date_picker_edit.h"
#include "base/db_edit.h"
#include "base/mask_edit.h"
#include "base/routines.h"
#include "meeting/date_time_rules.h"
#include "meeting/frm_reuniao.h"
#include "meeting/room_day_dialog.h"
#include "platform/routines.h"
#include "server/call_arg.h"
#include "server/check_server_result.h"

using namespace Cli_zel00400;

namespace {

// Minutes since midnight of an "hh:mm" edit text; nullopt when it is no time of day.
std::optional<int> EditMinutes(const std::string& text) {
    try {
        const HourMinute hm = SplitTime(text);
        if (hm.hours < 0 || hm.hours > 23 || hm.minutes < 0 || hm.minutes > 59) return {};
        return hm.hours * 60 + hm.minutes;
    } catch (const std::exception&) {
        return {};
    }
}

// The meeting's window as the edits hold it now; nullopt while it is incomplete.
std::optional<RoomDayMeeting> TypedMeetingWindow(const TDatePickerEdit& day, const TMaskEdit& start,
                                                 const TMaskEdit& hours, const TDBEdit& room) {
    if (day.IsBlankDate()) return {};
    RoomDayMeeting m;
    try {
        m.day = DateOf(day.GetDate());
    } catch (const std::exception&) {
        return {};
    }
    const std::optional<std::string> end = MeetingEndTime(start.Text(), hours.Text());
    const std::optional<int> from = EditMinutes(start.Text());
    const std::optional<int> to = end ? EditMinutes(*end) : std::nullopt;
    if (!from || !to || *to <= *from) return {};
    m.startMinute = *from;
    m.endMinute = *to;
    if (!IsBlank(room.Text())) m.room = PadField(room.Text(), 5);
    return m;
}

}  // namespace

void TfrmReuniao::btnAgendaSalasClick() {
    const std::optional<RoomDayMeeting> meeting =
        TypedMeetingWindow(*depDataIni, *medHoraIni, *medQtdeHoras, *dbeCdSalas);
    const TDateTime day = meeting ? meeting->day : DateOf(HoraServidor());
    // The rooms that fit what the meeting needs, as the free-room pick list narrows them.
    auto fetch = [this, request = roomRequestArgs()](TDateTime d) {
        std::vector<CallArg> args = {ArgDate(d)};
        args.insert(args.end(), request.begin(), request.end());
        return DataPacketFromJson(
            CheckServerResult(netReuniao.AppServer().Call("GetAgendaSalasDia", args), true, 0)
                .AsPacket());
    };
    QPointer<TRoomDayDialog> dialog = new TRoomDayDialog(this, fetch, meeting);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    // Outside insert and edit, or while the room may not change, the view only shows.
    if (EditandoReuniao() && dbeCdSalas->isEnabled()) {
        dialog->OnFreeSlot = [this](const RoomDayPick& pick) {
            // A new meeting also takes the slot's start.
            takeSlot(pick.day, pick.minute, pick.room, cdsControle.State() == dsInsert);
        };
    }
    try {
        dialog->ShowDay(day);
    } catch (...) {
        delete dialog;
        throw;
    }
    dialog->show();
}

void TfrmReuniao::takeSlot(TDateTime day, int minute, const std::string& room, bool withStart,
                           const std::string& duration) {
    if (withStart) {
        const std::string start =
            QString::asprintf("%02d:%02d", minute / 60, minute % 60).toStdString();
        const std::string hours = duration.empty() ? medQtdeHoras->Text() : duration;
        // A start in the past, or one the duration would carry past midnight, is refused
        // before anything typed changes.
        if (duration.empty()) vd_QtdeHoras(true);
        if (HoraServidor() > MeetingStart(day, start)) fail(depDataIni, "DTHR_MEN");
        if (!MeetingEndTime(start, hours)) fail(medHoraIni, "Reun_dia");
        if (!duration.empty() && duration != medQtdeHoras->Text()) {
            medQtdeHoras->SetText(duration);
            meetingTimeChanged();
            vd_QtdeHoras(true);
        }
        depDataIni->SetDate(day);
        medHoraIni->SetText(start);
        vd_DataIni(true);
        vd_HoraIni(true);
        vd_dtHrIni();
    }
    checkMeetingWindow();
    if (cdsControle.State() == dsBrowse) cdsControle.Edit();
    if (cdsAgeAtiviSala.State() == dsBrowse) cdsAgeAtiviSala.Edit();
    dbeCdSalas->SetText(room);
    dbeCdSalas->UpdateRecord();
    dbeCdSalasExit();
}
