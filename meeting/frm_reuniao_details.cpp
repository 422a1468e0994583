// What the window loads when the current meeting changes: its agenda items, activities and
// the minutes of the current item, the header enabling, the date/time row and the room booking.
#include <utility>

#include "base/handler_scope.h"

#include "base/date_picker_edit.h"
#include "base/login_context.h"
#include "base/mask_edit.h"
#include "base/routines.h"
#include "meeting/cli_zel00400.h"
#include "meeting/date_time_rules.h"
#include "meeting/frm_reuniao.h"
#include "meeting/time_rules.h"
#include "platform/routines.h"
#include "server/check_server_result.h"

using namespace Cli_zel00400;

namespace {

// A dataset with no row to show: emptied as an empty packet would leave it (open, no rows).
void LoadNothing(TClientDataSet& cds) {
    cds.CreateDataSet();
}

// The current row's text of `field`; "" when there is no current row.
std::string CurrentText(const TClientDataSet& cds, const char* field) {
    if (!cds.Active() || cds.IsEmpty()) return {};
    return cds.FieldByName(field).AsString();
}

}  // namespace

void TfrmReuniao::cdsControleBeforeScroll() {
    // Another meeting brings its own details: the current one's, being typed, are kept first
    // (refused, the move does not happen).
    KeepPendingWork(TReload::Details);
    stStateChange = CurrentText(cdsControle, "IDSITTAREFA");
}

void TfrmReuniao::cdsControleAfterScroll() {
    // Without a current meeting there is nothing to ask the server for: the details are
    // emptied (a blank meeting key is not one the server answers).
    // A meeting being inserted has no details on the server yet.
    const bool hasMeeting =
        cdsControle.Active() && !cdsControle.IsEmpty() && cdsControle.State() != dsInsert;
    if (hasMeeting) {
        const std::string branch = cdsControle.FieldByName("CDFILIAL").AsString();
        const std::string meeting = cdsControle.FieldByName("NRTAREFA").AsString();
        {
            // The agenda's own after-scroll work (note, minutes, caption) is done below, in
            // the order of the meeting's details, instead of twice.
            struct Detached {
                TClientDataSet& cds;
                TClientDataSet::TDataSetNotifyEvent afterScroll =
                    std::exchange(cds.AfterScroll, nullptr);
                ~Detached() { cds.AfterScroll = std::move(afterScroll); }
            } detached{cdsItemTarefa};
            cdsItemTarefa.SetData(CheckServerResult(
                netReuniao.AppServer().Call("GetItemTarefa", {Arg(branch), Arg(meeting),
                                                              ArgRef(stPauta), ArgRef(stTPauta)}),
                true, 0));
        }
        ShowItemNote();
        cdsAtividades.SetData(CheckServerResult(
            netReuniao.AppServer().Call("GetAtividades", {Arg(branch), Arg(meeting)}), true, 0));
        loadMinutes();
        showItemCaption();
    } else {
        LoadNothing(cdsItemTarefa);
        LoadNothing(cdsAtividades);
        LoadNothing(cdsDescItTare);
    }

    if (CurrentText(cdsControle, "IDSITTAREFA") != stStateChange) dtsPadraoStateChange();
    AfterScroll();

    if (cdsControle.State() == dsBrowse) {
        fillDateTimeRow(true);
        loadRoomBooking();
    }
    if (depDataIni->IsBlankDate())
        depDataFin->SetText({});
    else
        depDataFin->SetDate(depDataIni->GetDate());
}

void TfrmReuniao::cdsControleAfterOpen() {
    fillDateTimeRow(false);
}

void TfrmReuniao::loadMinutes() {
    KeepPendingWork(TReload::Minutes);
    // An item being inserted has no minutes yet.
    if (!cdsItemTarefa.Active() || cdsItemTarefa.IsEmpty() || cdsItemTarefa.State() == dsInsert) {
        LoadNothing(cdsDescItTare);
        return;
    }
    cdsDescItTare.SetData(CheckServerResult(
        netReuniao.AppServer().Call("getDescItTare",
                                    {Arg(cdsItemTarefa.FieldByName("CDFILIAL").AsString()),
                                     Arg(cdsItemTarefa.FieldByName("NRTAREFA").AsString()),
                                     Arg(cdsItemTarefa.FieldByName("NRSEQUITTARE").AsString())}),
        true, 0));
}

void TfrmReuniao::fillDateTimeRow(bool withEnd) {
    // Filling the row is not the operator changing the meeting's start: the start edits'
    // change handlers are kept away meanwhile.
    DetachedHandler quietDate(depDataIni->OnChange);
    DetachedHandler quietTime(medHoraIni->OnChange);

    const bool noMeeting = !cdsControle.Active() || cdsControle.IsEmpty();
    if (noMeeting || cdsControle.FieldByName("QTHRREUNIAO").IsNull()) {
        medQtdeHoras->SetText({});
        depDataIni->SetText({});
        depDataFin->SetText({});
        medHoraIni->SetText({});
        if (withEnd) medHoraFin->SetText({});
        return;
    }
    const double duration = cdsControle.FieldByName("QTHRREUNIAO").AsFloat();
    const std::string start = cdsControle.FieldByName("HORA").AsString();
    depDataIni->SetDate(
        static_cast<TDateTime>(Trunc(cdsControle.FieldByName("DATA").AsDateTime())));
    medHoraIni->SetText(start);
    medQtdeHoras->SetText(RealToStTime(duration));
    if (withEnd) medHoraFin->SetText(RealToStTime(duration + timeTextToReal(start)));
}

// The meeting's booking of its room for its own time window.
void TfrmReuniao::loadRoomBooking() {
    const TDateTime day = depDataIni->IsBlankDate() ? 0 : depDataIni->GetDate();
    const std::string room = CurrentText(cdsControle, "CDSALA");
    cdsAgeAtiviSala.SetData(CheckServerResult(
        netReuniao.AppServer().Call(
            "GetAgeAtiviSala",
            {Arg(CurrentBranch()), Arg(room), ArgDate(day), Arg(HourDigits(medHoraIni->Text())),
             Arg(HourDigits(medHoraFin->Text()))}),
        true, 0));
    m_oldBookingGoes = false;
    m_loadedRoom = cdsAgeAtiviSala.IsEmpty() ? std::string()
                                             : cdsAgeAtiviSala.FieldByName("CDSALA").AsString();
}

double TfrmReuniao::timeTextToReal(const std::string& text) {
    try {
        return StTimeToReal(text);
    } catch (const EConvertError&) {
        ShowErrorMessage(Msg("VAL_INV"), true);
        throw;  // not reached: ShowErrorMessage raised
    }
}
