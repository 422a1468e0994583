// The occurrence rule of a series, checked against libical's own expansion of the same
// RRULE, and its refusals: the one-year limit, a first day that does not fit, bad arguments.
#include <gtest/gtest.h>
#include <libical/ical.h>

#include "appserver/rpc_error.h"
#include "appserver/series_rule.h"
#include "appserver/sql_value.h"

namespace zel::appserver::test {
namespace {

std::vector<std::string> Texts(const std::vector<TDateTime>& dates) {
    std::vector<std::string> out;
    for (const TDateTime d : dates)
        out.push_back(SqlDateTimeText(d));
    return out;
}

// The starts libical gives for `rrule` from `first` (floating local time).
std::vector<std::string> Libical(const std::string& rrule, TDateTime first) {
    const DateParts d = DecodeDate(first);
    const TimeParts t = DecodeTime(first);
    icaltimetype start = icaltime_null_time();
    start.year = d.year;
    start.month = d.month;
    start.day = d.day;
    start.hour = t.hour;
    start.minute = t.minute;
    const icalrecurrencetype rule = icalrecurrencetype_from_string(rrule.c_str());
    icalrecur_iterator* it = icalrecur_iterator_new(rule, start);
    std::vector<TDateTime> dates;
    for (icaltimetype next = icalrecur_iterator_next(it);
         !icaltime_is_null_time(next) && dates.size() < 400; next = icalrecur_iterator_next(it))
        dates.push_back(EncodeDateTime(next.year, next.month, next.day, next.hour, next.minute,
                                       next.second, 0));
    icalrecur_iterator_free(it);
    return Texts(dates);
}

std::vector<std::string> Ours(const std::string& freq, const std::string& days, TDateTime until,
                              int count, TDateTime first) {
    return Texts(SeriesDates(first, ParseSeriesRule(freq, days, until, count)));
}

std::string Refusal(const std::string& freq, const std::string& days, TDateTime until, double count,
                    TDateTime first) {
    try {
        SeriesDates(first, ParseSeriesRule(freq, days, until, count));
    } catch (const RpcError& e) {
        return e.code() + ": " + e.what();
    }
    return "accepted";
}

TEST(SeriesRuleTest, DatesMatchLibicalsExpansionOfTheSameRule) {
    const TDateTime wednesday = EncodeDateTime(2030, 1, 2, 14, 30, 0, 0);
    EXPECT_EQ(Ours("S", "531", 0, 10, wednesday),
              Libical("FREQ=WEEKLY;BYDAY=MO,WE,FR;COUNT=10", wednesday));
    EXPECT_EQ(Ours("D", "", EncodeDate(2030, 2, 15), 0, wednesday),
              Libical("FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR;UNTIL=20300215T235959", wednesday));
    // The 31st: months without it have no occurrence and do not count.
    const TDateTime jan31 = EncodeDateTime(2030, 1, 31, 9, 0, 0, 0);
    const auto monthly = Ours("M", "", 0, 7, jan31);
    EXPECT_EQ(monthly, Libical("FREQ=MONTHLY;BYMONTHDAY=31;COUNT=7", jan31));
    EXPECT_EQ(monthly.back(), "2030-12-31 09:00:00");
    // Weekly on the first meeting's day only, up to an end date, the end day included.
    EXPECT_EQ(Ours("S", "3", EncodeDate(2030, 1, 30), 0, wednesday).size(), 5u);
}

TEST(SeriesRuleTest, ASeriesReachesAtMostOneYearPastItsFirstMeeting) {
    const TDateTime first = EncodeDateTime(2030, 1, 15, 9, 0, 0, 0);
    EXPECT_EQ(Ours("M", "", 0, 13, first).back(), "2031-01-15 09:00:00");
    EXPECT_EQ(Refusal("M", "", 0, 14, first).substr(0, 13), "bad_arguments");
    EXPECT_EQ(Ours("D", "", EncodeDate(2031, 1, 15), 0, first).back(), "2031-01-15 09:00:00");
    EXPECT_NE(Refusal("D", "", EncodeDate(2031, 1, 16), 0, first).find("15/01/2031"),
              std::string::npos);
    // From 29/02 the limit is 28/02 of the next year.
    EXPECT_EQ(SeriesLimit(EncodeDateTime(2028, 2, 29, 9, 0, 0, 0)), EncodeDate(2029, 2, 28));
}

TEST(SeriesRuleTest, BadRulesAndFirstDaysOutsideTheRuleAreRefused) {
    const TDateTime saturday = EncodeDateTime(2030, 1, 5, 9, 0, 0, 0);
    const TDateTime monday = EncodeDateTime(2030, 1, 7, 9, 0, 0, 0);
    EXPECT_NE(Refusal("D", "", 0, 5, saturday).find("sábado"), std::string::npos);
    EXPECT_NE(Refusal("S", "12", 0, 5, saturday).find("sábado"), std::string::npos);
    for (const auto& [freq, days, until, count] :
         std::vector<std::tuple<std::string, std::string, TDateTime, double>>{
             {"X", "", 0, 5},                       // unknown frequency
             {"S", "", 0, 5},                       // weekly without a weekday
             {"S", "18", 0, 5},                     // no weekday 8
             {"S", "11", 0, 5},                     // a weekday twice
             {"M", "", 0, 0},                       // neither end date nor count
             {"M", "", EncodeDate(2030, 6, 1), 5},  // both
             {"M", "", 0, 2.5},                     // part of an occurrence
             {"M", "", 0, 1},                       // only the first meeting
             {"M", "", EncodeDate(2030, 1, 1), 0},  // ending before it starts
         })
        EXPECT_EQ(Refusal(freq, days, until, count, monday).substr(0, 13), "bad_arguments")
            << freq << " " << days << " " << count;
}

}  // namespace
}  // namespace zel::appserver::test
