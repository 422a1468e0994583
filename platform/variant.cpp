#include "platform/variant.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "platform/exceptions.h"

Variant Variant::FromDateTime(TDateTime v) {
    Variant r;
    r.m_kind = Kind::DateTime;
    r.m_value = double{v};
    return r;
}

Variant Variant::FromPacket(nlohmann::json packet) {
    Variant r;
    r.m_kind = Kind::Packet;
    r.m_value = std::make_shared<const nlohmann::json>(std::move(packet));
    return r;
}

std::string Variant::AsString() const {
    switch (m_kind) {
        case Kind::Null: return {};
        case Kind::Bool: return std::get<bool>(m_value) ? "True" : "False";
        case Kind::Integer: return IntToStr(std::get<int64_t>(m_value));
        case Kind::Float: return FloatToStr(std::get<double>(m_value));
        case Kind::String: return std::get<std::string>(m_value);
        case Kind::DateTime: return DateTimeToStr(std::get<double>(m_value));
        case Kind::Packet: throw EConvertError("Could not convert a data packet to a string");
    }
    return {};
}

int64_t Variant::AsInteger() const {
    switch (m_kind) {
        case Kind::Null: return 0;
        case Kind::Bool: return std::get<bool>(m_value) ? 1 : 0;
        case Kind::Integer: return std::get<int64_t>(m_value);
        case Kind::Float:
        case Kind::DateTime: return Round(std::get<double>(m_value));
        case Kind::String: return StrToInt(std::get<std::string>(m_value));
        case Kind::Packet: break;
    }
    throw EConvertError("Could not convert a data packet to an integer");
}

double Variant::AsFloat() const {
    switch (m_kind) {
        case Kind::Null: return 0;
        case Kind::Bool: return std::get<bool>(m_value) ? 1 : 0;
        case Kind::Integer: return static_cast<double>(std::get<int64_t>(m_value));
        case Kind::Float:
        case Kind::DateTime: return std::get<double>(m_value);
        case Kind::String: return StrToFloat(std::get<std::string>(m_value));
        case Kind::Packet: break;
    }
    throw EConvertError("Could not convert a data packet to a number");
}

TDateTime Variant::AsDateTime() const {
    switch (m_kind) {
        case Kind::Null: return 0;
        case Kind::Integer:
        case Kind::Float:
        case Kind::DateTime: return AsFloat();
        case Kind::String: return StrToDateTime(std::get<std::string>(m_value));
        case Kind::Bool:
        case Kind::Packet: break;
    }
    throw EConvertError("Could not convert the value to a date");
}

bool Variant::AsBool() const {
    switch (m_kind) {
        case Kind::Null: return false;
        case Kind::Bool: return std::get<bool>(m_value);
        case Kind::Integer: return std::get<int64_t>(m_value) != 0;
        case Kind::Float: return std::get<double>(m_value) != 0;
        case Kind::String: {
            const std::string& s = std::get<std::string>(m_value);
            if (s == "True" || s == "true" || s == "1") return true;
            if (s == "False" || s == "false" || s == "0" || s.empty()) return false;
            break;
        }
        case Kind::DateTime:
        case Kind::Packet: break;
    }
    throw EConvertError("Could not convert the value to a boolean");
}

const nlohmann::json& Variant::AsPacket() const {
    if (m_kind != Kind::Packet) throw EConvertError("The value is not a data packet");
    return *std::get<std::shared_ptr<const nlohmann::json>>(m_value);
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.IsNumber() && b.IsNumber()) return a.AsFloat() == b.AsFloat();
    if (a.m_kind != b.m_kind) return false;
    if (a.m_kind == Variant::Kind::Packet) return a.AsPacket() == b.AsPacket();
    return a.m_value == b.m_value;
}

std::string Variant::DebugString() const {
    switch (m_kind) {
        case Kind::Null: return "null";
        case Kind::String: return "'" + std::get<std::string>(m_value) + "'";
        case Kind::DateTime: return "#" + DateTimeToIso(std::get<double>(m_value)) + "#";
        case Kind::Float: {
            nlohmann::json j = std::get<double>(m_value);
            return j.dump();
        }
        case Kind::Packet: return AsPacket().dump();
        default: return AsString();
    }
}

nlohmann::json VariantToJson(const Variant& v) {
    switch (v.kind()) {
        case Variant::Kind::Null: return nullptr;
        case Variant::Kind::Bool: return v.AsBool();
        case Variant::Kind::Integer: return v.AsInteger();
        case Variant::Kind::Float: {
            const double d = v.AsFloat();
            if (!std::isfinite(d)) return nullptr;
            return d;
        }
        case Variant::Kind::String: return v.AsString();
        case Variant::Kind::DateTime: return {{"$dt", DateTimeToIso(v.AsDateTime())}};
        case Variant::Kind::Packet: return v.AsPacket();
    }
    return nullptr;
}

Variant VariantFromJson(const nlohmann::json& j) {
    switch (j.type()) {
        case nlohmann::json::value_t::null: return {};
        case nlohmann::json::value_t::boolean: return j.get<bool>();
        case nlohmann::json::value_t::number_integer: return j.get<int64_t>();
        case nlohmann::json::value_t::number_unsigned: {
            const auto u = j.get<uint64_t>();
            if (u > static_cast<uint64_t>(INT64_MAX)) throw EConvertError("Integer out of range");
            return static_cast<int64_t>(u);
        }
        case nlohmann::json::value_t::number_float: return j.get<double>();
        case nlohmann::json::value_t::string: return j.get<std::string>();
        case nlohmann::json::value_t::object: {
            if (j.size() == 1 && j.contains("$dt")) {
                const auto& dt = j["$dt"];
                if (!dt.is_string()) throw EConvertError("A date value must be a text");
                return Variant::FromDateTime(IsoToDateTime(dt.get<std::string>()));
            }
            if (j.contains("fields") && (j.contains("rows") || j.contains("changes")))
                return Variant::FromPacket(j);
            throw EConvertError("Unknown value object");
        }
        default: break;
    }
    throw EConvertError("Unsupported value kind in JSON");
}
