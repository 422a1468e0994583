// CallArg: one positional argument of a late-bound application-server call.
//
//   net.AppServer().Call("GetControle", {Arg(CurrentBranch()), Arg(stReuniao),
//   ArgDate(dtInicial)}); std::string seq; net.AppServer().Call("GetSeqSalas", {ArgRef(seq),
//   ArgDate(day)});   // seq written back
//
// A by-value argument carries a Variant. A by-reference argument also carries where to write
// the value the server sends back in the response's "refs"; the referenced variable must
// outlive the call. TDateTime is a plain double, so a date-time must be passed with ArgDate
// (or Arg(Variant::FromDateTime(...))): Arg(dt) would travel as a number.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/variant.h"

class CallArg {
  public:
    CallArg(Variant value) : m_value(std::move(value)) {}
    CallArg(Variant value, std::function<void(const Variant&)> writeBack)
        : m_value(std::move(value)), m_writeBack(std::move(writeBack)) {}

    const Variant& Value() const { return m_value; }
    bool IsRef() const { return static_cast<bool>(m_writeBack); }
    // Stores the server's new value in the referenced variable (no-op for by-value).
    // Throws EConvertError when the value does not fit the variable's kind.
    void WriteBack(const Variant& value) const {
        if (m_writeBack) m_writeBack(value);
    }

  private:
    Variant m_value;
    std::function<void(const Variant&)> m_writeBack;
};

// By value: string, integer, real, bool, packet (Variant::FromPacket) or null.
inline CallArg Arg(Variant value) {
    return CallArg(std::move(value));
}
// A date-time by value, encoded as {"$dt":...}.
inline CallArg ArgDate(TDateTime value) {
    return CallArg(Variant::FromDateTime(value));
}

// By reference: the variable's value is sent and replaced by the server's, if it sends one.
CallArg ArgRef(std::string& ref);
CallArg ArgRef(int& ref);
CallArg ArgRef(int64_t& ref);
CallArg ArgRef(double& ref);
CallArg ArgRef(Variant& ref);
CallArg ArgRefDate(TDateTime& ref);
