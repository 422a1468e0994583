// TRoomDayView: the grid is painted in viewport coordinates; the scroll bars' values are the
// offsets of the columns (horizontal) and the rows (vertical) behind the fixed labels and hours.
#include "meeting/room_day_view.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace {

const QColor kGridBackground(255, 255, 255);
const QColor kQuarterLine(232, 232, 232);
const QColor kHourLine(176, 176, 176);
const QColor kRowLine(210, 210, 210);
const QColor kBookingFill(198, 219, 247);
const QColor kBookingBorder(70, 110, 170);
const QColor kOutlinePen(200, 30, 30);
const QColor kFixedBackground(236, 236, 236);

const char* const kWeekDays[] = {"Domingo",      "Segunda-feira", "Terça-feira", "Quarta-feira",
                                 "Quinta-feira", "Sexta-feira",   "Sábado"};

}  // namespace

int HhmmMinutes(const std::string& hhmm) {
    if (hhmm.size() != 4) return -1;
    for (char c : hhmm)
        if (c < '0' || c > '9') return -1;
    return std::stoi(hhmm.substr(0, 2)) * 60 + std::stoi(hhmm.substr(2, 2));
}

QString DayCaption(TDateTime day) {
    return QString::fromUtf8(kWeekDays[DayOfWeek(day) - 1]) + ", " +
           QString::fromStdString(DateToStr(day));
}

TRoomDayView::TRoomDayView(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName("TRoomDayView");
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(false);
    horizontalScrollBar()->setSingleStep(kSlotWidth);
    verticalScrollBar()->setSingleStep(kRowHeight);
    updateScrollBars();
}

void TRoomDayView::SetRows(std::vector<QString> labels) {
    m_labels = std::move(labels);
    m_bookings.clear();
    m_byRow.assign(m_labels.size(), {});
    m_outline.reset();
    updateScrollBars();
    viewport()->update();
}

void TRoomDayView::SetBookings(std::vector<RoomDayBooking> bookings) {
    m_bookings.clear();
    m_byRow.assign(m_labels.size(), {});
    for (RoomDayBooking& b : bookings) {
        if (b.row < 0 || b.row >= RowCount()) continue;
        b.startMinute = std::clamp(b.startMinute, 0, 24 * 60);
        b.endMinute = std::clamp(b.endMinute, 0, 24 * 60);
        if (b.endMinute <= b.startMinute) continue;
        m_byRow[static_cast<size_t>(b.row)].push_back(m_bookings.size());
        m_bookings.push_back(std::move(b));
    }
    viewport()->update();
}

void TRoomDayView::SetOutline(std::optional<RoomDayOutline> outline) {
    m_outline = outline;
    viewport()->update();
}

const RoomDayBooking* TRoomDayView::BookingAt(const RoomDaySlot& slot) const {
    if (slot.row < 0 || slot.row >= RowCount()) return nullptr;
    const int end = slot.minute + kSlotMinutes;
    for (size_t i : m_byRow[static_cast<size_t>(slot.row)]) {
        const RoomDayBooking& b = m_bookings[i];
        if (b.startMinute < end && b.endMinute > slot.minute) return &b;
    }
    return nullptr;
}

int TRoomDayView::rowTop(int row) const {
    return kHeaderHeight + row * kRowHeight - verticalScrollBar()->value();
}

int TRoomDayView::minuteX(int minute) const {
    return kLabelWidth + minute * kSlotWidth / kSlotMinutes - horizontalScrollBar()->value();
}

std::optional<RoomDaySlot> TRoomDayView::SlotAt(QPoint p) const {
    if (p.x() < kLabelWidth || p.y() < kHeaderHeight) return std::nullopt;
    const int x = p.x() - kLabelWidth + horizontalScrollBar()->value();
    const int y = p.y() - kHeaderHeight + verticalScrollBar()->value();
    const int slot = x / kSlotWidth, row = y / kRowHeight;
    if (slot >= kSlots || row >= RowCount()) return std::nullopt;
    return RoomDaySlot{row, slot * kSlotMinutes};
}

