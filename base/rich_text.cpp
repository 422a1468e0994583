#include "base/rich_text.h"

#include "platform/rtf_text.h"

#include <QString>
#include <QTextDocument>

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
