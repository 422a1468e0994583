// The time rules of a participant's activity: start, duration and end.
#include <gtest/gtest.h>

#include "meeting/activity_time_rules.h"

using namespace Cli_zel00400;

namespace {

// A server clock that counts how often it was asked.
struct Clock {
    TDateTime now;
    int asked = 0;
    ServerClock Fn() {
        return [this] {
            ++asked;
            return now;
        };
    }
};

const TDateTime kNow = EncodeDateTime(2030, 4, 10, 9, 30, 15, 0);

TEST(ActivityStartErrorTest, BlankIsAnErrorOnlyWhenRequired) {
    Clock clock{kNow};
    EXPECT_EQ("DTDEVE", ActivityStartError("", true, true, clock.Fn()));
    EXPECT_EQ("", ActivityStartError("", false, true, clock.Fn()));
    EXPECT_EQ("DTDEVE", ActivityStartError("  /  /       :  :  ", true, true, clock.Fn()))
        << "the empty mask is blank too";
    EXPECT_EQ(0, clock.asked);
}

TEST(ActivityStartErrorTest, MalformedOrOutOfRangePartsAreInvalid) {
    Clock clock{kNow};
    for (const char* text :
         {"10/04/2030 10:00", "10/13/2030 10:00:00", "10/00/2030 10:00:00", "31/04/2030 10:00:00",
          "00/05/2030 10:00:00", "10/05/2030 24:00:00", "10/05/2030 10:60:00",
          "10/05/2030 10:00:60", "1a/05/2030 10:00:00", "10/  /2030 10:00:00"})
        EXPECT_EQ("DTHR_INV", ActivityStartError(text, true, true, clock.Fn())) << text;
    EXPECT_EQ("", ActivityStartError("29/02/2028 10:00:00", true, false, clock.Fn()))
        << "a leap day passes the day check";
    EXPECT_EQ("", ActivityStartError("10/05/2030  9:05:00", true, true, clock.Fn()))
        << "a one-digit hour shown with a blank";
}

TEST(ActivityStartErrorTest, OnlyANewActivityIsComparedWithTheServerClock) {
    Clock clock{kNow};
    EXPECT_EQ("DTHR_MEN", ActivityStartError("10/05/2029 10:00:00", true, true, clock.Fn()))
        << "an earlier year";
    EXPECT_EQ("DTHR_MEN", ActivityStartError("10/04/2030 09:30:00", true, true, clock.Fn()))
        << "the server's current minute, its seconds above zero, is past";
    EXPECT_EQ("", ActivityStartError("10/04/2030 09:30:15", true, true, clock.Fn()));
    EXPECT_EQ(5, clock.asked) << "asked afresh at every comparison";
    clock.asked = 0;
    EXPECT_EQ("", ActivityStartError("10/04/2020 09:30:00", true, false, clock.Fn()))
        << "an existing activity may keep a past start";
    EXPECT_EQ(0, clock.asked);
}

TEST(ActivityStartTextInvalidTest, TypedTextNeedsDigitsAtFixedPlacesAndAFutureMoment) {
    Clock clock{kNow};
    EXPECT_FALSE(ActivityStartTextInvalid("11/04/2030 08:00:00", clock.Fn()));
    EXPECT_TRUE(ActivityStartTextInvalid("10/04/2030 09:00:00", clock.Fn())) << "past";
    EXPECT_TRUE(ActivityStartTextInvalid("31/04/2030 10:00:00", clock.Fn()));
    EXPECT_TRUE(ActivityStartTextInvalid("11/04/2030  8:00:00", clock.Fn())) << "a blank";
    EXPECT_TRUE(ActivityStartTextInvalid("11/04/2030 08:00", clock.Fn())) << "too short";
    EXPECT_TRUE(ActivityStartTextInvalid("11/13/2030 08:00:00", clock.Fn()));
}

TEST(ActivityDurationErrorTest, ChecksTheHhhhmmText) {
    EXPECT_EQ("qtde_vaz", ActivityDurationError("", true));
    EXPECT_EQ("", ActivityDurationError("      ", false));
    EXPECT_EQ("qtde_inv", ActivityDurationError("0130", true));
    EXPECT_EQ("qtde_inv", ActivityDurationError("00 130", true));
    EXPECT_EQ("DTFIN_ULTR", ActivityDurationError("010000", true)) << "100 hours";
    EXPECT_EQ("DTFIN_ULTR", ActivityDurationError("002400", true));
    EXPECT_EQ("MIN_EXCED", ActivityDurationError("000075", true));
    EXPECT_EQ("qtde_inv", ActivityDurationError("000000", true));
    EXPECT_EQ("", ActivityDurationError("002359", true));
}

TEST(ActivityDurationTimeTextTest, InsertsTheColonUnlessItIsThere) {
    EXPECT_EQ("0001:30", ActivityDurationTimeText("000130"));
    EXPECT_EQ("0001:30", ActivityDurationTimeText("0001:30"));
}

TEST(ActivityEndOfTest, EndsTheSameDayWithTheStartsSeconds) {
    const TDateTime start = EncodeDateTime(2030, 4, 10, 23, 30, 15, 0);
    ActivityEnd end = ActivityEndOf(start, "000029");
    EXPECT_EQ("", end.error);
    EXPECT_EQ(EncodeDateTime(2030, 4, 10, 23, 59, 15, 0), end.end);
    EXPECT_EQ("000029", end.duration);
    EXPECT_EQ("DTFIN_ULTR", ActivityEndOf(start, "000030").error) << "24:00 is the next day";
    end = ActivityEndOf(EncodeDateTime(2030, 4, 10, 9, 50, 0, 0), "000050");
    EXPECT_EQ(EncodeDateTime(2030, 4, 10, 10, 40, 0, 0), end.end) << "minutes carry";
}

TEST(ActivityStartTextTest, NoStartShowsNothing) {
    EXPECT_EQ("", ActivityStartText(0));
    EXPECT_EQ("10/04/2030 09:30:15", ActivityStartText(kNow));
}

}  // namespace
