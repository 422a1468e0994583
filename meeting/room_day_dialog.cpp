// TRoomDayDialog: loading a day or a week into the painted grid, the navigation bar, and what a
// click on a slot does.
#include "meeting/room_day_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "base/buttons.h"
#include "base/guard.h"

namespace {

TDateTime MondayOf(TDateTime day) {
    return DateOf(day) - (DayOfWeek(day) + 5) % 7;
}

}  // namespace

TRoomDayDialog::TRoomDayDialog(QWidget* parent, Fetch fetch, std::optional<RoomDayMeeting> meeting)
    : QDialog(parent), m_fetch(std::move(fetch)), m_meeting(std::move(meeting)) {
    setObjectName("dlgSalasDia");
    setWindowTitle(QStringLiteral("Salas do Dia"));
    auto* layout = new QVBoxLayout(this);
    buildBar();
    m_view = new TRoomDayView(this);
    m_view->setObjectName("grdSalasDia");
    layout->addWidget(m_view, 1);
    lblDica = new QLabel(this);
    lblDica->setObjectName("lblDica");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Fechar"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblDica, 1);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);
    connect(m_view, &TRoomDayView::SlotClicked, this, [this](RoomDaySlot s) { ClickSlot(s); });
    resize(900, 560);
}

void TRoomDayDialog::buildBar() {
    auto* bar = new QHBoxLayout;
    btnDiaAnterior =
        PanelButton(this, "btnDiaAnterior", QStringLiteral("Anterior"), QStyle::SP_ArrowLeft);
    btnProximoDia =
        PanelButton(this, "btnProximoDia", QStringLiteral("Próximo"), QStyle::SP_ArrowRight);
    btnDiaAnterior->OnClick = [this] { Step(-1); };
    btnProximoDia->OnClick = [this] { Step(1); };
    lblDia = new QLabel(this);
    lblDia->setObjectName("lblDia");
    QFont bold = lblDia->font();
    bold.setBold(true);
    lblDia->setFont(bold);
    cbxSala = new QComboBox(this);
    cbxSala->setObjectName("cbxSala");
    cbxSala->setMinimumWidth(220);
    btnSemana = new QToolButton(this);
    btnSemana->setObjectName("btnSemana");
    btnSemana->setText(QStringLiteral("Semana da Sala"));
    btnSemana->setToolTip(QStringLiteral("A semana da sala escolhida"));
    btnSemana->setCheckable(true);
    connect(btnSemana, &QToolButton::clicked, this,
            [this](bool on) { Guard([&] { SetWeekMode(on); }); });
    connect(cbxSala, &QComboBox::activated, this, [this] {
        if (m_week) Guard([&] { SetWeekMode(true); });
    });
    bar->addWidget(btnDiaAnterior);
    bar->addWidget(btnProximoDia);
    bar->addWidget(lblDia, 1);
    bar->addWidget(new QLabel(QStringLiteral("Sala"), this));
    bar->addWidget(cbxSala);
    bar->addWidget(btnSemana);
    static_cast<QVBoxLayout*>(layout())->addLayout(bar);
}

std::vector<TRoomDayDialog::Row> TRoomDayDialog::load(TDateTime day) const {
    const DataPacket packet = m_fetch(DateOf(day));
    const int room = packet.FieldIndex("CDSALA"), name = packet.FieldIndex("NMSALA");
    const int meeting = packet.FieldIndex("NRTAREFA"), ref = packet.FieldIndex("DSREFETAREFA");
    const int start = packet.FieldIndex("HRINIAGESALA"), end = packet.FieldIndex("HRFINAGESALA");
    const int places = packet.FieldIndex("QTCAPACSALA"), tags = packet.FieldIndex("DSEQUIPSALA");
    auto text = [](const PacketRow& r, int i) {
        return i < 0 || r.at(static_cast<size_t>(i)).IsNull()
                   ? std::string()
                   : r.at(static_cast<size_t>(i)).AsString();
    };
    std::vector<Row> rows;
    rows.reserve(packet.rows.size());
    for (const PacketRow& r : packet.rows)
        rows.push_back({text(r, room), text(r, name), text(r, meeting), text(r, ref),
                        text(r, start), text(r, end), text(r, places), text(r, tags)});
    return rows;
}

void TRoomDayDialog::ShowDay(TDateTime day) {
    const std::vector<Row> rows = load(day);
    m_week = false;
    m_day = DateOf(day);
    m_rooms.clear();
    m_roomNames.clear();
    m_roomOffers.clear();
    std::vector<QString> labels;
    std::vector<RoomDayBooking> bookings;
    for (const Row& r : rows) {
        if (m_rooms.empty() || m_rooms.back() != r.room) {
            m_rooms.push_back(r.room);
            m_roomNames.push_back(r.name);
            std::string offers = r.places.empty() ? std::string() : r.places + " lugares";
            if (!r.tags.empty()) offers += (offers.empty() ? "" : "; ") + r.tags;
            m_roomOffers.push_back(offers);
            labels.push_back(QString::fromStdString(
                r.room + " - " + r.name + (r.places.empty() ? "" : " (" + r.places + ")")));
        }
        const int from = HhmmMinutes(r.start), to = HhmmMinutes(r.end);
        if (from >= 0 && to > from)
            bookings.push_back({static_cast<int>(m_rooms.size()) - 1, from, to, r.meeting,
                                r.reference.empty() ? r.meeting : r.reference});
    }
    m_view->SetRows(std::move(labels));
    m_view->SetBookings(std::move(bookings));
    fillRoomChoice();
    showOutline();
    updateCaptions();
}

