// TRoomDayView: rows (the rooms of a branch on one day, or the days of one room's week) against
// the hours of a day in 15-minute slots. Painted by hand, only the exposed rows and slots, so a
// branch of hundreds of rooms paints as fast as a handful. The row labels on the left and the
// hours on top stay in place while the grid scrolls. A click on a slot is reported with its row
// and start minute; what it means is up to the owner. GUI thread only.
#pragma once

#include <QAbstractScrollArea>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "platform/date_time.h"

// Minutes since midnight of a four-digit HHMM text as the server sends times; -1 when it is
// none.
int HhmmMinutes(const std::string& hhmm);
// "Terça-feira, 15/12/2026".
QString DayCaption(TDateTime day);

// A booked interval [startMinute, endMinute) of one row, minutes since midnight.
struct RoomDayBooking {
    int row = 0;
    int startMinute = 0;
    int endMinute = 0;
    std::string meeting;    // the meeting's number ("" for a booking of no meeting)
    std::string reference;  // drawn inside the booking
};

// A slot of the grid: its row and the minute it starts at (a multiple of kSlotMinutes).
struct RoomDaySlot {
    int row = 0;
    int minute = 0;
    friend bool operator==(const RoomDaySlot&, const RoomDaySlot&) = default;
};

// The window outlined (the current meeting's); row -1 outlines it across every row.
struct RoomDayOutline {
    int row = -1;
    int startMinute = 0;
    int endMinute = 0;
};

class TRoomDayView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    static constexpr int kSlotMinutes = 15;
    static constexpr int kSlots = 24 * 60 / kSlotMinutes;
    static constexpr int kLabelWidth = 170;
    static constexpr int kHeaderHeight = 22;
    static constexpr int kRowHeight = 22;
    static constexpr int kSlotWidth = 14;

    explicit TRoomDayView(QWidget* parent = nullptr);

    // New rows drop the bookings and the outline.
    void SetRows(std::vector<QString> labels);
    // Bookings of rows outside the rows set are ignored; times are clamped to the day.
    void SetBookings(std::vector<RoomDayBooking> bookings);
    void SetOutline(std::optional<RoomDayOutline> outline);

    int RowCount() const { return static_cast<int>(m_labels.size()); }
    const QString& RowLabel(int row) const { return m_labels.at(static_cast<size_t>(row)); }
    const std::vector<RoomDayBooking>& Bookings() const { return m_bookings; }
    const std::optional<RoomDayOutline>& Outline() const { return m_outline; }
    // The booking covering the slot, nullptr when the slot is free.
    const RoomDayBooking* BookingAt(const RoomDaySlot& slot) const;
    // The slot under a point of the viewport; nullopt on the labels, the hours or past the end.
    std::optional<RoomDaySlot> SlotAt(QPoint viewportPoint) const;
    // Where a slot is drawn in the viewport now (it may lie outside the visible part).
    QRect SlotRect(const RoomDaySlot& slot) const;
    // Scrolls so that `minute` is the first hour shown and `row` is visible.
    void ScrollTo(int row, int minute);
    // The size that shows every row and the whole day without scrolling.
    QSize ContentSize() const;

  signals:
    void SlotClicked(RoomDaySlot slot);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    struct Span {
        int first = 0;
        int last = -1;  // inclusive; last < first when none
    };
    Span visibleRows(const QRect& area) const;
    Span visibleSlots(const QRect& area) const;
    void paintGrid(QPainter& p, const QRect& area, Span rows, Span columns) const;
    void paintBookings(QPainter& p, Span rows) const;
    void paintOutline(QPainter& p) const;
    void paintLabels(QPainter& p, Span rows) const;
    void paintHours(QPainter& p, Span columns) const;
    int rowTop(int row) const;
    int minuteX(int minute) const;
    void updateScrollBars();

    std::vector<QString> m_labels;
    std::vector<RoomDayBooking> m_bookings;
    std::vector<std::vector<size_t>> m_byRow;  // indexes of m_bookings per row
    std::optional<RoomDayOutline> m_outline;
};
