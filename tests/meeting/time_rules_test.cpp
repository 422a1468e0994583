// Real hours <-> "hh:mm" texts of the meeting window's edits.
#include <gtest/gtest.h>

#include "meeting/time_rules.h"
#include "platform/exceptions.h"

using namespace Cli_zel00400;

namespace {

TEST(RealToStTimeTest, FormatsHoursAndRoundedMinutesWithoutCarry) {
    EXPECT_EQ("00:00", RealToStTime(0));
    EXPECT_EQ("01:30", RealToStTime(1.5));
    EXPECT_EQ("01:20", RealToStTime(1.33333333));
    EXPECT_EQ("10:40", RealToStTime(9 + 50 / 60.0 + 50 / 60.0));
    EXPECT_EQ("01:60", RealToStTime(1.999)) << "59.94 minutes round to 60, no carry";
    EXPECT_EQ("123:15", RealToStTime(123.25));
}

TEST(RealToStTimeTest, NegativeValuesCarryTheSignInFront) {
    EXPECT_EQ("-01:30", RealToStTime(-1.5));
    EXPECT_EQ("-00:15", RealToStTime(-0.25));
}

TEST(StTimeToRealTest, ReadsHoursAndTwoMinuteDigitsRoundedToEightDecimals) {
    EXPECT_DOUBLE_EQ(1.5, StTimeToReal("01:30"));
    EXPECT_DOUBLE_EQ(0.33333333, StTimeToReal("00:20"));
    EXPECT_DOUBLE_EQ(2.25, StTimeToReal("01:75")) << "range checks are the callers'";
    EXPECT_DOUBLE_EQ(9.5, StTimeToReal(" 9:30"));
    EXPECT_DOUBLE_EQ(1.75, StTimeToReal("01:459")) << "only two characters after the colon";
}

TEST(StTimeToRealTest, BlankPartsCountAsZero) {
    EXPECT_DOUBLE_EQ(0, StTimeToReal("  :  "));
    EXPECT_DOUBLE_EQ(0, StTimeToReal(""));
    EXPECT_DOUBLE_EQ(0.5, StTimeToReal("  :30"));
    EXPECT_DOUBLE_EQ(2, StTimeToReal("02:  "));
}

TEST(StTimeToRealTest, TextThatIsNoNumberRaises) {
    EXPECT_THROW(StTimeToReal("ab:cd"), EConvertError);
    EXPECT_THROW(StTimeToReal("01:x5"), EConvertError);
}

TEST(TimeRulesTest, DurationsOfWholeMinutesSurviveTheRoundTrip) {
    for (int minutes = 1; minutes < 24 * 60; minutes += 7) {
        const std::string text = RealToStTime(minutes / 60.0);
        EXPECT_EQ(text, RealToStTime(StTimeToReal(text))) << minutes;
    }
}

TEST(CalculaHoraFinalTest, AddsTheDurationToTheStartWithinTheDay) {
    EXPECT_EQ("16/01/2027 10:30:00", calculaHoraFinal("16/01/2027 09:00:00", "1,5"));
    EXPECT_EQ("16/01/2027 10:40:00", calculaHoraFinal("16/01/2027 09:50:00", "0,83333333"))
        << "50 minutes carry into the hour";
    EXPECT_EQ("16/01/2027 23:59:00", calculaHoraFinal("16/01/2027 22:30:00", "1,48333333"));
    EXPECT_EQ("16/01/2027 01:00:00", calculaHoraFinal("16/01/2027", "1"))
        << "a midnight start comes as the date alone";
}

TEST(CalculaHoraFinalTest, AnEndAtOrPastMidnightIsRefusedAndBadNumbersRaise) {
    EXPECT_EQ(std::nullopt, calculaHoraFinal("16/01/2027 22:30:00", "1,5"));
    EXPECT_EQ(std::nullopt, calculaHoraFinal("16/01/2027 09:00:00", "100"))
        << "a duration of a hundred hours does not wrap around";
    EXPECT_THROW(calculaHoraFinal("16/01/2027 09:00:00", "uma hora"), EConvertError);
    EXPECT_THROW(calculaHoraFinal("16/01/2027 9h:00:00", "1"), EConvertError);
}

}  // namespace
