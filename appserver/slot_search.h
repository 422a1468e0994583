// The search for meeting slots over busy times already read: which starts of a range of days
// fall in the working hours, leave every participant free and find a room free. No database
// and no clock: the scheduling methods read the busy times set-wise and hand them here.
#pragma once

#include <cstdint>
#include <vector>

#include "appserver/working_hours.h"
#include "platform/date_time.h"

namespace zel::appserver {

// Minutes since 30/12/1899 00:00, the one scale of busy times and slots (rounded to the
// minute), and back.
int64_t MinuteOf(TDateTime t);
TDateTime TimeOfMinute(int64_t minute);

// A time range [from, to) in minutes.
struct Interval {
    int64_t from = 0, to = 0;
};

// The busy times of one resource, or of several taken together: fixed once built.
class BusyTimes {
  public:
    BusyTimes() = default;
    // Empty ranges are dropped; overlapping and touching ones are joined.
    explicit BusyTimes(std::vector<Interval> busy);
    // True when no busy range overlaps [from, to) (a range ending at `from` does not).
    bool Free(int64_t from, int64_t to) const;

  private:
    std::vector<Interval> m_busy;  // sorted, disjoint
};

struct SlotSearch {
    WorkingHours hours;
    int minutes = 60;      // the meeting's duration
    int stepMinutes = 30;  // starts are offered from the working start on, this far apart
    TDateTime after = 0;   // a start must be later than this (the server clock)
    size_t wanted = 10;    // the search stops when this many slots are found
};

struct Slot {
    int64_t start = 0;  // minute of the start
    size_t room = 0;    // index of the room in the rooms handed to FindSlots
};

// The starts (minutes) of the days [firstDay, endDay), in order of time, that a meeting may
// take as far as its participants go: on working days, on the step grid from the working
// start, ending by the working end, later than `search.after`, with `people` free for the
// whole meeting.
std::vector<int64_t> FreeStarts(const SlotSearch& search, TDateTime firstDay, TDateTime endDay,
                                const BusyTimes& people);

// Appends to `out`, in order, the starts that find a room free for the whole meeting, each
// with the first of `rooms` (in the order given) that is free, until `out` holds
// `search.wanted` slots.
void AssignRooms(const SlotSearch& search, const std::vector<int64_t>& starts,
                 const std::vector<BusyTimes>& rooms, std::vector<Slot>& out);

}  // namespace zel::appserver
