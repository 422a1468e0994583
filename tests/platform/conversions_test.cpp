// pt-BR date, time and number texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/date_time.h"
#include "platform/exceptions.h"

namespace {

// The message an EConvertError carries, or "" when `fn` does not throw one.
template <typename Fn>
std::string ConvertErrorOf(Fn fn) {
    try {
        fn();
    } catch (const EConvertError& e) {
        return e.what();
    }
    return "";
}

TEST(DateText, WritesDayMonthYear) {
    EXPECT_EQ(DateToStr(EncodeDate(2026, 12, 7)), "07/12/2026");
    EXPECT_EQ(DateToStr(EncodeDate(1, 1, 1)), "01/01/0001");
    EXPECT_EQ(TimeToStr(EncodeTime(9, 5, 3, 0)), "09:05:03");
    EXPECT_EQ(TimeToStr(EncodeTime(23, 59, 59, 999)), "23:59:59");
}

TEST(DateText, DateTimeOmitsMidnightAndShowsTimeAloneOnDayZero) {
    EXPECT_EQ(DateTimeToStr(EncodeDateTime(2026, 12, 7, 14, 30, 0)), "07/12/2026 14:30:00");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 12, 7)), "07/12/2026");
    EXPECT_EQ(DateTimeToStr(EncodeTime(8, 0, 0, 0)), "08:00:00");
    EXPECT_EQ(DateTimeToStr(0), "30/12/1899");
}

TEST(DateText, ReadsFullShortAndTwoDigitYearDates) {
    EXPECT_EQ(StrToDate("07/12/2026"), EncodeDate(2026, 12, 7));
    EXPECT_EQ(StrToDate("7/1/2026"), EncodeDate(2026, 1, 7));
    EXPECT_EQ(StrToDate("  07/12/2026 "), EncodeDate(2026, 12, 7));
    EXPECT_EQ(StrToDate("07/12/26"), EncodeDate(2026, 12, 7));
    EXPECT_EQ(StrToDate("07/12/49"), EncodeDate(2049, 12, 7));
    EXPECT_EQ(StrToDate("07/12/50"), EncodeDate(1950, 12, 7));
    EXPECT_EQ(StrToDate("29/02/2028"), EncodeDate(2028, 2, 29));
}

TEST(DateText, RejectsImpossibleOrMalformedDates) {
    EXPECT_EQ(ConvertErrorOf([] { StrToDate("31/04/2030"); }),
              "'31/04/2030' não é uma data válida");
    for (const char* bad :
         {"29/02/2027", "00/01/2026", "01/13/2026", "", "  /  /    ", "07/12", "07-12-2026",
          "07/12/2026x", "07/12/202", "07/12/2026 10:00", "007/12/2026", "07/12/00000"}) {
        TDateTime out = -1;
        EXPECT_FALSE(TryStrToDate(bad, out)) << bad;
        EXPECT_EQ(out, -1) << "a failed read must leave the target alone: " << bad;
        EXPECT_THROW(StrToDate(bad), EConvertError) << bad;
    }
}

