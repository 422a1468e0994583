#include "platform/rtf_text.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// Windows-1252 code points of the bytes 0x80-0x9F (0 where the code page leaves a byte
// undefined); the other bytes are their Latin-1 code points.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x110000) {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char32_t Cp1252(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return kCp1252High[byte - 0x80];
    return byte;
}

// Destinations whose text is not part of the document's body.
bool SkippedDestination(std::string_view word) {
    static constexpr std::string_view kSkipped[] = {
        "fonttbl",
        "colortbl",
        "stylesheet",
        "info",
        "pict",
        "object",
        "header",
        "headerl",
        "headerr",
        "headerf",
        "footer",
        "footerl",
        "footerr",
        "footerf",
        "themedata",
        "listtable",
        "datastore",
        "xmlnstbl",
        "rsidtbl",
        "generator",
        "filetbl",
        "revtbl",
        "fldinst",
        "latentstyles",
        "listtext",
        "mmathPr",
        "pgdsctbl",
        "listoverridetable",
        "colorschememapping",
        "operator",
        "author",
        "title",
        "subject",
        "keywords",
        "comment",
    };
    for (std::string_view s : kSkipped)
        if (s == word) return true;
    return false;
}

// Text that a control word stands for; nullptr when it stands for none.
const char* WordText(std::string_view word) {
    struct Entry {
        std::string_view word;
        const char* text;
    };
    static constexpr Entry kWords[] = {
        {"par", "\n"},           {"line", "\n"},          {"sect", "\n"},
        {"page", "\n"},          {"row", "\n"},           {"tab", "\t"},
        {"cell", "\t"},          {"emdash", "\u2014"},    {"endash", "\u2013"},
        {"bullet", "\u2022"},    {"lquote", "\u2018"},    {"rquote", "\u2019"},
        {"ldblquote", "\u201C"}, {"rdblquote", "\u201D"}, {"emspace", " "},
        {"enspace", " "},
    };
    for (const Entry& e : kWords)
        if (e.word == word) return e.text;
    return nullptr;
}

class RtfReader {
  public:
    explicit RtfReader(std::string_view rtf) : m_in(rtf) {}