void TRoomDayDialog::ShowWeek(const std::string& room, TDateTime day) {
    const TDateTime monday = MondayOf(day);
    std::vector<QString> labels;
    std::vector<RoomDayBooking> bookings;
    for (int d = 0; d < 7; ++d) {
        for (const Row& r : load(monday + d)) {
            const int from = HhmmMinutes(r.start), to = HhmmMinutes(r.end);
            if (r.room == room && from >= 0 && to > from)
                bookings.push_back(
                    {d, from, to, r.meeting, r.reference.empty() ? r.meeting : r.reference});
        }
        labels.push_back(DayCaption(monday + d));
    }
    m_week = true;
    m_day = monday;
    m_weekRoom = room;
    m_view->SetRows(std::move(labels));
    m_view->SetBookings(std::move(bookings));
    showOutline();
    updateCaptions();
}

void TRoomDayDialog::fillRoomChoice() {
    const QString keep = cbxSala->currentData().toString();
    cbxSala->clear();
    for (size_t i = 0; i < m_rooms.size(); ++i)
        cbxSala->addItem(
            QString::fromStdString(m_rooms[i] + " - " + m_roomNames[i] +
                                   (m_roomOffers[i].empty() ? "" : " - ") + m_roomOffers[i]),
            QString::fromStdString(m_rooms[i]));
    // The room chosen before, else the meeting's own.
    QString want = keep;
    if (want.isEmpty() && m_meeting) want = QString::fromStdString(m_meeting->room);
    const int at = cbxSala->findData(want);
    if (at >= 0) cbxSala->setCurrentIndex(at);
}

void TRoomDayDialog::Step(int direction) {
    if (m_week)
        ShowWeek(m_weekRoom, m_day + 7 * direction);
    else
        ShowDay(m_day + direction);
}

void TRoomDayDialog::SetWeekMode(bool week) {
    const std::string room = cbxSala->currentData().toString().toStdString();
    if (week && !room.empty())
        ShowWeek(room, m_day);
    else if (!week && m_week)
        ShowDay(m_meeting && MondayOf(m_meeting->day) == m_day ? m_meeting->day : m_day);
    btnSemana->setChecked(m_week);
}

void TRoomDayDialog::showOutline() {
    if (!m_meeting || m_meeting->endMinute <= m_meeting->startMinute) return;
    const RoomDayMeeting& mt = *m_meeting;
    std::optional<RoomDayOutline> outline;
    if (m_week) {
        const int d = static_cast<int>(DateOf(mt.day) - m_day);
        if (d >= 0 && d < 7 && mt.room == m_weekRoom)
            outline = RoomDayOutline{d, mt.startMinute, mt.endMinute};
    } else if (DateOf(mt.day) == m_day) {
        const auto it = std::find(m_rooms.begin(), m_rooms.end(), mt.room);
        const int row = it == m_rooms.end() ? -1 : static_cast<int>(it - m_rooms.begin());
        outline = RoomDayOutline{row, mt.startMinute, mt.endMinute};
    }
    m_view->SetOutline(outline);
    if (outline)
        m_view->ScrollTo(std::max(outline->row, 0), std::max(0, outline->startMinute - 60));
}

void TRoomDayDialog::updateCaptions() {
    if (m_week) {
        lblDia->setText(QStringLiteral("Sala %1: semana de %2 a %3")
                            .arg(QString::fromStdString(m_weekRoom),
                                 QString::fromStdString(DateToStr(m_day)),
                                 QString::fromStdString(DateToStr(m_day + 6))));
    } else {
        lblDia->setText(DayCaption(m_day));
    }
    btnDiaAnterior->setToolTip(m_week ? QStringLiteral("Semana anterior")
                                      : QStringLiteral("Dia anterior"));
    btnProximoDia->setToolTip(m_week ? QStringLiteral("Próxima semana")
                                     : QStringLiteral("Próximo dia"));
    lblDica->setText(OnFreeSlot ? QStringLiteral("Clique num horário livre para reservar a sala.")
                                : QStringLiteral("Somente consulta."));
}

bool TRoomDayDialog::ClickSlot(const RoomDaySlot& slot) {
    if (m_view->BookingAt(slot) || !OnFreeSlot) return true;
    if (slot.row < 0 || slot.row >= m_view->RowCount()) return true;
    RoomDayPick pick;
    pick.minute = slot.minute;
    if (m_week) {
        pick.room = m_weekRoom;
        pick.day = m_day + slot.row;
    } else {
        pick.room = m_rooms.at(static_cast<size_t>(slot.row));
        pick.day = m_day;
    }
    const bool ok = Guard([&] { OnFreeSlot(pick); });
    if (ok) accept();
    return ok;
}
