// What the meeting needs of its room: the row under the room with the places and equipment
// the pick lists are narrowed to, the meeting's participants they start from, and the
// question asked before a meeting is saved in a room too small for them.
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStyle>
#include <algorithm>

#include "base/buttons.h"
#include "base/date_picker_edit.h"
#include "base/db_edit.h"
#include "base/dialogs.h"
#include "base/focus_events.h"
#include "base/login_context.h"
#include "base/mask_edit.h"
#include "base/routines.h"
#include "meeting/cli_zel00400.h"
#include "meeting/dataset_rows.h"
#include "meeting/date_time_rules.h"
#include "meeting/frm_reuniao.h"
#include "platform/routines.h"
#include "server/check_server_result.h"

using namespace Cli_zel00400;

void TfrmReuniao::buildRoomNeedsRow(QWidget* parent) {
    panSalaPedido = new QFrame(parent);
    panSalaPedido->setObjectName("panSalaPedido");
    auto* row = new QHBoxLayout(panSalaPedido);
    row->setContentsMargins(0, 0, 0, 0);
    spnLugares = new QSpinBox(panSalaPedido);
    spnLugares->setObjectName("spnLugares");
    spnLugares->setRange(0, 9999);
    spnLugares->setSpecialValueText(QStringLiteral("Qualquer"));
    spnLugares->setToolTip(QStringLiteral("Salas de pelo menos tantos lugares"));
    spnLugares->setFixedWidth(90);
    edtEquipamentos = new QLineEdit(panSalaPedido);
    edtEquipamentos->setObjectName("edtEquipamentos");
    edtEquipamentos->setMaxLength(700);
    edtEquipamentos->setPlaceholderText(QStringLiteral("projetor, videoconferência, ..."));
    edtEquipamentos->setToolTip(
        QStringLiteral("Equipamentos que a sala deve ter, separados por vírgulas"));
    btnSugerirHorario = PanelButton(panSalaPedido, "btnSugerirHorario",
                                    QStringLiteral("Sugerir horário"), QStyle::SP_BrowserReload);
    btnSugerirHorario->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    row->addWidget(new QLabel(QStringLiteral("Lugares"), panSalaPedido));
    row->addWidget(spnLugares);
    row->addWidget(new QLabel(QStringLiteral("Equipamentos"), panSalaPedido));
    row->addWidget(edtEquipamentos, 1);
    row->addWidget(btnSugerirHorario);
}

std::vector<std::string> TfrmReuniao::ParticipantesReuniao() {
    std::vector<std::string> codes;
    const bool stored =
        cdsControle.Active() && !cdsControle.IsEmpty() && cdsControle.State() != dsInsert;
    if (stored && cdsAtividades.Active()) {
        // Read from the packet: the activities' cursor stays where the operator left it.
        const DataPacket activities = cdsAtividades.DataAsPacket();
        const int op = activities.FieldIndex("CDOPERRESP");
        const int status = activities.FieldIndex("IDSITATIVTAR");
        for (const PacketRow& row : activities.rows) {
            const Variant& code = row.at(static_cast<size_t>(op));
            if (code.IsNull() || IsBlank(code.AsString())) continue;
            if (row.at(static_cast<size_t>(status)).AsString() == "X") continue;
            if (std::find(codes.begin(), codes.end(), code.AsString()) == codes.end())
                codes.push_back(code.AsString());
        }
    }
    if (codes.empty() && !IsBlank(dbeResp->Text())) codes.push_back(PadField(dbeResp->Text(), 12));
    return codes;
}

void TfrmReuniao::followRoomNeeds() {
    if (!spnLugares) return;
    const bool inserting = cdsControle.Active() && cdsControle.State() == dsInsert;
    const std::string meeting = inserting ? "+" : RowText(cdsControle, "NRTAREFA");
    // One participant fits any room; asking for one place would hide the rooms whose places
    // are not informed.
    const int participants = static_cast<int>(ParticipantesReuniao().size());
    const int places = participants > 1 ? participants : 0;
    // Another meeting starts from its own needs; the same one follows its participants
    // until the operator sets the places himself.
    if (meeting != m_roomNeedsFor) {
        m_roomNeedsFor = meeting;
        edtEquipamentos->clear();
    } else if (spnLugares->value() != m_roomNeedsPlaces) {
        return;
    }
    m_roomNeedsPlaces = places;
    spnLugares->setValue(places);
}

std::vector<CallArg> TfrmReuniao::roomRequestArgs() const {
    return {Arg(static_cast<int64_t>(spnLugares->value())),
            Arg(TrimAll(edtEquipamentos->text().toStdString())), Arg("S")};
}

void TfrmReuniao::vd_Lotacao() {
    const std::string room =
        IsBlank(dbeCdSalas->Text()) ? std::string() : PadField(dbeCdSalas->Text(), 5);
    if (room.empty() || (room == m_loadedRoom && !insertingMeeting())) return;
    const int participants = static_cast<int>(ParticipantesReuniao().size());
    if (participants < 2) return;  // a room has at least one place
    // The room's places as the free-room list reports them; the room itself is always listed.
    const Variant packet = CheckServerResult(
        netReuniao.AppServer().Call(
            "GetSalas2", {Arg(CurrentBranch()), ArgDate(typedDay()), Arg(room),
                          Arg(HourDigits(medHoraIni->Text())), Arg(HourDigits(medHoraFin->Text())),
                          Arg(static_cast<int64_t>(0)), Arg(""), Arg("N")}),
        true, 0);
    const DataPacket rooms = DataPacketFromJson(packet.AsPacket());
    const int code = rooms.FieldIndex("CDSALA"), places = rooms.FieldIndex("QTCAPACSALA");
    if (code < 0 || places < 0) return;
    for (const PacketRow& row : rooms.rows) {
        if (row.at(static_cast<size_t>(code)).AsString() != room) continue;
        const Variant& capacity = row.at(static_cast<size_t>(places));
        // A room whose places are not informed asks nothing.
        if (capacity.IsNull() || capacity.AsInteger() >= participants) return;
        const std::string text = Format(
            Msg("sala_lotada"), {room, IntToStr(capacity.AsInteger()), IntToStr(participants)});
        if (CurrentDialogs().Question(text)) return;
        SetFocus(dbeCdSalas);
        throw EAbort();
    }
}
