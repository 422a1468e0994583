// The dates of a recurring meeting's rule and the checks the form page makes before the first
// meeting is saved.
#include "meeting/series_rules.h"

#include <gtest/gtest.h>

namespace {

// "dd/mm" of each start, joined with blanks.
std::string Days(const SeriesPlan& plan) {
    std::string out;
    for (TDateTime t : plan.starts)
        out += (out.empty() ? "" : " ") + DateToStr(t).substr(0, 5);
    return out;
}

const TDateTime kNine = EncodeTime(9, 0, 0, 0);

}  // namespace

TEST(SeriesDates, WeeklyWorkingDaysAndMonthlyKeepTheFirstMeetingsTime) {
    // Monday 1 March 2027.
    const TDateTime monday = EncodeDate(2027, 3, 1) + kNine;
    const SeriesPlan weekly = SeriesDates({'S', "35", 0, 5}, monday);
    EXPECT_EQ("01/03 03/03 05/03 10/03 12/03", Days(weekly));
    EXPECT_EQ(kNine, TimeOf(weekly.starts.back()));
    EXPECT_FALSE(weekly.beyondOneYear);

    // Thursday 4 March until Wednesday 10 March: the weekend is left out, the end day counts.
    const SeriesPlan working =
        SeriesDates({'D', "", EncodeDate(2027, 3, 10), 0}, EncodeDate(2027, 3, 4) + kNine);
    EXPECT_EQ("04/03 05/03 08/03 09/03 10/03", Days(working));

    // Day 31: months without it have no meeting; no shift to the month's last day.
    const SeriesPlan monthly = SeriesDates({'M', "", 0, 4}, EncodeDate(2027, 1, 31) + kNine);
    EXPECT_EQ("31/01 31/03 31/05 31/07", Days(monthly));
}

TEST(SeriesDates, NothingBeyondOneYearAfterTheFirstMeeting) {
    const TDateTime first = EncodeDate(2027, 3, 1) + kNine;
    EXPECT_FALSE(SeriesDates({'M', "", 0, 13}, first).beyondOneYear) << "01/03/2028 is the limit";
    const SeriesPlan tooMany = SeriesDates({'M', "", 0, 14}, first);
    EXPECT_TRUE(tooMany.beyondOneYear);
    EXPECT_EQ(13u, tooMany.starts.size());
    EXPECT_TRUE(SeriesDates({'S', "1", EncodeDate(2028, 3, 2), 0}, first).beyondOneYear);
    EXPECT_FALSE(SeriesDates({'S', "1", EncodeDate(2028, 3, 1), 0}, first).beyondOneYear);
    EXPECT_EQ(EncodeDate(2029, 2, 28), OneYearAfter(EncodeDate(2028, 2, 29)));
    // A weekday list naming no real weekday ends instead of looping.
    EXPECT_EQ(1u, SeriesDates({'S', "9", 0, 3}, first).starts.size());
}

TEST(SeriesRuleProblem, RefusesWhatCannotBePlannedWithAClearMessage) {
    const TDateTime first = EncodeDate(2027, 3, 1) + kNine;
    EXPECT_EQ("", reuniao::SeriesRuleProblem({'S', "1", 0, 4}, first));
    EXPECT_EQ("Marque ao menos um dia da semana para a repetição.",
              reuniao::SeriesRuleProblem({'S', "", 0, 4}, first));
    EXPECT_EQ("A data final da repetição deve ser posterior à data da reunião.",
              reuniao::SeriesRuleProblem({'D', "", EncodeDate(2027, 3, 1), 0}, first));
    EXPECT_EQ("A repetição pode ir no máximo até 01/03/2028 (um ano após a primeira reunião).",
              reuniao::SeriesRuleProblem({'D', "", 0, 300}, first));
    // The first meeting is a Monday: it must fit the rule, and the rule must hold another date.
    EXPECT_EQ("Marque também o dia da semana da reunião (Seg).",
              reuniao::SeriesRuleProblem({'S', "35", 0, 4}, first));
    EXPECT_EQ("Uma repetição em todo dia útil começa num dia útil.",
              reuniao::SeriesRuleProblem({'D', "", 0, 4}, first - 1));
    EXPECT_EQ("A repetição não tem outra data até o fim escolhido.",
              reuniao::SeriesRuleProblem({'S', "1", EncodeDate(2027, 3, 5), 0}, first));
}

TEST(SeriesTexts, OutcomeAndRuleInWords) {
    EXPECT_EQ("Sala Diretoria", reuniao::SeriesOutcomeText("R", "Diretoria"));
    EXPECT_EQ("Sem sala", reuniao::SeriesOutcomeText("N", ""));
    EXPECT_EQ("Pulada", reuniao::SeriesOutcomeText("P", "Diretoria"));
    EXPECT_EQ("Toda semana (Seg, Qua), até 31/03/2027; sala ocupada: pular a data",
              reuniao::SeriesRuleText("S", "13", EncodeDate(2027, 3, 31), 0, "P"));
    EXPECT_EQ("Todo dia útil, 10 ocorrências; sala ocupada: sem sala",
              reuniao::SeriesRuleText("D", "", 0, 10, "S"));
}
