// Text and rounding routines.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/routines.h"

namespace {

TEST(BlankText, BlankMeansEmptyOrOnlyBlanks) {
    EXPECT_TRUE(IsBlank(""));
    EXPECT_TRUE(IsBlank("   "));
    EXPECT_TRUE(IsBlank(" \t\r\n"));
    EXPECT_FALSE(IsBlank("  :  ")) << "an empty time edit is not blank";
    EXPECT_FALSE(IsBlank(" a "));
    EXPECT_EQ(TrimAll("  a b \t"), "a b");
    EXPECT_EQ(TrimAll("   "), "");
    EXPECT_EQ(TrimAll("ção"), "ção");
}

TEST(PadFieldText, FillsCodesWithZerosOnTheLeft) {
    EXPECT_EQ(PadField("12", 10), "0000000012");
    EXPECT_EQ(PadField(" 12 ", 4), "0012") << "blanks are trimmed first";
    EXPECT_EQ(PadField("", 5), "00000");
    EXPECT_EQ(PadField("12345", 5), "12345");
    EXPECT_EQ(PadField("1234567", 5), "1234567") << "a longer value is left as it is";
    EXPECT_EQ(PadField("7", 0), "7");
    EXPECT_EQ(PadField("7", -3), "7");
}

TEST(RoundToPlacesValue, RoundsHalvesAwayFromZeroOnTheDecimalForm) {
    EXPECT_EQ(RoundToPlaces(2.675, 2), 2.68) << "2.675 is stored as 2.67499999...";
    EXPECT_EQ(RoundToPlaces(1.005, 2), 1.01);
    EXPECT_EQ(RoundToPlaces(-2.675, 2), -2.68);
    EXPECT_EQ(RoundToPlaces(0.5, 0), 1);
    EXPECT_EQ(RoundToPlaces(-0.5, 0), -1);
    EXPECT_EQ(RoundToPlaces(1.25, 1), 1.3);
    EXPECT_EQ(RoundToPlaces(1.24999, 1), 1.2);
    EXPECT_EQ(RoundToPlaces(0.1 + 0.2, 2), 0.3);
    EXPECT_EQ(RoundToPlaces(1234.5, -2), 1200);
    EXPECT_EQ(RoundToPlaces(0.004, 2), 0);
    EXPECT_EQ(RoundToPlaces(99.995, 2), 100);
    EXPECT_EQ(RoundToPlaces(1.5, 20), 1.5);
    EXPECT_TRUE(std::isnan(RoundToPlaces(std::numeric_limits<double>::quiet_NaN(), 2)));
}

TEST(LastDayOfMonthDate, HandlesMonthLengthsAndLeapYears) {
    EXPECT_EQ(LastDayOfMonth(EncodeDateTime(2026, 12, 7, 14, 0, 0)), EncodeDate(2026, 12, 31));
    EXPECT_EQ(LastDayOfMonth(EncodeDate(2028, 2, 1)), EncodeDate(2028, 2, 29));
    EXPECT_EQ(LastDayOfMonth(EncodeDate(2100, 2, 10)), EncodeDate(2100, 2, 28));
    EXPECT_EQ(LastDayOfMonth(EncodeDate(2026, 4, 30)), EncodeDate(2026, 4, 30));
}

TEST(TextCase, MapsAsciiAndPortugueseLetters) {
    EXPECT_EQ(UpperCase("reunião às 10h, ação"), "REUNIÃO ÀS 10H, AÇÃO");
    EXPECT_EQ(LowerCase("ÉPOCA ÇÃÕÊÔÜ"), "época çãõêôü");
    EXPECT_EQ(UpperCase("a×b÷c"), "A×B÷C") << "the signs are no letters";
    EXPECT_EQ(UpperCase("€"), "€") << "other characters pass through";
    EXPECT_TRUE(SameText("Reun_Dia", "REUN_dia"));
    EXPECT_TRUE(SameText("Situação", "SITUAÇÃO"));
    EXPECT_FALSE(SameText("abc", "abd"));
    EXPECT_FALSE(SameText("abc", "abcd"));
}

TEST(FormatText, FillsPlaceholdersInOrder) {
    EXPECT_EQ(Format("%s, agendada para %s foi cancelada por %s.", {"A", "B", "C"}),
              "A, agendada para B foi cancelada por C.");
    EXPECT_EQ(Format("100%% de %s", {"x"}), "100% de x");
    EXPECT_EQ(Format("%d itens", {"3"}), "3 itens");
    EXPECT_EQ(Format("'%s' em '%s'", {"R1"}), "'R1' em '%s'")
        << "a missing argument leaves its placeholder";
    EXPECT_EQ(Format("sem marcas", {"a", "b"}), "sem marcas");
    EXPECT_EQ(Format("fim %", {}), "fim %");
    EXPECT_EQ(Format("%s", {"%s"}), "%s") << "arguments are not scanned again";
}

}  // namespace
