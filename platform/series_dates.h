// The dates of a recurring meeting's rule: every working day, every week on chosen weekdays,
// or every month on the first meeting's day of the month, ending on a date or after a number
// of occurrences, never more than one year after the first meeting. No Qt; the window checks
// a rule with it before anything is saved.
#pragma once

#include <string>
#include <vector>

#include "platform/date_time.h"

struct SeriesRule {
    // 'D' every working day (Monday to Friday), 'S' every week on `weekdays`, 'M' every month
    // on the first meeting's day of the month (months without that day have none).
    char frequency = 'S';
    // Weekly: weekday digits, 1 = Monday .. 7 = Sunday ("135"); ignored otherwise.
    std::string weekdays;
    // The last day an occurrence may fall on (time ignored), or 0 when `count` ends the rule.
    TDateTime until = 0;
    // Number of occurrences including the first, or 0 when `until` ends the rule.
    int count = 0;
};

struct SeriesPlan {
    // The starts of the occurrences in order, the first meeting's start first; each has the
    // first meeting's time of day.
    std::vector<TDateTime> starts;
    // The rule ends (or its count is reached) later than one year after the first meeting:
    // such a rule is refused, and `starts` holds only the dates within the year.
    bool beyondOneYear = false;
};

// ISO weekday of a date: 1 = Monday .. 7 = Sunday.
int IsoWeekday(TDateTime value);
// The same day one year later (29 February becomes 28 February).
TDateTime OneYearAfter(TDateTime value);
// The occurrences of `rule` for a series whose first meeting starts at `firstStart`.
SeriesPlan SeriesDates(const SeriesRule& rule, TDateTime firstStart);
