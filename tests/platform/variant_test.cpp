// Variant conversions, equality and the protocol's value encoding.
#include <gtest/gtest.h>

#include <limits>
#include <nlohmann/json.hpp>

#include "platform/exceptions.h"
#include "platform/variant.h"

using nlohmann::json;

namespace {

TEST(VariantConversion, UsesThePtBrTexts) {
    EXPECT_EQ(Variant(1.5).AsString(), "1,5");
    EXPECT_EQ(Variant(12).AsString(), "12");
    EXPECT_EQ(Variant::FromDateTime(EncodeDateTime(2026, 12, 7, 14, 30, 0)).AsString(),
              "07/12/2026 14:30:00");
    EXPECT_EQ(Variant("1,5").AsFloat(), 1.5);
    EXPECT_EQ(Variant(" 42 ").AsInteger(), 42);
    EXPECT_EQ(Variant("07/12/2026").AsDateTime(), EncodeDate(2026, 12, 7));
    EXPECT_EQ(Variant(2.5).AsInteger(), 3) << "halves away from zero";
    EXPECT_EQ(Variant(true).AsString(), "True");
}

TEST(VariantConversion, NullReadsAsEmptyZeroFalse) {
    const Variant null;
    EXPECT_EQ(null.AsString(), "");
    EXPECT_EQ(null.AsInteger(), 0);
    EXPECT_EQ(null.AsFloat(), 0);
    EXPECT_FALSE(null.AsBool());
}

TEST(VariantConversion, BadTextsThrowConvertError) {
    EXPECT_THROW(Variant("abc").AsFloat(), EConvertError);
    EXPECT_THROW(Variant("12a").AsInteger(), EConvertError);
    EXPECT_THROW(Variant("31/04/2030").AsDateTime(), EConvertError);
    EXPECT_THROW(Variant("talvez").AsBool(), EConvertError);
    EXPECT_THROW(Variant(1).AsPacket(), EConvertError);
    EXPECT_THROW(Variant::FromPacket(json::object()).AsString(), EConvertError);
}

TEST(VariantEquality, ComparesNumbersByValueAndOtherwiseByKind) {
    EXPECT_EQ(Variant(1), Variant(1.0));
    EXPECT_NE(Variant(1), Variant("1"));
    EXPECT_NE(Variant(), Variant(""));
    EXPECT_NE(Variant(), Variant(0));
    EXPECT_EQ(Variant(), Variant(nullptr));
    EXPECT_NE(Variant::FromDateTime(2.0), Variant(2.0)) << "a date is not a number";
    EXPECT_EQ(Variant::FromPacket(json{{"a", 1}}), Variant::FromPacket(json{{"a", 1}}));
}

TEST(VariantJson, EncodesEachKind) {
    EXPECT_EQ(VariantToJson(Variant()), json(nullptr));
    EXPECT_EQ(VariantToJson(Variant("ção")), json("ção"));
    EXPECT_EQ(VariantToJson(Variant(7)), json(7));
    EXPECT_EQ(VariantToJson(Variant(1.25)), json(1.25));
    EXPECT_EQ(VariantToJson(Variant::FromDateTime(EncodeDateTime(2026, 12, 7, 14, 30, 0))),
              json::parse(R"({"$dt":"2026-12-07T14:30:00"})"));
    EXPECT_EQ(VariantToJson(Variant(std::numeric_limits<double>::infinity())), json(nullptr))
        << "JSON has no infinity";
}

TEST(VariantJson, RoundTripsEachKind) {
    const Variant packet = Variant::FromPacket(json::parse(R"({"fields":[],"rows":[]})"));
    for (const Variant& v :
         {Variant(), Variant(true), Variant(-5), Variant(0.1), Variant("a|b"),
          Variant::FromDateTime(EncodeDateTime(2026, 12, 7, 8, 1, 2, 3)), packet}) {
        const Variant back = VariantFromJson(json::parse(VariantToJson(v).dump()));
        EXPECT_EQ(back.kind(), v.kind()) << v.DebugString();
        EXPECT_EQ(back, v) << v.DebugString();
    }
}

TEST(VariantJson, ReaderRejectsUnknownShapes) {
    EXPECT_THROW(VariantFromJson(json::parse(R"({"x":1})")), EConvertError);
    EXPECT_THROW(VariantFromJson(json::parse(R"({"$dt":5})")), EConvertError);
    EXPECT_THROW(VariantFromJson(json::parse(R"({"$dt":"2026-13-01"})")), EConvertError);
    EXPECT_THROW(VariantFromJson(json::parse("[1]")), EConvertError);
    EXPECT_THROW(VariantFromJson(json::parse("18446744073709551615")), EConvertError);
    EXPECT_EQ(VariantFromJson(json::parse("9223372036854775807")).AsInteger(), INT64_MAX);
}

}  // namespace
