// The plain text of an RTF document, for texts written by other tools (word processors, older
// clients) that a window shows but does not edit as RTF. Pure functions, callable from any
// thread.
#pragma once

#include <string>
#include <string_view>

// True when `text` is an RTF document: "{\rtf" after any leading blanks.
bool IsRtfText(std::string_view text);

// The document's text as UTF-8: paragraphs and line breaks become "\n", tabs "\t"; font,
// colour and style tables, pictures, document information and other ignorable groups are
// left out; "\'hh" escapes are read as Windows-1252 and "\uN" as Unicode (with its "\ucN"
// fallback characters skipped). Blanks and line breaks at the end are dropped. Malformed input
// (unbalanced braces, a cut escape) yields what could be read, never an error.
std::string RtfToPlainText(std::string_view rtf);
