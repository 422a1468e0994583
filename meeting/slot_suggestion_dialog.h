// TSlotSuggestionDialog: "Sugerir horário", the first free slots of a meeting's participants
// with a room that fits, and the free/busy of the chosen slot's day: a row per participant and
// per suggested room, busy blocks drawn by the rooms' day view. The operator may change the
// duration, the earliest day, the places and the equipment and search again. Choosing a slot
// hands it to OnChoose; the dialog closes when that ended normally and stays open (the slot
// refused, its message shown) otherwise. The slots and the free/busy come from fetch
// functions, so the dialog knows nothing of connections. GUI thread only.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/date_time.h"
#include "platform/packet.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimeEdit;
class TDatePickerEdit;
class TFlatButton;
class TRoomDayView;

// What the slots are searched for.
struct SlotRequest {
    TDateTime earliest = 0;  // the first day
    int minutes = 60;        // the meeting's duration
    int places = 0;          // at least so many places (0: any room)
    std::string tags;        // equipment the room must have, separated by commas
};

// A slot offered: its day, start and end (minutes since midnight) and its room.
struct SuggestedSlot {
    TDateTime day = 0;
    int startMinute = 0;
    int endMinute = 0;
    std::string room, roomName, tags;
    std::optional<int64_t> places;
};

class TSlotSuggestionDialog : public QDialog {
    Q_OBJECT
  public:
    // The slots of a request: fields DTHRREUNIAO, HRINIAGESALA, HRFINAGESALA, CDSALA, NMSALA,
    // QTCAPACSALA, DSEQUIPSALA.
    using Suggest = std::function<DataPacket(const SlotRequest& request)>;
    // The busy ranges of a day: fields IDRECURSO ("P" participant, "S" room), CDRECURSO,
    // NMRECURSO, HRINIOCUP, HRFINOCUP, NRTAREFA, DSREFETAREFA; a resource free all day has
    // one row without times.
    using FreeBusy =
        std::function<DataPacket(TDateTime day, const std::vector<std::string>& rooms)>;

    TSlotSuggestionDialog(QWidget* parent, Suggest suggest, FreeBusy freeBusy,
                          const SlotRequest& initial, const QString& participants);

    // Searches with the request as typed and shows the slots, the first one chosen with its
    // day's free/busy. A failing fetch raises and leaves the list as it was.
    void Search();
    SlotRequest Request() const;
    const std::vector<SuggestedSlot>& Slots() const { return m_slots; }
    // Makes slot `index` the current one and shows its day's free/busy.
    void SelectSlot(int index);
    int CurrentSlot() const;
    // Hands the current slot to OnChoose through the guard; closes the dialog when it ended
    // normally. False when there is no slot or OnChoose raised.
    bool ChooseSlot();

    // What choosing a slot means; the duration chosen comes with it.
    std::function<void(const SuggestedSlot& slot, int minutes)> OnChoose;

    TDatePickerEdit* depDia = nullptr;
    QTimeEdit* tmeDuracao = nullptr;
    QSpinBox* spnLugares = nullptr;
    QLineEdit* edtEquipamentos = nullptr;
    TFlatButton* btnBuscar = nullptr;
    QTableWidget* grdHorarios = nullptr;
    TRoomDayView* View() const { return m_view; }
    QLabel* lblDia = nullptr;
    QLabel* lblDica = nullptr;
    QPushButton* btnUsar = nullptr;

  private:
    void buildRequestBar(const QString& participants);
    void fillSlots();
    void showFreeBusy(const SuggestedSlot& slot);

    Suggest m_suggest;
    FreeBusy m_freeBusy;
    std::vector<SuggestedSlot> m_slots;
    TRoomDayView* m_view = nullptr;
    TDateTime m_freeBusyDay = -1;  // the day the view shows
};
