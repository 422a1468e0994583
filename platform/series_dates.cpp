#include "platform/series_dates.h"

#include <algorithm>

int IsoWeekday(TDateTime value) {
    return (DayOfWeek(value) + 5) % 7 + 1;
}

TDateTime OneYearAfter(TDateTime value) {
    const DateParts d = DecodeDate(value);
    const int day = std::min(d.day, DaysInMonth(d.year + 1, d.month));
    return EncodeDate(d.year + 1, d.month, day);
}

namespace {

bool Matches(const SeriesRule& rule, TDateTime day) {
    const int weekday = IsoWeekday(day);
    if (rule.frequency == 'D') return weekday <= 5;
    return rule.weekdays.find(static_cast<char>('0' + weekday)) != std::string::npos;
}

// Adds the next start to `plan` unless the rule has ended; false when it has.
bool Take(SeriesPlan& plan, const SeriesRule& rule, TDateTime day, TDateTime time,
          TDateTime limit) {
    if (rule.count > 0 && static_cast<int>(plan.starts.size()) >= rule.count) return false;
    if (rule.count == 0 && day > DateOf(rule.until)) return false;
    if (day > limit) {
        plan.beyondOneYear = true;
        return false;
    }
    plan.starts.push_back(day + time);
    return true;
}

}  // namespace

SeriesPlan SeriesDates(const SeriesRule& rule, TDateTime firstStart) {
    SeriesPlan plan;
    const TDateTime first = DateOf(firstStart);
    const TDateTime time = TimeOf(firstStart);
    const TDateTime limit = OneYearAfter(first);
    plan.starts.push_back(firstStart);
    if (rule.count == 0 && DateOf(rule.until) > limit) plan.beyondOneYear = true;
    if (rule.frequency == 'M') {
        const DateParts d = DecodeDate(first);
        for (int k = 1;; ++k) {
            const int month0 = d.month - 1 + k;
            const int year = d.year + month0 / 12, month = month0 % 12 + 1;
            if (d.day > DaysInMonth(year, month)) continue;
            if (!Take(plan, rule, EncodeDate(year, month, d.day), time, limit)) break;
        }
        return plan;
    }
    if (rule.frequency == 'S' && rule.weekdays.empty()) return plan;
    // A week past the limit is far enough to meet any weekday the rule names.
    for (TDateTime day = first + 1; day <= limit + 7; day += 1) {
        if (!Matches(rule, day)) continue;
        if (!Take(plan, rule, day, time, limit)) break;
    }
    return plan;
}
