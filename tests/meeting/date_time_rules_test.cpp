// The meeting's end from its start and duration, the room methods' time form and the start of
// a meeting from its day and start text.
#include "meeting/date_time_rules.h"

#include <gtest/gtest.h>

#include "platform/exceptions.h"

using namespace Cli_zel00400;

TEST(MeetingEndTime, AddsMinutesWithCarryAndRefusesTheNextDay) {
    EXPECT_EQ("10:40", MeetingEndTime("09:50", "00:50"));
    EXPECT_EQ("23:59", MeetingEndTime("22:30", "01:29"));
    EXPECT_EQ(std::nullopt, MeetingEndTime("22:30", "01:30")) << "24:00 is the next day";
    EXPECT_EQ("09:05", MeetingEndTime(" 8:35", " 0:30")) << "a leading blank is a digit less";
    EXPECT_EQ("01:00", MeetingEndTime("01:00", "00:00"));
    EXPECT_THROW(MeetingEndTime("ab:00", "01:00"), EConvertError);
}

TEST(MeetingStart, JoinsDayAndTimeWithoutSeconds) {
    const TDateTime day = EncodeDate(2027, 3, 1);
    EXPECT_EQ(day + EncodeTime(9, 5, 0, 0), MeetingStart(day + 0.7, "09:05"));
    EXPECT_THROW(MeetingStart(day, "24:00"), EConvertError);
    EXPECT_THROW(MeetingStart(day, "  :  "), EConvertError);
    EXPECT_EQ("0905", HourDigits("09:05"));
    const HourMinute t = SplitTime(" 7:30");
    EXPECT_EQ(7, t.hours);
    EXPECT_EQ(30, t.minutes);
}
