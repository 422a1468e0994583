// Data and change packets: JSON round trips and the strict readers.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/exceptions.h"
#include "platform/packet.h"

using nlohmann::json;

namespace {

// Every field type, the non-default flags, and one row with each kind of value.
const char* const kDataPacketText = R"({
  "fields": [
    {"name":"CDFILIAL","type":"fixedchar","size":4,"flags":["update","where","key"]},
    {"name":"NMREF","type":"string","size":40},
    {"name":"NRSEQ","type":"integer"},
    {"name":"QTHRREUNIAO","type":"float"},
    {"name":"DTHRINICIO","type":"datetime"},
    {"name":"DSATA","type":"memo"},
    {"name":"FOTO","type":"blob"},
    {"name":"IDATIVO","type":"boolean"},
    {"name":"NMOPER","type":"string","size":30,"flags":["hidden"]}
  ],
  "rows": [
    ["0001","Reunião | semanal",12,1.5,{"$dt":"2026-12-07T14:30:00"},"{\\rtf1}","AAE=",true,null],
    ["0002",null,null,null,null,null,null,null,"ANA"]
  ]
})";

const char* const kChangePacketText = R"({
  "fields": [
    {"name":"CDFILIAL","type":"fixedchar","size":4,"flags":["key"]},
    {"name":"NRTAREFA","type":"fixedchar","size":10,"flags":["key"]},
    {"name":"DTHRINICIO","type":"datetime"}
  ],
  "changes": [
    {"op":"insert","new":["0001","0000000003",{"$dt":"2026-12-08T09:00:00.250"}]},
    {"op":"update","old":["0001","0000000001",{"$dt":"2026-12-07T10:00:00"}],
                   "new":["0001","0000000001",{"$dt":"2026-12-07T11:00:00"}]},
    {"op":"delete","old":["0001","0000000002",null]}
  ]
})";

TEST(DataPacketJson, RoundTripsEveryFieldTypeAndFlag) {
    const json original = json::parse(kDataPacketText);
    const DataPacket p = DataPacketFromJson(original);
    ASSERT_EQ(p.fields.size(), 9u);
    EXPECT_EQ(p.fields[0].flags, pfInUpdate | pfInWhere | pfInKey);
    EXPECT_EQ(p.fields[8].flags, unsigned{pfHidden});
    EXPECT_EQ(p.fields[2].type, TFieldType::ftInteger);
    EXPECT_EQ(p.FieldIndex("qthrreuniao"), 3);
    EXPECT_EQ(p.FieldIndex("ABSENT"), -1);
    ASSERT_EQ(p.rows.size(), 2u);
    EXPECT_EQ(p.rows[0][1].AsString(), "Reunião | semanal");
    EXPECT_EQ(p.rows[0][4].kind(), Variant::Kind::DateTime);
    EXPECT_EQ(p.rows[0][4].AsDateTime(), EncodeDateTime(2026, 12, 7, 14, 30, 0));
    EXPECT_TRUE(p.rows[1][1].IsNull());
    EXPECT_EQ(DataPacketToJson(p), original);
}

TEST(DataPacketJson, EmptyPacketKeepsItsFields) {
    DataPacket p;
    p.fields = {{"CDSALA", TFieldType::ftFixedChar, 5}};
    const DataPacket back = DataPacketFromJson(DataPacketToJson(p));
    EXPECT_EQ(back.fields, p.fields);
    EXPECT_TRUE(back.rows.empty());
}

TEST(DataPacketJson, ReaderTakesNumbersInTheFieldsOwnKind) {
    const DataPacket p = DataPacketFromJson(json::parse(R"({
        "fields":[{"name":"N","type":"integer"},{"name":"F","type":"float"}],
        "rows":[[3.0, 2]]})"));
    EXPECT_EQ(p.rows[0][0].kind(), Variant::Kind::Integer);
    EXPECT_EQ(p.rows[0][1].kind(), Variant::Kind::Float);
}

TEST(ChangePacketJson, RoundTripsInsertUpdateDelete) {
    const json original = json::parse(kChangePacketText);
    const ChangePacket p = ChangePacketFromJson(original);
    ASSERT_EQ(p.changes.size(), 3u);
    EXPECT_EQ(p.changes[0].op, ChangeOp::Insert);
    EXPECT_TRUE(p.changes[0].oldValues.empty());
    EXPECT_EQ(p.changes[0].newValues[2].AsDateTime(), EncodeDateTime(2026, 12, 8, 9, 0, 0, 250));
    EXPECT_EQ(p.changes[1].op, ChangeOp::Update);
    EXPECT_EQ(p.changes[1].oldValues[2].AsDateTime(), EncodeDateTime(2026, 12, 7, 10, 0, 0));
    EXPECT_EQ(p.changes[1].newValues[2].AsDateTime(), EncodeDateTime(2026, 12, 7, 11, 0, 0));
    EXPECT_EQ(p.changes[2].op, ChangeOp::Delete);
    EXPECT_TRUE(p.changes[2].newValues.empty());
    EXPECT_EQ(ChangePacketToJson(p), original);
}

TEST(PacketDates, RoundTripThroughIsoToTheMillisecond) {
    for (TDateTime v :
         {EncodeDateTime(2026, 12, 7, 14, 30, 0), EncodeDate(1899, 12, 30),
          EncodeDateTime(1850, 6, 1, 23, 59, 59, 999), EncodeDateTime(9999, 12, 31, 0, 0, 0, 1)}) {
        DataPacket p;
        p.fields = {{"D", TFieldType::ftDateTime}};
        p.rows = {{Variant::FromDateTime(v)}};
        const DataPacket back = DataPacketFromJson(json::parse(DataPacketToJson(p).dump()));
        EXPECT_EQ(back.rows[0][0].AsDateTime(), v) << DateTimeToIso(v);
    }
}

