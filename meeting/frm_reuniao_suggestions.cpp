// "Sugerir horário" on the form page: the next slots in which the meeting's participants and
// a room that fits are free (GetSugereHorario), with the free/busy of a slot's day
// (GetLivreOcupado). A slot chosen is typed into the form by takeSlot, through the checks
// typing it would run; the meeting being typed keeps everything else.
#include <QLineEdit>
#include <QSpinBox>
#include <map>

#include "base/date_picker_edit.h"
#include "base/db_edit.h"
#include "base/guard.h"
#include "base/login_context.h"
#include "base/mask_edit.h"
#include "base/routines.h"
#include "meeting/cli_zel00400.h"
#include "meeting/dataset_rows.h"
#include "meeting/frm_reuniao.h"
#include "meeting/slot_suggestion_dialog.h"
#include "meeting/time_rules.h"
#include "platform/routines.h"
#include "server/check_server_result.h"

using namespace Cli_zel00400;

namespace {

std::string JoinCodes(const std::vector<std::string>& codes) {
    std::string list;
    for (const std::string& c : codes)
        list += (list.empty() ? "" : ",") + c;
    return list;
}

DataPacket PacketOf(const Variant& result) {
    return DataPacketFromJson(CheckServerResult(result, true, 0).AsPacket());
}

}  // namespace

void TfrmReuniao::btnSugerirHorarioClick() {
    // Only where the date, time and room may change, and for a meeting there is.
    if (!btnSugerirHorario->isEnabled()) throw EAbort();
    const bool inserting = cdsControle.Active() && cdsControle.State() == dsInsert;
    if (!inserting && (!cdsControle.Active() || cdsControle.IsEmpty())) throw EAbort();
    // The participants come from the activities loaded: one being typed is kept by the
    // window's rule before they are read.
    KeepPendingWork(TReload::Activities);
    const std::vector<std::string> people = ParticipantesReuniao();
    if (people.empty()) fail(dbeResp, "sug_sem_resp");
    const std::string meeting = inserting ? std::string() : RowText(cdsControle, "NRTAREFA");
    const std::string branch = CurrentBranch();
    const std::string list = JoinCodes(people);

    SlotRequest initial;
    const TDateTime today = DateOf(HoraServidor());
    initial.earliest = today;
    try {
        if (!depDataIni->IsBlankDate()) initial.earliest = std::max(today, DateOf(typedDay()));
    } catch (const EConvertError&) {
    }
    try {
        const int minutes = static_cast<int>(StTimeToReal(medQtdeHoras->Text()) * 60 + 0.5);
        if (minutes > 0 && minutes < 24 * 60) initial.minutes = minutes;
    } catch (const EConvertError&) {
    }
    initial.places = spnLugares->value();
    initial.tags = TrimAll(edtEquipamentos->text().toStdString());

    auto suggest = [this, branch, meeting, list](const SlotRequest& r) {
        return PacketOf(netReuniao.AppServer().Call(
            "GetSugereHorario",
            {Arg(branch), Arg(meeting), Arg(list), Arg(r.minutes / 60.0), ArgDate(r.earliest),
             Arg(static_cast<int64_t>(r.places)), Arg(r.tags)}));
    };
    auto freeBusy = [this, branch, meeting, list](TDateTime day,
                                                  const std::vector<std::string>& rooms) {
        return PacketOf(netReuniao.AppServer().Call(
            "GetLivreOcupado",
            {Arg(branch), Arg(meeting), Arg(list), ArgDate(day), Arg(JoinCodes(rooms))}));
    };
    // Their names as the activities (or, for a new meeting, the responsible's edit) show them.
    std::map<std::string, std::string> names;
    if (cdsAtividades.Active()) {
        const DataPacket activities = cdsAtividades.DataAsPacket();
        const int op = activities.FieldIndex("CDOPERRESP");
        const int name = activities.FieldIndex("NMOPERADOR");
        for (const PacketRow& row : activities.rows)
            names[row.at(static_cast<size_t>(op)).AsString()] =
                row.at(static_cast<size_t>(name)).AsString();
    }
    QString who;
    for (const std::string& code : people) {
        std::string name = TrimAll(names[code]);
        if (name.empty() && people.size() == 1) name = TrimAll(dbeNmResp->Text());
        who += (who.isEmpty() ? "" : ", ") + QString::fromStdString(name.empty() ? code : name);
    }

    TSlotSuggestionDialog dialog(this, suggest, freeBusy, initial, who);
    // A request the server refuses (no room of so many places) is shown, and the dialog
    // opens all the same for the operator to change it.
    Guard([&] { dialog.Search(); });
    dialog.OnChoose = [this, &dialog](const SuggestedSlot& slot, int minutes) {
        const std::string duration =
            QString::asprintf("%02d:%02d", minutes / 60, minutes % 60).toStdString();
        takeSlot(slot.day, slot.startMinute, slot.room, true, duration);
        // What the room was found for is what the pick lists ask for next.
        spnLugares->setValue(dialog.spnLugares->value());
        edtEquipamentos->setText(dialog.edtEquipamentos->text());
    };
    dialog.exec();
}
