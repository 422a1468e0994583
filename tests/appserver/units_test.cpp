// The small parsers the methods rely on: key lists, pt-BR numbers, placeholders.
#include <gtest/gtest.h>

#include "appserver/json_text.h"
#include "appserver/key_list.h"
#include "appserver/postgres_storage.h"
#include "appserver/rpc_error.h"
#include "appserver/sql_value.h"

namespace zel::appserver {
namespace {

using Keys = std::vector<std::string>;

TEST(KeyListTest, AcceptsTheMultiSelectForms) {
    EXPECT_EQ(ParseKeyList("'0001', '0002'", "x"), (Keys{"0001", "0002"}));
    EXPECT_EQ(ParseKeyList(" 0001 ,0002,, ", "x"), (Keys{"0001", "0002"}));
    EXPECT_EQ(ParseKeyList("'a,b' , 'it''s'", "x"), (Keys{"a,b", "it's"}));
    EXPECT_EQ(ParseKeyList("", "x"), Keys{});
    EXPECT_EQ(ParseKeyList("  ''  ", "x"), Keys{});
}

TEST(KeyListTest, RefusesBrokenQuotesAndHugeLists) {
    EXPECT_THROW(ParseKeyList("'0001", "x"), RpcError);
    EXPECT_THROW(ParseKeyList("'0001' 2", "x"), RpcError);
    EXPECT_THROW(ParseKeyList("1,2,3", "x", 2), RpcError);
}

TEST(PtBrNumberTest, ReadsTheClientsForm) {
    double d = 0;
    EXPECT_TRUE(ParsePtBrNumber("1,5", d));
    EXPECT_EQ(d, 1.5);
    EXPECT_TRUE(ParsePtBrNumber(" 1.234,25 ", d));
    EXPECT_EQ(d, 1234.25);
    EXPECT_TRUE(ParsePtBrNumber("2.5", d));
    EXPECT_EQ(d, 2.5);
    EXPECT_FALSE(ParsePtBrNumber("", d));
    EXPECT_FALSE(ParsePtBrNumber("1,5h", d));
    EXPECT_FALSE(ParsePtBrNumber("inf", d));
    EXPECT_FALSE(ParsePtBrNumber("0x10", d));
}

TEST(PlaceholderTest, QuestionMarksInsideQuotesStay) {
    EXPECT_EQ(ToDollarPlaceholders("SELECT ? , '?' FROM T WHERE A = ? AND \"?\" = ?"),
              "SELECT $1 , '?' FROM T WHERE A = $2 AND \"?\" = $3");
}

TEST(SqlDateTimeTest, RoundsToTheSecondAcrossMidnight) {
    EXPECT_EQ(SqlDateTimeText(EncodeDateTime(2026, 12, 7, 23, 59, 59, 700)), "2026-12-08 00:00:00");
    EXPECT_EQ(SqlDateTimeText(ParseSqlDateTime("2026-12-07 14:30:00")), "2026-12-07 14:30:00");
}

}  // namespace
}  // namespace zel::appserver

namespace zel::appserver {
namespace {

TEST(JsonTextTest, EscapesControlsAndReplacesInvalidUtf8) {
    std::string out;
    AppendJsonString(out, std::string("a\"b\\c\n\x01 ção \xFF\xC3", 16));
    EXPECT_EQ(out, "\"a\\\"b\\\\c\\n\\u0001 ção \xEF\xBF\xBD\xEF\xBF\xBD\"");
    out.clear();
    AppendJsonNumber(out, 1.0 / 3);
    EXPECT_EQ(std::stod(out), 1.0 / 3);
}

}  // namespace
}  // namespace zel::appserver
