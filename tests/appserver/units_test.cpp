// The small parsers and writers the methods rely on: key lists, pt-BR numbers,
// placeholders, JSON text and packet text.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "appserver/json_text.h"
#include "appserver/key_list.h"
#include "appserver/packet_builder.h"
#include "appserver/postgres_storage.h"
#include "appserver/rpc_error.h"
#include "appserver/sql_value.h"
#include "appserver/storage.h"

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

TEST(RedactDatabaseUrlTest, HidesThePasswordOfEveryAddressForm) {
    EXPECT_EQ(RedactDatabaseUrl("postgresql://zel:s3cret@db:5432/zel"),
              "postgresql://zel:***@db:5432/zel");
    EXPECT_EQ(RedactDatabaseUrl("postgres://zel:p%40ss@db/zel?sslmode=require&password=x2"),
              "postgres://zel:***@db/zel?sslmode=require&password=***");
    // Characters a careless administrator left unescaped still stay hidden.
    EXPECT_EQ(RedactDatabaseUrl("postgresql://zel:p@ss/w?rd@db/zel"),
              "postgresql://zel:***@db/zel");
    EXPECT_EQ(RedactDatabaseUrl("postgresql://db:5432/zel"), "postgresql://db:5432/zel");
    EXPECT_EQ(RedactDatabaseUrl("host=db password=s3cret dbname=zel"),
              "host=db password=*** dbname=zel");
    EXPECT_EQ(RedactDatabaseUrl("host=db password = 'se cr\\'et' dbname=zel"),
              "host=db password = *** dbname=zel");
    // Not a conninfo libpq could read: cut at the password rather than shown.
    EXPECT_EQ(RedactDatabaseUrl("host=db password=s3cret port"), "host=db password=***");
    EXPECT_EQ(RedactDatabaseUrl("sqlite:/var/lib/zel/zel.db"), "sqlite:/var/lib/zel/zel.db");
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

// The packet text written straight from cells must be the packet BuildDataPacket makes of the
// same rows: texts cut by characters, date-time texts in any stored form, numbers stored in
// the other kind, texts in number fields, nulls.
TEST(PacketTextWriterTest, WritesWhatTheValueConversionWouldGive) {
    using T = TFieldType;
    const std::vector<FieldDef> fields = {
        StringField("S", 3),    Field("M", T::ftMemo),     Field("I", T::ftInteger),
        Field("F", T::ftFloat), Field("D", T::ftDateTime), Field("B", T::ftBoolean),
        StringField("U", 0),
    };
    const std::vector<SqlRow> rows = {
        {"çãoX", "linha\n\"aspas\" \x01", 7LL, 2.5, "2026-12-07 14:30:00", 1LL, "x"},
        {"ab", "", 2.6, 3LL, "2026-12-07", 0LL, "€"},
        {Variant(), Variant(), "1,5", "1.234,5", "2026-12-07T08:05:09", Variant(), Variant()},
        {12LL, 3LL, "x", "y", 46000.75, Variant(), 1.5},
        {"", Variant(), Variant(), Variant(), "", Variant(), ""},
    };
    std::string text = "[";  // the writer appends to what the text holds
    PacketTextWriter writer(fields, text);
    for (const SqlRow& row : rows) {
        for (const Variant& v : row)
            writer.Cell(SqlCell::Of(v));
        writer.EndRow();
    }
    writer.Finish();
    ASSERT_EQ(text[0], '[');
    const nlohmann::json written = nlohmann::json::parse(text.substr(1));
    EXPECT_EQ(written, DataPacketToJson(BuildDataPacket(fields, rows)));
    EXPECT_EQ(written["rows"][0][0], "ção");
    EXPECT_EQ(written["rows"][0][4], nlohmann::json({{"$dt", "2026-12-07T14:30:00"}}));
}

TEST(PacketTextWriterTest, RefusesRowsOfTheWrongWidth) {
    const std::vector<FieldDef> fields = {StringField("A", 1), StringField("B", 1)};
    std::string text;
    PacketTextWriter writer(fields, text);
    writer.Cell(SqlCell::Of(Variant("a")));
    EXPECT_THROW(writer.EndRow(), std::logic_error);
    writer.Cell(SqlCell::Of(Variant("b")));
    EXPECT_THROW(writer.Cell(SqlCell::Of(Variant("c"))), std::logic_error);
}

}  // namespace
}  // namespace zel::appserver
