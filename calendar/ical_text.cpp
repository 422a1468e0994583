#include "calendar/ical_text.h"

namespace {

constexpr size_t kLineOctets = 75;

bool ContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

void ICalText::line(std::string_view content) {
    // The first line holds 75 octets; each continuation line a blank and 74 more. A fold
    // never lands inside a multi-byte character.
    size_t room = kLineOctets;
    while (content.size() > room) {
        size_t cut = room;
        while (cut > 0 && ContinuationByte(content[cut]))
            --cut;
        if (cut == 0) cut = room;  // not UTF-8: cut where the line is full
        m_out.append(content.data(), cut);
        m_out.append("\r\n ");
        content.remove_prefix(cut);
        room = kLineOctets - 1;
    }
    m_out.append(content);
    m_out.append("\r\n");
}

void ICalText::Begin(std::string_view component) {
    std::string text = "BEGIN:";
    text.append(component);
    line(text);
}

void ICalText::End(std::string_view component) {
    std::string text = "END:";
    text.append(component);
    line(text);
}

void ICalText::Raw(std::string_view name, std::string_view params, std::string_view value) {
    std::string text;
    text.reserve(name.size() + params.size() + value.size() + 1);
    text.append(name).append(params).append(":").append(value);
    line(text);
}

void ICalText::Text(std::string_view name, std::string_view value) {
    std::string text(name);
    text += ':';
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        switch (c) {
            case '\\':
                text += "\\\\";
                break;
            case ';':
                text += "\\;";
                break;
            case ',':
                text += "\\,";
                break;
            case '\r':
                // CRLF and a lone CR are one line break each.
                if (i + 1 < value.size() && value[i + 1] == '\n') ++i;
                text += "\\n";
                break;
            case '\n':
                text += "\\n";
                break;
            default:
                // Other control characters are not allowed in TEXT.
                if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) text += c;
        }
    }
    line(text);
}

std::string ICalText::DateTimeValue(TDateTime value) {
    const DateParts d = DecodeDate(value);
    const TimeParts t = DecodeTime(value);
    // Written digit by digit: a feed writes thousands of these.
    char buf[15];
    auto put = [&buf](int at, int v, int width) {
        for (int i = width - 1; i >= 0; --i, v /= 10)
            buf[at + i] = static_cast<char>('0' + v % 10);
    };
    put(0, d.year, 4);
    put(4, d.month, 2);
    put(6, d.day, 2);
    buf[8] = 'T';
    put(9, t.hour, 2);
    put(11, t.minute, 2);
    put(13, t.second, 2);
    return std::string(buf, sizeof buf);
}

void ICalText::Utc(std::string_view name, TDateTime utc) {
    Raw(name, {}, DateTimeValue(utc) + "Z");
}

void ICalText::Local(std::string_view name, TDateTime local, std::string_view zone) {
    std::string params = ";TZID=";
    params.append(zone);
    Raw(name, params, DateTimeValue(local));
}

void ICalText::Block(std::string_view lines) {
    m_out.append(lines);
}

std::string ICalText::ParamValue(std::string_view value) {
    std::string clean;
    bool quote = false;
    for (const char c : value) {
        if (c == '"' || (static_cast<unsigned char>(c) < 0x20) || c == 0x7F) continue;
        quote = quote || c == ':' || c == ';' || c == ',';
        clean += c;
    }
    return quote ? "\"" + clean + "\"" : clean;
}