QRect TRoomDayView::SlotRect(const RoomDaySlot& slot) const {
    return QRect(minuteX(slot.minute), rowTop(slot.row), kSlotWidth, kRowHeight);
}

void TRoomDayView::ScrollTo(int row, int minute) {
    horizontalScrollBar()->setValue(minute / kSlotMinutes * kSlotWidth);
    const int top = row * kRowHeight, bottom = top + kRowHeight;
    QScrollBar* v = verticalScrollBar();
    const int shown = viewport()->height() - kHeaderHeight;
    if (top < v->value())
        v->setValue(top);
    else if (bottom > v->value() + shown)
        v->setValue(bottom - shown);
}

QSize TRoomDayView::ContentSize() const {
    return QSize(kLabelWidth + kSlots * kSlotWidth + 2 * frameWidth(),
                 kHeaderHeight + RowCount() * kRowHeight + 2 * frameWidth());
}

void TRoomDayView::updateScrollBars() {
    const QSize shown = viewport()->size();
    horizontalScrollBar()->setRange(
        0, std::max(0, kSlots * kSlotWidth - (shown.width() - kLabelWidth)));
    horizontalScrollBar()->setPageStep(std::max(kSlotWidth, shown.width() - kLabelWidth));
    verticalScrollBar()->setRange(
        0, std::max(0, RowCount() * kRowHeight - (shown.height() - kHeaderHeight)));
    verticalScrollBar()->setPageStep(std::max(kRowHeight, shown.height() - kHeaderHeight));
}

void TRoomDayView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void TRoomDayView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (const std::optional<RoomDaySlot> slot = SlotAt(event->position().toPoint()))
        emit SlotClicked(*slot);
}

// --- painting ---

TRoomDayView::Span TRoomDayView::visibleRows(const QRect& area) const {
    const int dy = verticalScrollBar()->value();
    const int top = std::max(0, area.top() - kHeaderHeight + dy);
    const int bottom = area.bottom() - kHeaderHeight + dy;
    if (bottom < 0) return {};
    return {top / kRowHeight, std::min(RowCount() - 1, bottom / kRowHeight)};
}

TRoomDayView::Span TRoomDayView::visibleSlots(const QRect& area) const {
    const int dx = horizontalScrollBar()->value();
    const int left = std::max(0, area.left() - kLabelWidth + dx);
    const int right = area.right() - kLabelWidth + dx;
    if (right < 0) return {};
    return {left / kSlotWidth, std::min(kSlots - 1, right / kSlotWidth)};
}

void TRoomDayView::paintEvent(QPaintEvent* event) {
    QPainter p(viewport());
    const QRect area = event->rect();
    const Span rows = visibleRows(area), columns = visibleSlots(area);
    const QRect grid(kLabelWidth, kHeaderHeight, viewport()->width() - kLabelWidth,
                     viewport()->height() - kHeaderHeight);
    p.save();
    p.setClipRect(grid & area);
    paintGrid(p, grid & area, rows, columns);
    paintBookings(p, rows);
    paintOutline(p);
    p.restore();
    paintLabels(p, rows);
    paintHours(p, columns);
    p.fillRect(QRect(0, 0, kLabelWidth, kHeaderHeight), kFixedBackground);
}

void TRoomDayView::paintGrid(QPainter& p, const QRect& area, Span rows, Span columns) const {
    p.fillRect(area, kGridBackground);
    const int gridBottom = std::min(area.bottom(), rowTop(RowCount()));
    for (int s = columns.first; s <= columns.last; ++s) {
        p.setPen(s % 4 == 0 ? kHourLine : kQuarterLine);
        const int x = minuteX(s * kSlotMinutes);
        p.drawLine(x, area.top(), x, gridBottom);
    }
    p.setPen(kRowLine);
    const int right = std::min(area.right(), minuteX(24 * 60));
    for (int r = rows.first; r <= rows.last; ++r) {
        const int y = rowTop(r + 1) - 1;
        p.drawLine(area.left(), y, right, y);
    }
}

