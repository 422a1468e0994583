// Filter expressions: what parses, what is refused with which message, how rows are judged.
#include "platform/filter_expression.h"

#include <gtest/gtest.h>

#include "platform/exceptions.h"

namespace {

std::vector<FieldDef> Fields() {
    return {{"IDSITTAREFA", TFieldType::ftString, 1},
            {"QTHRREUNIAO", TFieldType::ftFloat, 0},
            {"DTHRREUNIAO", TFieldType::ftDateTime, 0},
            {"NMOPERADOR", TFieldType::ftString, 40},
            {"IDATIVO", TFieldType::ftBoolean, 0}};
}

// Row: status, hours, start, operator name, active.
std::vector<Variant> Row(Variant status, Variant hours = {}, Variant start = {}, Variant name = {},
                         Variant active = {}) {
    return {status, hours, start, name, active};
}

bool Matches(const std::string& text, const std::vector<Variant>& row) {
    FilterExpression f(text);
    f.Bind(Fields());
    return f.Matches(row);
}

std::string ErrorOf(const std::string& text) {
    try {
        FilterExpression f(text);
        f.Bind(Fields());
    } catch (const EDatabaseError& e) {
        return e.what();
    }
    return "accepted";
}

TEST(FilterExpressionParse, NormalisesWhatItReads) {
    const std::pair<const char*, const char*> cases[] = {
        {"IDSITTAREFA IN (' ', 'P', 'A')", "IDSITTAREFA IN (' ', 'P', 'A')"},
        {"a = 1 or b <> 'x' and not c >= 2.5", "(a = 1) OR ((b <> 'x') AND (NOT (c >= 2.5)))"},
        {"(a = 1 OR b = 2) AND c IS NOT NULL", "((a = 1) OR (b = 2)) AND (c IS NOT NULL)"},
        {"[NOME COM ESPACO] != 'D''Ávila'", "NOME COM ESPACO <> 'D''Ávila'"},
        {"x not in (1,2)", "x NOT IN (1, 2)"},
        {"x<=-3", "x <= -3"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(FilterExpression(text).DebugString(), expected);
}

TEST(FilterExpressionParse, RefusesMalformedTextSayingWhereAndWhat) {
    EXPECT_EQ(ErrorOf("IDSITTAREFA IN ('P'"),
              "Filter expression \"IDSITTAREFA IN ('P'\" is malformed: ')' or ',' expected at "
              "position 20");
    EXPECT_EQ(ErrorOf("IDSITTAREFA = 'P"),
              "Filter expression \"IDSITTAREFA = 'P\" is malformed: the text literal is not "
              "closed at position 15");
    EXPECT_EQ(ErrorOf("  "),
              "Filter expression \"  \" is malformed: the expression is empty at "
              "position 3");
    for (const char* bad : {"IDSITTAREFA =", "= 'P'", "IDSITTAREFA 'P'", "(IDSITTAREFA = 'P'",
                            "IDSITTAREFA = 'P' AND", "IDSITTAREFA IN 'P'", "A ! B", "A IS 1",
                            "IDSITTAREFA = 'P')", "NOT"}) {
        EXPECT_NE(ErrorOf(bad).find("is malformed"), std::string::npos) << bad;
    }
}

TEST(FilterExpressionParse, RefusesUnknownFieldsAndImpossibleComparisons) {
    EXPECT_EQ(ErrorOf("CDSALA = 'X'"), "Filter expression refers to unknown field 'CDSALA'");
    EXPECT_EQ(ErrorOf("QTHRREUNIAO > 'muito'"), "Filter expression: 'muito' is not a valid number");
    EXPECT_EQ(ErrorOf("DTHRREUNIAO > '31/02/2026'"),
              "Filter expression: '31/02/2026' is not a valid date");
    EXPECT_NE(ErrorOf("QTHRREUNIAO = IDSITTAREFA").find("different kinds"), std::string::npos);
    EXPECT_NE(ErrorOf("NMOPERADOR").find("not a condition"), std::string::npos);
}

TEST(FilterExpressionEval, BlankStatusAdmitsEmptyBlankAndNull) {
    const std::string f = "IDSITTAREFA IN (' ', 'P', 'A')";
    EXPECT_TRUE(Matches(f, Row("P")));
    EXPECT_TRUE(Matches(f, Row("A")));
    EXPECT_TRUE(Matches(f, Row(" ")));
    EXPECT_TRUE(Matches(f, Row("")));
    EXPECT_TRUE(Matches(f, Row(Variant())));
    EXPECT_FALSE(Matches(f, Row("C")));
    EXPECT_FALSE(Matches(f, Row("p")));
    EXPECT_TRUE(Matches("IDSITTAREFA NOT IN ('C', 'X')", Row("P")));
}

TEST(FilterExpressionEval, NumbersDatesAndNulls) {
    const Variant dec7 = Variant::FromDateTime(EncodeDateTime(2026, 12, 7, 14, 30, 0));
    EXPECT_TRUE(Matches("QTHRREUNIAO > 1", Row("P", 1.5)));
    EXPECT_TRUE(Matches("QTHRREUNIAO = '1,5'", Row("P", 1.5)));
    EXPECT_FALSE(Matches("QTHRREUNIAO < 1", Row("P", Variant())));
    EXPECT_FALSE(Matches("QTHRREUNIAO >= 1", Row("P", Variant())));
    EXPECT_TRUE(Matches("NOT (QTHRREUNIAO >= 1)", Row("P", Variant())));
    EXPECT_TRUE(Matches("QTHRREUNIAO IS NULL", Row("P", Variant())));
    EXPECT_TRUE(
        Matches("DTHRREUNIAO >= '07/12/2026' AND DTHRREUNIAO < '08/12/2026'", Row("P", 1, dec7)));
    EXPECT_TRUE(Matches("DTHRREUNIAO = '2026-12-07T14:30:00'", Row("P", 1, dec7)));
    EXPECT_TRUE(Matches("NMOPERADOR = 'D''Ávila'", Row("P", 1, dec7, "D'Ávila")));
    EXPECT_TRUE(Matches("IDATIVO AND NOT IDATIVO = FALSE", Row("P", 1, dec7, "", true)));
    EXPECT_FALSE(Matches("IDATIVO", Row("P", 1, dec7, "", Variant())));
}

TEST(FilterExpressionEval, TextComparesIgnoringTrailingBlanks) {
    EXPECT_TRUE(Matches("NMOPERADOR = 'ANA  '", Row("P", 1, 0, "ANA")));
    EXPECT_TRUE(Matches("NMOPERADOR < 'B'", Row("P", 1, 0, "ANA")));
    EXPECT_FALSE(Matches("NMOPERADOR = 'ANA'", Row("P", 1, 0, " ANA")));
}

}  // namespace