// A data packet text must be refused with EDatabaseError whose message mentions `needle`.
void ExpectDataRejected(const std::string& text, const std::string& needle) {
    try {
        DataPacketFromJson(json::parse(text));
        ADD_FAILURE() << "accepted: " << text;
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find(needle), std::string::npos)
            << "message '" << e.what() << "' lacks '" << needle << "'";
    }
}

const char* const kOneField = R"("fields":[{"name":"N","type":"integer"}])";

TEST(DataPacketReader, RejectsMalformedDescriptors) {
    ExpectDataRejected(R"({"rows":[]})", "fields");
    ExpectDataRejected(R"({"fields":{},"rows":[]})", "fields");
    ExpectDataRejected(R"({"fields":[{"name":"N","type":"money"}],"rows":[]})", "money");
    ExpectDataRejected(R"({"fields":[{"type":"integer"}],"rows":[]})", "name");
    ExpectDataRejected(R"({"fields":[{"name":"N"}],"rows":[]})", "type");
    ExpectDataRejected(R"({"fields":[{"name":"N","type":"string","size":-1}],"rows":[]})", "size");
    ExpectDataRejected(R"({"fields":[{"name":"N","type":"string","flags":["x"]}],"rows":[]})",
                       "flag");
    ExpectDataRejected(
        R"({"fields":[{"name":"N","type":"integer"},{"name":"n","type":"string"}],"rows":[]})",
        "twice");
    ExpectDataRejected(R"([1,2])", "object");
}

TEST(DataPacketReader, RejectsMalformedRows) {
    const std::string f = kOneField;
    ExpectDataRejected("{" + f + "}", "rows");
    ExpectDataRejected("{" + f + R"(,"rows":{}})", "rows");
    ExpectDataRejected("{" + f + R"(,"rows":[5]})", "array");
    ExpectDataRejected("{" + f + R"(,"rows":[[1,2]]})", "2 values for 1 fields");
    ExpectDataRejected("{" + f + R"(,"rows":[[]]})", "0 values");
    ExpectDataRejected("{" + f + R"(,"rows":[["12"]]})", "'N'");
    ExpectDataRejected("{" + f + R"(,"rows":[[2.5]]})", "'N'");
    ExpectDataRejected("{" + f + R"(,"rows":[[true]]})", "'N'");
    ExpectDataRejected("{" + f + R"(,"rows":[[[1]]]})", "'N'");
    ExpectDataRejected(R"({"fields":[{"name":"S","type":"string"}],"rows":[[12]]})", "'S'");
    ExpectDataRejected(R"({"fields":[{"name":"D","type":"datetime"}],"rows":[["2026-12-07"]]})",
                       "'D'");
}

TEST(DataPacketReader, RejectsBadDates) {
    for (const char* dt :
         {R"("2026-02-30T10:00:00")", R"("2026-12-07T24:00:00")", R"("07/12/2026")",
          R"("2026-12-07 10:00:00")", R"("")", "12", R"("2026-12-07T10:00:00.12x")",
          R"(" 026-12-07")", R"("2026-+1-07")", R"("2026-12-7 ")", R"("2026-12-07T10:00:0Z")"}) {
        const std::string text =
            std::string(R"({"fields":[{"name":"D","type":"datetime"}],"rows":[[{"$dt":)") + dt +
            "}]]}";
        ExpectDataRejected(text, "'D'");
    }
    ExpectDataRejected(
        R"({"fields":[{"name":"D","type":"datetime"}],"rows":[[{"$dt":"2026-12-07","x":1}]]})",
        "'D'");
}

TEST(ChangePacketReader, RejectsMalformedChanges) {
    const std::string f = kOneField;
    const auto rejected = [&](const std::string& changes, const std::string& needle) {
        try {
            ChangePacketFromJson(json::parse("{" + f + ",\"changes\":" + changes + "}"));
            ADD_FAILURE() << "accepted: " << changes;
        } catch (const EDatabaseError& e) {
            EXPECT_NE(std::string(e.what()).find(needle), std::string::npos) << e.what();
        }
    };
    EXPECT_THROW(ChangePacketFromJson(json::parse("{" + f + "}")), EDatabaseError);
    rejected(R"([{"new":[1]}])", "op");
    rejected(R"([{"op":"upsert","new":[1]}])", "upsert");
    rejected(R"([{"op":"insert"}])", "new");
    rejected(R"([{"op":"update","new":[1]}])", "old");
    rejected(R"([{"op":"update","old":[1]}])", "new");
    rejected(R"([{"op":"delete","new":[1]}])", "old");
    rejected(R"([{"op":"insert","new":[1,2]}])", "values for 1 fields");
    rejected(R"([{"op":"delete","old":["x"]}])", "'N'");
    rejected(R"([7])", "object");
}

TEST(CoerceToFieldValue, ChecksKindsAndNamesTheField) {
    const FieldDef n{"NRSEQ", TFieldType::ftInteger};
    EXPECT_EQ(CoerceToField(n, Variant(4.0)).kind(), Variant::Kind::Integer);
    EXPECT_TRUE(CoerceToField(n, Variant()).IsNull());
    EXPECT_THROW(CoerceToField(n, Variant(1e300)), EDatabaseError)
        << "a float beyond the integer range is a wrong kind, not a conversion fault";
    EXPECT_THROW(CoerceToField(n, Variant("4")), EDatabaseError);
    const FieldDef d{"DT", TFieldType::ftDateTime};
    EXPECT_THROW(CoerceToField(d, Variant(46000.5)), EDatabaseError);
    EXPECT_EQ(CoerceToField({"B", TFieldType::ftBoolean}, Variant(true)).AsBool(), true);
}

}  // namespace
