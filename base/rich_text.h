// Minutes texts as the report shows them. The rich editor stores HTML of Qt's rich text;
// older minutes written by other tools arrive as RTF, and a few as plain text. The report
// renders every one of them as an HTML fragment: HTML as it is, RTF as its plain text (its
// control words, groups and tables of fonts and colours dropped), plain text with its line
// breaks kept. Pure functions; callable from any thread.
#pragma once

#include <string>

// True when `text` (after leading blanks) opens an RTF document ("{\rtf").
bool IsRtfText(const std::string& text);

// The plain text of an RTF document: paragraphs (\par, \line) become line breaks, tabs stay,
// \'hh escapes are read as Windows-1252, \uN as the Unicode character N (its fallback
// character skipped), and the destination groups (font and colour tables, \*\..., pictures,
// stylesheets, document info) are dropped. Unbalanced braces end the text where they stop
// making sense; never throws. The result is UTF-8.
std::string RtfToPlainText(const std::string& rtf);

// `text` as an HTML fragment for the report: HTML (what Qt's rich text writes, or anything
// Qt recognises as rich text) as it is; RTF as its plain text; anything else as plain text.
// Plain text is escaped and its line breaks kept.
std::string MinutesToHtml(const std::string& text);

// `text` with &, <, > and " escaped and line breaks as <br/>.
std::string PlainTextToHtml(const std::string& text);
