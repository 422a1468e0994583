// The occurrence rule of a recurring meeting: which days a series made from its first meeting
// holds. Every occurrence keeps the first meeting's time of day. A series never reaches more
// than a year past its first meeting (the same day of the next year; 28/02 for a first
// meeting on 29/02). No database and no clock: the series methods and the tests call it.
#pragma once

#include <string>
#include <vector>

#include "platform/date_time.h"
#include "platform/series_dates.h"

namespace zel::appserver {

enum class SeriesFrequency : char {
    WorkingDays = 'D',  // every day from Monday to Friday
    Weekly = 'S',       // every week on the chosen weekdays
    Monthly = 'M',      // every month on the first meeting's day of the month
};

struct SeriesRule {
    SeriesFrequency frequency = SeriesFrequency::Weekly;
    std::string weekdays;  // weekly: digits 1 (Monday) to 7 (Sunday), ascending, each once
    TDateTime until = 0;   // the last day the series may hold (a date); 0: none
    int count = 0;         // occurrences, the first meeting included; 0: none

    char FrequencyLetter() const { return static_cast<char>(frequency); }
};

// The rule from the letters and values a client sends: frequency "D", "S" or "M"; weekday
// digits (weekly only; in any order, each once; ignored otherwise); an end date (0 for none)
// or a count (0 for none), exactly one of the two. Throws RpcError bad_arguments with a
// message for the operator.
SeriesRule ParseSeriesRule(const std::string& frequency, const std::string& weekdays,
                           TDateTime until, double count);

// Weekday digits 1 (Monday) to 7 (Sunday), in any order, blanks ignored, as an ascending text
// with each day once. Throws RpcError bad_arguments for another character or a repeated day,
// and with `noneMessage` when no day is given.
std::string NormalisedWeekdays(const std::string& text, const std::string& noneMessage);

// The last day a series whose first meeting starts at `first` may hold.
TDateTime SeriesLimit(TDateTime first);

// The starts of every occurrence of the rule (the platform's SeriesDates, the one the window
// checks a rule with), in order, `first` itself the first of them. A
// monthly rule skips the months without the first meeting's day (a first meeting on the 31st
// has none in April); skipped months do not count. Throws RpcError bad_arguments when the
// first meeting's day does not fit the rule (a Saturday for working days, a weekday not
// chosen), when the rule ends after SeriesLimit(first) or its count reaches past it, and when
// it holds no date besides the first.
std::vector<TDateTime> SeriesDates(TDateTime first, const SeriesRule& rule);

}  // namespace zel::appserver
