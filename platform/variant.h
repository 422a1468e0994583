// Variant: the value kind that travels between the windows, the client dataset and the
// application server: null, bool, integer, float, string (UTF-8), date-time, or a packet
// (the JSON of a data or change packet, shared and immutable once wrapped).
#pragma once

#include <cstdint>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <variant>

#include "platform/date_time.h"

class Variant {
  public:
    enum class Kind { Null, Bool, Integer, Float, String, DateTime, Packet };

    Variant() = default;
    Variant(std::nullptr_t) {}
    Variant(bool v) : m_kind(Kind::Bool), m_value(v) {}
    Variant(int v) : m_kind(Kind::Integer), m_value(int64_t{v}) {}
    Variant(long v) : m_kind(Kind::Integer), m_value(int64_t{v}) {}
    Variant(long long v) : m_kind(Kind::Integer), m_value(int64_t{v}) {}
    Variant(double v) : m_kind(Kind::Float), m_value(v) {}
    Variant(const char* v) : m_kind(Kind::String), m_value(std::string(v)) {}
    Variant(std::string v) : m_kind(Kind::String), m_value(std::move(v)) {}
    static Variant FromDateTime(TDateTime v);
    static Variant FromPacket(nlohmann::json packet);

    Kind kind() const { return m_kind; }
    bool IsNull() const { return m_kind == Kind::Null; }
    bool IsNumber() const { return m_kind == Kind::Integer || m_kind == Kind::Float; }

    // Conversions as the platform makes them: a number or date to string uses the pt-BR
    // settings; a string to number or date parses it (EConvertError when it cannot); null
    // gives "", 0, false.
    std::string AsString() const;
    int64_t AsInteger() const;
    double AsFloat() const;
    TDateTime AsDateTime() const;
    bool AsBool() const;
    // The packet's JSON; EConvertError when this is not a packet.
    const nlohmann::json& AsPacket() const;
    // The stored text without a copy; nullptr when this is not a string (hot loops only).
    const std::string* StringPtr() const { return std::get_if<std::string>(&m_value); }

    // Same kind and same value (integer 1 equals float 1.0; null equals only null).
    friend bool operator==(const Variant& a, const Variant& b);
    friend bool operator!=(const Variant& a, const Variant& b) { return !(a == b); }

    // A short readable form for traces and test output: null, 'text', 12, 1.5,
    // #2026-12-07T10:00:00#.
    std::string DebugString() const;

  private:
    Kind m_kind = Kind::Null;
    std::variant<std::monostate, bool, int64_t, double, std::string,
                 std::shared_ptr<const nlohmann::json>>
        m_value;
};

// Value encoding of the protocol: string -> JSON string, number -> JSON number,
// date-time -> {"$dt":"2026-12-07T14:30:00"}, packet -> the packet object, null -> null.
nlohmann::json VariantToJson(const Variant& v);
// Strict reverse: an object that is neither {"$dt":...} nor a packet throws EConvertError.
Variant VariantFromJson(const nlohmann::json& j);
