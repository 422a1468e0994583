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

// Appends to `out`, in order of time, the slots of the days [firstDay, endDay) until it holds
// `search.wanted`: on working days, starting on the step grid from the working start, ending
// by the working end, later than `search.after`, with `people` free for the whole meeting and
// a room free; the room is the first of `rooms` (in the order given) that is free.
void FindSlots(const SlotSearch& search, TDateTime firstDay, TDateTime endDay,
               const BusyTimes& people, const std::vector<BusyTimes>& rooms,
               std::vector<Slot>& out);

}  // namespace zel::appserver