    std::string Read() {
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos++];
            if (c == '{') {
                m_groups.push_back(m_group);
            } else if (c == '}') {
                m_pendingFallback = 0;
                if (m_groups.empty()) continue;
                m_group = m_groups.back();
                m_groups.pop_back();
            } else if (c == '\\') {
                controlSymbol();
            } else if (c != '\r' && c != '\n') {
                text(static_cast<unsigned char>(c));
            }
        }
        const size_t end = m_out.find_last_not_of(" \t\r\n");
        m_out.erase(end == std::string::npos ? 0 : end + 1);
        return m_out;
    }

  private:
    struct Group {
        bool skip = false;
        int fallbackChars = 1;  // \ucN: characters that follow a \uN
    };

    void emit(std::string_view s) {
        if (m_group.skip) return;
        m_out += s;
    }

    // A character of the text; skipped while a \uN's fallback characters are pending.
    void text(unsigned char byte, bool escaped = false) {
        if (m_pendingFallback > 0) {
            --m_pendingFallback;
            return;
        }
        if (m_group.skip) return;
        if (escaped || byte >= 0x80) {
            // Bytes above 0x7F in the text are taken as UTF-8 when they already are, else as
            // the document's code page.
            if (!escaped && utf8Continues(byte)) return;
            if (const char32_t c = Cp1252(byte)) AppendUtf8(m_out, c);
        } else {
            m_out += static_cast<char>(byte);
        }
    }

    // A raw UTF-8 sequence starting at the byte just read: copied whole. False when the bytes
    // do not form one.
    bool utf8Continues(unsigned char lead) {
        const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        if (length == 0 || m_pos + length - 1 > m_in.size()) return false;
        for (int i = 0; i < length - 1; ++i)
            if ((static_cast<unsigned char>(m_in[m_pos + i]) & 0xC0) != 0x80) return false;
        m_out += static_cast<char>(lead);
        m_out.append(m_in.substr(m_pos, length - 1));
        m_pos += length - 1;
        return true;
    }

    void controlSymbol() {
        if (m_pos >= m_in.size()) return;
        const char c = m_in[m_pos];
        if (std::isalpha(static_cast<unsigned char>(c))) {
            controlWord();
            return;
        }
        ++m_pos;
        switch (c) {
            case '\\':
            case '{':
            case '}':
                text(static_cast<unsigned char>(c));
                break;
            case '\'':
                hexEscape();
                break;
            case '*':
                m_group.skip = true;
                break;
            case '~':
                if (!m_group.skip) emit("\u00A0");
                break;
            case '_':
                emit("-");
                break;
            case '\r':
            case '\n':
                emit("\n");
                break;
            default:
                break;  // \- (optional hyphen), \| and other symbols show nothing
        }
    }

    void hexEscape() {
        auto hex = [](char h) {
            if (h >= '0' && h <= '9') return h - '0';
            h = static_cast<char>(std::tolower(static_cast<unsigned char>(h)));
            return h >= 'a' && h <= 'f' ? h - 'a' + 10 : -1;
        };
        if (m_pos + 2 > m_in.size()) {
            m_pos = m_in.size();
            return;
        }
        const int hi = hex(m_in[m_pos]), lo = hex(m_in[m_pos + 1]);
        m_pos += 2;
        if (hi < 0 || lo < 0) return;
        text(static_cast<unsigned char>(hi * 16 + lo), true);
    }

    void controlWord() {
        const size_t start = m_pos;
        while (m_pos < m_in.size() && std::isalpha(static_cast<unsigned char>(m_in[m_pos])))
            ++m_pos;
        const std::string_view word = m_in.substr(start, m_pos - start);
        bool hasParam = false;
        long param = 0;
        const size_t numberStart = m_pos;
        const bool negative = m_pos < m_in.size() && m_in[m_pos] == '-';
        if (negative) ++m_pos;
        const size_t digitsStart = m_pos;
        while (m_pos < m_in.size() && std::isdigit(static_cast<unsigned char>(m_in[m_pos])))
            ++m_pos;
        if (m_pos > digitsStart) {
            hasParam = true;
            // Only the first nine digits are read, so a long number cannot overflow.
            const std::string digits(
                m_in.substr(digitsStart, std::min<size_t>(m_pos - digitsStart, 9)));
            param = std::strtol(digits.c_str(), nullptr, 10);
            if (negative) param = -param;
        } else {
            m_pos = numberStart;
        }
        if (m_pos < m_in.size() && m_in[m_pos] == ' ') ++m_pos;  // the delimiter
        apply(word, hasParam, param);
    }

    void apply(std::string_view word, bool hasParam, long param) {
        if (word == "u" && hasParam) {
            char32_t c = static_cast<char32_t>(param < 0 ? param + 65536 : param);
            if (!m_group.skip && m_pendingFallback == 0) AppendUtf8(m_out, c);
            m_pendingFallback = m_group.fallbackChars;
        } else if (word == "uc" && hasParam) {
            m_group.fallbackChars = param < 0 ? 0 : static_cast<int>(param);
        } else if (word == "bin" && hasParam) {
            m_pos +=
                std::min<size_t>(static_cast<size_t>(param < 0 ? 0 : param), m_in.size() - m_pos);
        } else if (SkippedDestination(word)) {
            m_group.skip = true;
        } else if (const char* t = WordText(word)) {
            m_pendingFallback = 0;
            emit(t);
        }
    }

    std::string_view m_in;
    size_t m_pos = 0;
    std::string m_out;
    Group m_group;
    std::vector<Group> m_groups;
    int m_pendingFallback = 0;
};

}  // namespace

bool IsRtfText(std::string_view text) {
    const size_t start = text.find_first_not_of(" \t\r\n");
    return start != std::string_view::npos && text.substr(start, 5) == "{\\rtf";
}

std::string RtfToPlainText(std::string_view rtf) {
    return RtfReader(rtf).Read();
}