void TRoomDayView::paintBookings(QPainter& p, Span rows) const {
    const QFontMetrics fm = p.fontMetrics();
    for (int r = rows.first; r <= rows.last; ++r) {
        for (size_t i : m_byRow[static_cast<size_t>(r)]) {
            const RoomDayBooking& b = m_bookings[i];
            const QRect box(minuteX(b.startMinute) + 1, rowTop(r) + 2,
                            (b.endMinute - b.startMinute) * kSlotWidth / kSlotMinutes - 1,
                            kRowHeight - 5);
            p.fillRect(box, kBookingFill);
            p.setPen(kBookingBorder);
            p.drawRect(box);
            const QString text = QString::fromStdString(b.reference);
            p.setPen(Qt::black);
            p.drawText(box.adjusted(3, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft,
                       fm.elidedText(text, Qt::ElideRight, box.width() - 5));
        }
    }
}

void TRoomDayView::paintOutline(QPainter& p) const {
    if (!m_outline) return;
    const int left = minuteX(m_outline->startMinute);
    const int right = minuteX(m_outline->endMinute);
    const bool all = m_outline->row < 0;
    const int top = all ? rowTop(0) : rowTop(m_outline->row);
    const int bottom = all ? rowTop(RowCount()) : rowTop(m_outline->row + 1);
    QPen pen(kOutlinePen);
    pen.setWidth(2);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(QPoint(left, top + 1), QPoint(right - 1, bottom - 2)));
}

void TRoomDayView::paintLabels(QPainter& p, Span rows) const {
    const QRect column(0, kHeaderHeight, kLabelWidth, viewport()->height() - kHeaderHeight);
    p.fillRect(column, kFixedBackground);
    p.save();
    p.setClipRect(column);
    const QFontMetrics fm = p.fontMetrics();
    for (int r = rows.first; r <= rows.last; ++r) {
        const QRect cell(4, rowTop(r), kLabelWidth - 8, kRowHeight);
        p.setPen(Qt::black);
        p.drawText(cell, Qt::AlignVCenter | Qt::AlignLeft,
                   fm.elidedText(m_labels[static_cast<size_t>(r)], Qt::ElideRight, cell.width()));
        p.setPen(kRowLine);
        p.drawLine(0, cell.bottom(), kLabelWidth - 1, cell.bottom());
    }
    p.setPen(kHourLine);
    p.drawLine(kLabelWidth - 1, column.top(), kLabelWidth - 1, column.bottom());
    p.restore();
}

void TRoomDayView::paintHours(QPainter& p, Span columns) const {
    const QRect band(kLabelWidth, 0, viewport()->width() - kLabelWidth, kHeaderHeight);
    p.fillRect(band, kFixedBackground);
    p.save();
    p.setClipRect(band);
    // An hour's caption starts at its line, so the hour before the first visible slot too.
    const int firstHour = std::max(0, columns.first / 4 - 1);
    for (int h = firstHour; h * 4 <= columns.last; ++h) {
        const int x = minuteX(h * 60);
        p.setPen(kHourLine);
        p.drawLine(x, kHeaderHeight - 6, x, kHeaderHeight - 1);
        p.setPen(Qt::black);
        p.drawText(QRect(x + 2, 0, 4 * kSlotWidth - 2, kHeaderHeight - 2),
                   Qt::AlignVCenter | Qt::AlignLeft, QString::asprintf("%02d:00", h));
    }
    p.setPen(kHourLine);
    p.drawLine(band.left(), kHeaderHeight - 1, band.right(), kHeaderHeight - 1);
    p.restore();
}
