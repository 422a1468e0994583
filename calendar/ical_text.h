// ICalText: writes the lines of an iCalendar text (RFC 5545) into a string: CRLF line ends,
// lines folded at 75 octets without cutting a UTF-8 character, TEXT values and parameter
// values escaped. It writes straight into the caller's string, so a feed of thousands of
// events is written without building a tree of components first.
#pragma once

#include <string>
#include <string_view>

#include "platform/date_time.h"

class ICalText {
  public:
    explicit ICalText(std::string& out) : m_out(out) {}

    void Begin(std::string_view component);
    void End(std::string_view component);

    // "NAME[;PARAMS]:VALUE" with the value as it is (a value already in its property's
    // format: a number, a rule, an address). `params` starts with ";" or is empty.
    void Raw(std::string_view name, std::string_view params, std::string_view value);
    // A TEXT property: backslash, ";", "," and line breaks escaped.
    void Text(std::string_view name, std::string_view text);
    // A UTC date-time: "20261207T143000Z".
    void Utc(std::string_view name, TDateTime utc);
    // A wall-clock date-time of a zone: "NAME;TZID=America/Sao_Paulo:20261207T143000". The
    // zone must be a plain IANA name (IsTimeZoneName).
    void Local(std::string_view name, TDateTime local, std::string_view zone);
    // A block of lines already written (a VTIMEZONE), appended as it is.
    void Block(std::string_view lines);

    // A parameter value: in double quotes when it holds ":", ";" or ",", with the characters
    // a parameter may not hold (double quotes, control characters) dropped.
    static std::string ParamValue(std::string_view value);
    // "20261207T143000" (no zone letter).
    static std::string DateTimeValue(TDateTime value);

  private:
    void line(std::string_view content);

    std::string& m_out;
};
