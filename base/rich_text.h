// Minutes texts as the report shows them. The rich editor stores HTML of Qt's rich text;
// older minutes written by other tools arrive as RTF, and a few as plain text. The report
// renders every one of them as an HTML fragment: HTML as it is, RTF as its plain text (its
// control words, groups and tables of fonts and colours dropped), plain text with its line
// breaks kept. Pure functions; callable from any thread.
#pragma once

#include <string>

// IsRtfText and RtfToPlainText come from platform/rtf_text.h.
#include "platform/rtf_text.h"

// `text` as an HTML fragment for the report: HTML (what Qt's rich text writes, or anything
// Qt recognises as rich text) as it is; RTF as its plain text; anything else as plain text.
// Plain text is escaped and its line breaks kept.
std::string MinutesToHtml(const std::string& text);

// `text` with &, <, > and " escaped and line breaks as <br/>.
std::string PlainTextToHtml(const std::string& text);
