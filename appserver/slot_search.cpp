#include "appserver/slot_search.h"

#include <algorithm>
#include <cmath>

namespace zel::appserver {

int64_t MinuteOf(TDateTime t) {
    return std::llround(t * 1440.0);
}

TDateTime TimeOfMinute(int64_t minute) {
    return static_cast<double>(minute) / 1440.0;
}

BusyTimes::BusyTimes(std::vector<Interval> busy) {
    std::sort(busy.begin(), busy.end(),
              [](const Interval& a, const Interval& b) { return a.from < b.from; });
    for (const Interval& i : busy) {
        if (i.to <= i.from) continue;
        if (!m_busy.empty() && i.from <= m_busy.back().to)
            m_busy.back().to = std::max(m_busy.back().to, i.to);
        else
            m_busy.push_back(i);
    }
}

bool BusyTimes::Free(int64_t from, int64_t to) const {
    // The first busy range that ends after `from`; the ranges are disjoint, so their ends
    // are sorted too.
    const auto it = std::upper_bound(m_busy.begin(), m_busy.end(), from,
                                     [](int64_t t, const Interval& i) { return t < i.to; });
    return it == m_busy.end() || it->from >= to;
}

std::vector<int64_t> FreeStarts(const SlotSearch& search, TDateTime firstDay, TDateTime endDay,
                                const BusyTimes& people) {
    std::vector<int64_t> starts;
    const int lastStart = search.hours.endMinute - search.minutes;
    for (TDateTime day = DateOf(firstDay); day < endDay; day += 1) {
        if (!search.hours.WorksOn(day)) continue;
        const int64_t midnight = MinuteOf(day);
        for (int s = search.hours.startMinute; s <= lastStart; s += search.stepMinutes) {
            const int64_t from = midnight + s;
            if (TimeOfMinute(from) > search.after && people.Free(from, from + search.minutes))
                starts.push_back(from);
        }
    }
    return starts;
}

void AssignRooms(const SlotSearch& search, const std::vector<int64_t>& starts,
                 const std::vector<BusyTimes>& rooms, std::vector<Slot>& out) {
    for (const int64_t from : starts) {
        if (out.size() >= search.wanted) return;
        for (size_t r = 0; r < rooms.size(); ++r) {
            if (!rooms[r].Free(from, from + search.minutes)) continue;
            out.push_back({from, r});
            break;
        }
    }
}

}  // namespace zel::appserver
