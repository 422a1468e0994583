// TSlotSuggestionDialog: the request bar, the list of slots, and the chosen slot's day drawn by
// the rooms' day view (participants' rows first, then the suggested rooms').
#include "meeting/slot_suggestion_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTableWidget>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "base/buttons.h"
#include "base/date_picker_edit.h"
#include "base/guard.h"
#include "meeting/room_day_view.h"

namespace {

QString Clock(int minute) {
    return QString::asprintf("%02d:%02d", minute / 60, minute % 60);
}

std::string Cell(const PacketRow& row, int index) {
    if (index < 0 || row.at(static_cast<size_t>(index)).IsNull()) return {};
    return row.at(static_cast<size_t>(index)).AsString();
}

}  // namespace

TSlotSuggestionDialog::TSlotSuggestionDialog(QWidget* parent, Suggest suggest, FreeBusy freeBusy,
                                             const SlotRequest& initial,
                                             const QString& participants)
    : QDialog(parent), m_suggest(std::move(suggest)), m_freeBusy(std::move(freeBusy)) {
    setObjectName("dlgSugerirHorario");
    setWindowTitle(QStringLiteral("Sugerir horário"));
    auto* layout = new QVBoxLayout(this);
    buildRequestBar(participants);
    depDia->SetDate(initial.earliest);
    tmeDuracao->setTime(QTime(0, 0).addSecs(initial.minutes * 60));
    spnLugares->setValue(initial.places);
    edtEquipamentos->setText(QString::fromStdString(initial.tags));

    grdHorarios = new QTableWidget(0, 6, this);
    grdHorarios->setObjectName("grdHorarios");
    grdHorarios->setHorizontalHeaderLabels(
        {QStringLiteral("Dia"), QStringLiteral("Início"), QStringLiteral("Fim"),
         QStringLiteral("Sala"), QStringLiteral("Lugares"), QStringLiteral("Equipamentos")});
    grdHorarios->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdHorarios->setSelectionMode(QAbstractItemView::SingleSelection);
    grdHorarios->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdHorarios->verticalHeader()->hide();
    grdHorarios->horizontalHeader()->setStretchLastSection(true);
    for (int c : {0, 1, 2, 4})
        grdHorarios->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    grdHorarios->setColumnWidth(3, 220);
    layout->addWidget(grdHorarios, 1);

    lblDia = new QLabel(this);
    lblDia->setObjectName("lblDia");
    QFont bold = lblDia->font();
    bold.setBold(true);
    lblDia->setFont(bold);
    layout->addWidget(lblDia);
    m_view = new TRoomDayView(this);
    m_view->setObjectName("grdLivreOcupado");
    layout->addWidget(m_view, 1);

    lblDica = new QLabel(this);
    lblDica->setObjectName("lblDica");
    auto* buttons = new QDialogButtonBox(this);
    btnUsar = buttons->addButton(QStringLiteral("Usar horário"), QDialogButtonBox::AcceptRole);
    btnUsar->setObjectName("btnUsar");
    btnUsar->setEnabled(false);
    buttons->addButton(QStringLiteral("Fechar"), QDialogButtonBox::RejectRole);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblDica, 1);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);

    // The dialog closes only through ChooseSlot, which knows whether the slot was taken.
    connect(btnUsar, &QPushButton::clicked, this, [this] { ChooseSlot(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(grdHorarios, &QTableWidget::cellDoubleClicked, this, [this] { ChooseSlot(); });
    connect(grdHorarios, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (row >= 0) Guard([&] { SelectSlot(row); });
    });
    resize(900, 620);
}

void TSlotSuggestionDialog::buildRequestBar(const QString& participants) {
    auto* who = new QLabel(QStringLiteral("Participantes: ") + participants, this);
    who->setObjectName("lblParticipantes");
    who->setWordWrap(true);
    static_cast<QVBoxLayout*>(layout())->addWidget(who);

    auto* bar = new QHBoxLayout;
    depDia = new TDatePickerEdit(this);
    depDia->setObjectName("depDia");
    tmeDuracao = new QTimeEdit(this);
    tmeDuracao->setObjectName("tmeDuracao");
    tmeDuracao->setDisplayFormat("HH:mm");
    tmeDuracao->setMinimumTime(QTime(0, 1));
    tmeDuracao->setMaximumTime(QTime(23, 59));
    spnLugares = new QSpinBox(this);
    spnLugares->setObjectName("spnLugares");
    spnLugares->setRange(0, 9999);
    spnLugares->setSpecialValueText(QStringLiteral("Qualquer"));
    edtEquipamentos = new QLineEdit(this);
    edtEquipamentos->setObjectName("edtEquipamentos");
    edtEquipamentos->setMaxLength(700);
    edtEquipamentos->setPlaceholderText(QStringLiteral("projetor, videoconferência, ..."));
    btnBuscar = PanelButton(this, "btnBuscar", QStringLiteral("Buscar"), QStyle::SP_BrowserReload);
    btnBuscar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnBuscar->OnClick = [this] { Search(); };
    bar->addWidget(new QLabel(QStringLiteral("A partir de"), this));
    bar->addWidget(depDia);
    bar->addWidget(new QLabel(QStringLiteral("Duração"), this));
    bar->addWidget(tmeDuracao);
    bar->addWidget(new QLabel(QStringLiteral("Lugares"), this));
    bar->addWidget(spnLugares);
    bar->addWidget(new QLabel(QStringLiteral("Equipamentos"), this));
    bar->addWidget(edtEquipamentos, 1);
    bar->addWidget(btnBuscar);
    static_cast<QVBoxLayout*>(layout())->addLayout(bar);
}

SlotRequest TSlotSuggestionDialog::Request() const {
    SlotRequest r;
    r.earliest = DateOf(depDia->GetDate());
    r.minutes = QTime(0, 0).secsTo(tmeDuracao->time()) / 60;
    r.places = spnLugares->value();
    r.tags = edtEquipamentos->text().trimmed().toStdString();
    return r;
}

void TSlotSuggestionDialog::Search() {
    const DataPacket packet = m_suggest(Request());
    const int when = packet.FieldIndex("DTHRREUNIAO"), start = packet.FieldIndex("HRINIAGESALA");
    const int end = packet.FieldIndex("HRFINAGESALA"), room = packet.FieldIndex("CDSALA");
    const int name = packet.FieldIndex("NMSALA"), places = packet.FieldIndex("QTCAPACSALA");
    const int tags = packet.FieldIndex("DSEQUIPSALA");
    std::vector<SuggestedSlot> found;
    for (const PacketRow& r : packet.rows) {
        SuggestedSlot s;
        s.day = DateOf(r.at(static_cast<size_t>(when)).AsDateTime());
        s.startMinute = HhmmMinutes(Cell(r, start));
        s.endMinute = HhmmMinutes(Cell(r, end));
        s.room = Cell(r, room);
        s.roomName = Cell(r, name);
        s.tags = Cell(r, tags);
        if (places >= 0 && !r.at(static_cast<size_t>(places)).IsNull())
            s.places = r.at(static_cast<size_t>(places)).AsInteger();
        if (s.startMinute >= 0 && s.endMinute > s.startMinute) found.push_back(std::move(s));
    }
    m_slots = std::move(found);
    m_freeBusyDay = -1;
    fillSlots();
}

void TSlotSuggestionDialog::fillSlots() {
    {
        const QSignalBlocker quiet(grdHorarios);
        grdHorarios->setRowCount(static_cast<int>(m_slots.size()));
        for (int i = 0; i < static_cast<int>(m_slots.size()); ++i) {
            const SuggestedSlot& s = m_slots[static_cast<size_t>(i)];
            const QString cells[] = {DayCaption(s.day),
                                     Clock(s.startMinute),
                                     Clock(s.endMinute),
                                     QString::fromStdString(s.room + " - " + s.roomName),
                                     s.places ? QString::number(*s.places) : QString(),
                                     QString::fromStdString(s.tags)};
            for (int c = 0; c < 6; ++c)
                grdHorarios->setItem(i, c, new QTableWidgetItem(cells[c]));
        }
    }
    btnUsar->setEnabled(!m_slots.empty());
    if (m_slots.empty()) {
        m_view->SetRows({});
        lblDia->clear();
        lblDica->setText(
            QStringLiteral("Nenhum horário livre para todos nos próximos três meses."));
        return;
    }
    lblDica->setText(QStringLiteral("Escolha um horário e clique em \"Usar horário\"."));
    SelectSlot(0);
}

void TSlotSuggestionDialog::SelectSlot(int index) {
    if (index < 0 || index >= static_cast<int>(m_slots.size())) return;
    if (grdHorarios->currentRow() != index) {
        const QSignalBlocker quiet(grdHorarios);
        grdHorarios->selectRow(index);
    }
    showFreeBusy(m_slots[static_cast<size_t>(index)]);
}

int TSlotSuggestionDialog::CurrentSlot() const {
    return grdHorarios->currentRow();
}

void TSlotSuggestionDialog::showFreeBusy(const SuggestedSlot& slot) {
    if (slot.day != m_freeBusyDay) {
        // Every suggested room, so switching between the day's slots needs no new call.
        std::vector<std::string> rooms;
        for (const SuggestedSlot& s : m_slots)
            if (std::find(rooms.begin(), rooms.end(), s.room) == rooms.end())
                rooms.push_back(s.room);
        const DataPacket packet = m_freeBusy(slot.day, rooms);
        const int kind = packet.FieldIndex("IDRECURSO"), code = packet.FieldIndex("CDRECURSO");
        const int name = packet.FieldIndex("NMRECURSO"), from = packet.FieldIndex("HRINIOCUP");
        const int to = packet.FieldIndex("HRFINOCUP"), meeting = packet.FieldIndex("NRTAREFA");
        const int ref = packet.FieldIndex("DSREFETAREFA");
        std::vector<QString> labels;
        std::vector<RoomDayBooking> busy;
        std::string last;
        for (const PacketRow& r : packet.rows) {
            const std::string key = Cell(r, kind) + Cell(r, code);
            if (labels.empty() || key != last) {
                last = key;
                labels.push_back(QString::fromStdString(
                    Cell(r, kind) == "S" ? Cell(r, code) + " - " + Cell(r, name) : Cell(r, name)));
            }
            const int start = HhmmMinutes(Cell(r, from)), end = HhmmMinutes(Cell(r, to));
            if (start < 0 || end <= start) continue;
            // Another branch's meeting shows only that the participant is busy.
            std::string text = Cell(r, ref);
            if (text.empty()) text = Cell(r, meeting);
            if (text.empty()) text = "Ocupado";
            busy.push_back(
                {static_cast<int>(labels.size()) - 1, start, end, Cell(r, meeting), text});
        }
        m_view->SetRows(std::move(labels));
        m_view->SetBookings(std::move(busy));
        m_freeBusyDay = slot.day;
    }
    m_view->SetOutline(RoomDayOutline{-1, slot.startMinute, slot.endMinute});
    m_view->ScrollTo(0, std::max(0, slot.startMinute - 60));
    lblDia->setText(DayCaption(slot.day) + QStringLiteral(": livre e ocupado"));
}

bool TSlotSuggestionDialog::ChooseSlot() {
    const int index = CurrentSlot();
    if (index < 0 || index >= static_cast<int>(m_slots.size()) || !OnChoose) return false;
    const SuggestedSlot slot = m_slots[static_cast<size_t>(index)];
    const int minutes = QTime(0, 0).secsTo(tmeDuracao->time()) / 60;
    const bool ok = Guard([&] { OnChoose(slot, minutes); });
    if (ok) accept();
    return ok;
}
