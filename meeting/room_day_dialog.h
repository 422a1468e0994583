// TRoomDayDialog: "Salas do Dia", the rooms of the branch against the hours of one day, or the
// week (Monday to Sunday) of one room. The operator moves a day (a week) back and forth and
// switches between the two. A click on a free slot is handed to OnFreeSlot, and the window
// closes when that ended normally; a click on a booked slot, or any click without OnFreeSlot,
// only shows. The bookings come from a fetch function (one day's packet of rooms and bookings),
// so the window knows nothing of connections. GUI thread only.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "meeting/room_day_view.h"
#include "platform/date_time.h"
#include "platform/packet.h"

class QComboBox;
class QLabel;
class QToolButton;
class TFlatButton;

// The current meeting's window on one day, outlined where it is shown; room "" when none.
struct RoomDayMeeting {
    std::string room;
    TDateTime day = 0;
    int startMinute = 0;
    int endMinute = 0;
};

// A free slot picked: the room and the slot's day and start (minutes since midnight).
struct RoomDayPick {
    std::string room;
    TDateTime day = 0;
    int minute = 0;
};

class TRoomDayDialog : public QDialog {
    Q_OBJECT
  public:
    // A day's rooms and active bookings: fields CDSALA, NMSALA, NRTAREFA, DSREFETAREFA,
    // HRINIAGESALA, HRFINAGESALA, and optionally the room's QTCAPACSALA and DSEQUIPSALA; a
    // room without bookings has one row with null times.
    using Fetch = std::function<DataPacket(TDateTime day)>;

    TRoomDayDialog(QWidget* parent, Fetch fetch, std::optional<RoomDayMeeting> meeting);

    // Loads and shows the rooms of `day`. A failing fetch raises and changes nothing.
    void ShowDay(TDateTime day);
    // Loads and shows the week of `room` that holds `day` (one row per day, Monday first).
    void ShowWeek(const std::string& room, TDateTime day);
    // One day (or one week) back or forth.
    void Step(int direction);
    // Switches between the day of every room and the week of the room picked in cbxSala.
    void SetWeekMode(bool week);

    bool WeekMode() const { return m_week; }
    TDateTime Day() const { return m_day; }
    // The rooms of the last day shown, in row order (the choice of cbxSala).
    const std::vector<std::string>& Rooms() const { return m_rooms; }
    std::string WeekRoom() const { return m_weekRoom; }
    TRoomDayView* View() const { return m_view; }

    // What a click on a slot means (nullptr: clicks only show).
    std::function<void(const RoomDayPick&)> OnFreeSlot;
    // Reports a slot click as a mouse click would (through the guard); false when it raised.
    bool ClickSlot(const RoomDaySlot& slot);

    TFlatButton* btnDiaAnterior = nullptr;
    TFlatButton* btnProximoDia = nullptr;
    QToolButton* btnSemana = nullptr;
    QComboBox* cbxSala = nullptr;
    QLabel* lblDia = nullptr;
    QLabel* lblDica = nullptr;

  private:
    struct Row {
        std::string room, name, meeting, reference, start, end, places, tags;
    };
    std::vector<Row> load(TDateTime day) const;
    void fillRoomChoice();
    void showOutline();
    void updateCaptions();
    void buildBar();

    Fetch m_fetch;
    std::optional<RoomDayMeeting> m_meeting;
    TRoomDayView* m_view = nullptr;
    bool m_week = false;
    TDateTime m_day = 0;  // the day shown; in week mode its Monday
    std::vector<std::string> m_rooms;
    std::vector<std::string> m_roomNames;
    std::vector<std::string> m_roomOffers;  // "12 lugares; projetor, quadro branco"
    std::string m_weekRoom;
};
