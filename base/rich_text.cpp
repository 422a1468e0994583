#include "base/rich_text.h"

#include <QString>
#include <QTextDocument>
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <vector>

namespace {

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Windows-1252 byte to Unicode (0x80-0x9F differ from Latin-1).
uint32_t Cp1252(unsigned char b) {
    static const uint16_t k80[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    return b >= 0x80 && b < 0xA0 ? k80[b - 0x80] : b;
}

// Groups whose text is not part of the document's body.
bool IsSkippedDestination(const std::string& word) {
    static const std::set<std::string> kSkipped = {"fonttbl",      "colortbl",
                                                   "stylesheet",   "info",
                                                   "pict",         "header",
                                                   "footer",       "headerl",
                                                   "headerr",      "footerl",
                                                   "footerr",      "listtable",
                                                   "fldinst",      "object",
                                                   "themedata",    "datastore",
                                                   "latentstyles", "rsidtbl",
                                                   "generator",    "listoverridetable",
                                                   "xmlnstbl",     "colorschememapping"};
    return kSkipped.count(word) > 0;
}

struct RtfState {
    bool skip = false;
    int uc = 1;  // fallback characters after \uN
};

class RtfReader {
  public:
    explicit RtfReader(const std::string& rtf) : m_in(rtf) {}

    std::string Run() {
        m_stack.push_back({});
        while (m_pos < m_in.size() && !m_stack.empty()) {
            const char c = m_in[m_pos++];
            if (c == '{') {
                m_stack.push_back(m_stack.back());
                m_groupStart = true;
                continue;
            }
            const bool groupStart = m_groupStart;
            m_groupStart = false;
            if (c == '}') {
                m_stack.pop_back();
            } else if (c == '\\') {
                controlWord(groupStart);
            } else if (c != '\r' && c != '\n') {
                text(static_cast<unsigned char>(c));
            }
        }
        return m_out;
    }

  private:
    void text(unsigned char c) {
        if (m_pendingSkip > 0) {
            --m_pendingSkip;
            return;
        }
        if (m_stack.back().skip) return;
        // Bytes of 0x80 and above are taken as UTF-8 already (some tools write it so).
        m_out += static_cast<char>(c);
    }

    void put(uint32_t cp) {
        if (!m_stack.back().skip) AppendUtf8(m_out, cp);
    }

    void controlWord(bool groupStart) {
        if (m_pos >= m_in.size()) return;
        const char c = m_in[m_pos];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            controlSymbol(c, groupStart);
            return;
        }
        std::string word;
        while (m_pos < m_in.size() && std::isalpha(static_cast<unsigned char>(m_in[m_pos])))
            word += m_in[m_pos++];
        std::string digits;
        if (m_pos < m_in.size() &&
            (m_in[m_pos] == '-' || std::isdigit(static_cast<unsigned char>(m_in[m_pos]))))
            digits += m_in[m_pos++];
        while (m_pos < m_in.size() && std::isdigit(static_cast<unsigned char>(m_in[m_pos])) &&
               digits.size() < 10)
            digits += m_in[m_pos++];
        if (m_pos < m_in.size() && m_in[m_pos] == ' ') ++m_pos;
        const long param =
            digits.empty() || digits == "-" ? 0 : std::strtol(digits.c_str(), nullptr, 10);
        apply(word, param, !digits.empty(), groupStart);
    }

    void controlSymbol(char c, bool groupStart) {
        ++m_pos;
        switch (c) {
            case '\\':
            case '{':
            case '}':
                text(static_cast<unsigned char>(c));
                break;
            case '~':
                put(0xA0);
                break;
            case '_':
                put('-');
                break;
            case '*':
                if (groupStart) m_stack.back().skip = true;
                break;
            case '\'':
                hexByte();
                break;
            case '\r':
            case '\n':
                put('\n');
                break;  // "\" + line break is a \par
            default:
                break;  // \- and the like: nothing to show
        }
    }

    void hexByte() {
        if (m_pos + 2 > m_in.size()) return;
        const std::string hex = m_in.substr(m_pos, 2);
        m_pos += 2;
        if (m_pendingSkip > 0) {
            --m_pendingSkip;
            return;
        }
        char* end = nullptr;
        const long v = std::strtol(hex.c_str(), &end, 16);
        if (end == hex.c_str() + 2) put(Cp1252(static_cast<unsigned char>(v)));
    }

    void apply(const std::string& word, long param, bool hasParam, bool groupStart) {
        if (groupStart && IsSkippedDestination(word)) {
            m_stack.back().skip = true;
        } else if (word == "par" || word == "line" || word == "sect" || word == "page" ||
                   word == "row") {
            put('\n');
        } else if (word == "tab" || word == "cell") {
            put('\t');
        } else if (word == "uc" && hasParam) {
            m_stack.back().uc = static_cast<int>(std::max(0L, param));
        } else if (word == "u" && hasParam) {
            put(static_cast<uint32_t>(param < 0 ? param + 65536 : param));
            m_pendingSkip = m_stack.back().uc;
        } else if (word == "emdash") {
            put(0x2014);
        } else if (word == "endash") {
            put(0x2013);
        } else if (word == "bullet") {
            put(0x2022);
        } else if (word == "lquote" || word == "rquote") {
            put(word == "lquote" ? 0x2018 : 0x2019);
        } else if (word == "ldblquote" || word == "rdblquote") {
            put(word == "ldblquote" ? 0x201C : 0x201D);
        }
    }

    const std::string& m_in;
    size_t m_pos = 0;
    std::vector<RtfState> m_stack;
    std::string m_out;
    bool m_groupStart = false;
    int m_pendingSkip = 0;
};

std::string TrimLineBreaks(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    size_t start = 0;
    while (start < s.size() && (s[start] == '\n' || s[start] == ' '))
        ++start;
    return s.substr(start);
}

}  // namespace

bool IsRtfText(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    return text.compare(i, 5, "{\\rtf") == 0;
}

std::string RtfToPlainText(const std::string& rtf) {
    return TrimLineBreaks(RtfReader(rtf).Run());
}

std::string PlainTextToHtml(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 16);
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\n':
                out += "<br/>";
                break;
            case '\r':
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string MinutesToHtml(const std::string& text) {
    if (IsRtfText(text)) return PlainTextToHtml(RtfToPlainText(text));
    if (Qt::mightBeRichText(QString::fromStdString(text))) return text;
    return PlainTextToHtml(text);
}