TEST(DateValue, OutsideTheCalendarIsRefusedNotDecoded) {
    EXPECT_TRUE(IsValidDateTime(EncodeDate(1, 1, 1)));
    EXPECT_TRUE(IsValidDateTime(EncodeDate(1, 1, 1) - 0.5));  // 01/01/0001 12:00
    EXPECT_TRUE(IsValidDateTime(EncodeDateTime(9999, 12, 31, 23, 59, 59, 999)));
    for (double bad :
         {EncodeDate(1, 1, 1) - 1, EncodeDate(9999, 12, 31) + 1, 1e308, -1e308,
          std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_FALSE(IsValidDateTime(bad)) << bad;
        EXPECT_THROW(DateOf(bad), EConvertError) << bad;
        EXPECT_THROW(DecodeDate(bad), EConvertError) << bad;
    }
}

TEST(TimeText, ReadsHoursMinutesAndOptionalSeconds) {
    EXPECT_EQ(StrToTime("14:30"), EncodeTime(14, 30, 0, 0));
    EXPECT_EQ(StrToTime(" 08:05:09 "), EncodeTime(8, 5, 9, 0));
    EXPECT_EQ(StrToTime("8:5"), EncodeTime(8, 5, 0, 0));
    EXPECT_EQ(ConvertErrorOf([] { StrToTime("  :  "); }), "'  :  ' não é uma hora válida");
    for (const char* bad :
         {"24:00", "12:60", "12:00:60", "12", "12:", "12:00:", "1230", "a:b", "12:00 pm", ""})
        EXPECT_THROW(StrToTime(bad), EConvertError) << bad;
}

TEST(DateTimeText, ReadsDateWithTimeDateAloneOrTimeAlone) {
    EXPECT_EQ(StrToDateTime("29/02/2028 10:00:00"), EncodeDateTime(2028, 2, 29, 10, 0, 0));
    EXPECT_EQ(StrToDateTime("07/12/2026  14:30"), EncodeDateTime(2026, 12, 7, 14, 30, 0));
    EXPECT_EQ(StrToDateTime("07/12/2026"), EncodeDate(2026, 12, 7));
    EXPECT_EQ(StrToDateTime("10:00"), EncodeTime(10, 0, 0, 0));
    EXPECT_EQ(ConvertErrorOf([] { StrToDateTime("29/02/2027 10:00:00"); }),
              "'29/02/2027 10:00:00' não é uma data e hora válida");
    EXPECT_THROW(StrToDateTime("07/12/202610:00"), EConvertError);
    EXPECT_THROW(StrToDateTime("07/12/2026 25:00"), EConvertError);
}

TEST(DateTimeText, RoundTripsThroughText) {
    for (TDateTime v : {EncodeDateTime(2026, 12, 7, 14, 30, 15), EncodeDate(2000, 2, 29),
                        EncodeTime(23, 59, 59, 0), EncodeDateTime(1950, 1, 1, 0, 0, 1)})
        EXPECT_EQ(StrToDateTime(DateTimeToStr(v)), v) << DateTimeToStr(v);
}

TEST(FormatDateTimeText, CoversTheSpecifiers) {
    const TDateTime v = EncodeDateTime(2026, 12, 7, 14, 5, 9, 42);  // a Monday
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn:ss", v), "07/12/2026 14:05:09");
    EXPECT_EQ(FormatDateTime("d/m/yy h:n:s", v), "7/12/26 14:5:9");
    EXPECT_EQ(FormatDateTime("ddd dddd", v), "seg segunda-feira");
    EXPECT_EQ(FormatDateTime("mmm mmmm", EncodeDate(2026, 3, 1)), "mar março");
    EXPECT_EQ(FormatDateTime("z zzz", v), "42 042");
    EXPECT_EQ(FormatDateTime("hh:mm", v), "14:05") << "m after h is the minute";
    EXPECT_EQ(FormatDateTime("h:nn am/pm", v), "2:05 pm");
    EXPECT_EQ(FormatDateTime("hh AM/PM", EncodeTime(0, 30, 0, 0)), "12 AM");
    EXPECT_EQ(FormatDateTime("\"dia\" dd 'de' mmmm", v), "dia 07 de dezembro");
    EXPECT_EQ(FormatDateTime("ddddd", v), "07/12/2026");
    EXPECT_EQ(FormatDateTime("dddddd", v), "segunda-feira, 7 de dezembro de 2026");
    EXPECT_EQ(FormatDateTime("c", v), "07/12/2026 14:05:09");
    EXPECT_EQ(FormatDateTime("c", EncodeDate(2026, 12, 7)), "07/12/2026");
    EXPECT_EQ(FormatDateTime("t | tt", v), "14:05 | 14:05:09");
    EXPECT_EQ(FormatDateTime("yyyymmdd-hhnn", v), "20261207-1405");
    EXPECT_EQ(FormatDateTime("[x] áb", v), "[x] áb") << "other text is copied";
}

TEST(FloatText, WritesShortestFormWithDecimalComma) {
    EXPECT_EQ(FloatToStr(1.5), "1,5");
    EXPECT_EQ(FloatToStr(-1.5), "-1,5");
    EXPECT_EQ(FloatToStr(2), "2");
    EXPECT_EQ(FloatToStr(0), "0");
    EXPECT_EQ(FloatToStr(-0.0), "0");
    EXPECT_EQ(FloatToStr(0.1 + 0.2), "0,3") << "15 significant digits";
    EXPECT_EQ(FloatToStr(0.0001), "0,0001");
    EXPECT_EQ(FloatToStr(123456789012345.0), "123456789012345");
    EXPECT_EQ(FloatToStr(1e15), "1E15");
    EXPECT_EQ(FloatToStr(1.5e20), "1,5E20");
    EXPECT_EQ(FloatToStr(0.00001), "0,00001");
    EXPECT_EQ(FloatToStr(0.000001), "1E-6");
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN()), "NAN");
    EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity()), "-INF");
}

TEST(FloatText, FormatsFixedNumberAndGeneral) {
    EXPECT_EQ(FloatToStrF(1.5, TFloatFormat::ffFixed, 15, 2), "1,50");
    EXPECT_EQ(FloatToStrF(2.675, TFloatFormat::ffFixed, 15, 2), "2,68");
    EXPECT_EQ(FloatToStrF(-2.5, TFloatFormat::ffFixed, 15, 0), "-3");
    EXPECT_EQ(FloatToStrF(0.004, TFloatFormat::ffFixed, 15, 2), "0,00");
    EXPECT_EQ(FloatToStrF(-0.004, TFloatFormat::ffFixed, 15, 2), "0,00");
    EXPECT_EQ(FloatToStrF(9.999, TFloatFormat::ffFixed, 15, 2), "10,00");
    EXPECT_EQ(FloatToStrF(0.05, TFloatFormat::ffFixed, 15, 1), "0,1");
    EXPECT_EQ(FloatToStrF(1234567.891, TFloatFormat::ffNumber, 15, 2), "1.234.567,89");
    EXPECT_EQ(FloatToStrF(-123.4, TFloatFormat::ffNumber, 15, 2), "-123,40");
    EXPECT_EQ(FloatToStrF(999999.999, TFloatFormat::ffNumber, 15, 2), "1.000.000,00");
    EXPECT_EQ(FloatToStrF(1.23456, TFloatFormat::ffGeneral, 3, 0), "1,23");
    EXPECT_EQ(FloatToStrF(123456.0, TFloatFormat::ffFixed, 4, 2), "1,235E5")
        << "more integer digits than the precision switch to scientific";
}

TEST(FloatText, ReadsCommaOrPointAndRejectsTheRest) {
    EXPECT_EQ(StrToFloat("1,5"), 1.5);
    EXPECT_EQ(StrToFloat("1.5"), 1.5);
    EXPECT_EQ(StrToFloat(" -2,25 "), -2.25);
    EXPECT_EQ(StrToFloat(",5"), 0.5);
    EXPECT_EQ(StrToFloat("+3"), 3);
    EXPECT_EQ(StrToFloat("1,5E3"), 1500);
    EXPECT_EQ(ConvertErrorOf([] { StrToFloat("abc"); }), "'abc' não é um número válido");
    for (const char* bad :
         {"1,5,5", "", " ", "abc", "1.000,50", "1e", "1,5x", "inf", "nan", "--1", ",", "1 5"}) {
        double out = -7;
        EXPECT_FALSE(TryStrToFloat(bad, out)) << bad;
        EXPECT_EQ(out, -7) << bad;
    }
    // The text keeps 15 significant digits, so reading it back gives the value at 15 digits.
    for (double v : {0.1, 1.0 / 3, 2.675, -1234.5678, 1e-7, 6.02e23}) {
        char c[40];
        std::snprintf(c, sizeof c, "%.15g", v);
        EXPECT_EQ(StrToFloat(FloatToStr(v)), std::strtod(c, nullptr)) << FloatToStr(v);
    }
}

TEST(IntegerText, ReadsDecimalIntegersOnly) {
    EXPECT_EQ(StrToInt("12"), 12);
    EXPECT_EQ(StrToInt(" -12 "), -12);
    EXPECT_EQ(StrToInt("+7"), 7);
    EXPECT_EQ(StrToInt("0000000012"), 12);
    EXPECT_EQ(StrToInt("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(ConvertErrorOf([] { StrToInt("12a"); }), "'12a' não é um número inteiro válido");
    for (const char* bad : {"", " ", "12a", "1,5", "+-1", "-", "+", "9223372036854775808", "1 2"})
        EXPECT_THROW(StrToInt(bad), EConvertError) << bad;
    EXPECT_EQ(StrToIntDef("x", 5), 5);
    EXPECT_EQ(IntToStr(-42), "-42");
}

TEST(IntegerText, TruncAndRoundAwayFromZero) {
    EXPECT_EQ(Trunc(2.9), 2);
    EXPECT_EQ(Trunc(-2.9), -2);
    EXPECT_EQ(Round(2.5), 3);
    EXPECT_EQ(Round(-2.5), -3);
    EXPECT_EQ(Round(0.49999999999999994), 0);
    EXPECT_THROW(Round(std::numeric_limits<double>::quiet_NaN()), EConvertError);
    EXPECT_THROW(Trunc(1e19), EConvertError);
}

}  // namespace
