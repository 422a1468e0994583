// The key lists of the multi-select dialog ("'0001','0002'") and record search. No Qt.
#pragma once

#include <string>
#include <vector>

class TClientDataSet;

// Keys separated by commas, each optionally in single quotes; blanks around them ignored.
std::vector<std::string> ParseKeyList(const std::string& keys);
// "'k1','k2'"; "" for no key. A quote inside a key is doubled.
std::string FormatKeyList(const std::vector<std::string>& keys);
// Locates the first row with a visible string field starting with `text` (case ignored),
// scanning from the first row. Returns whether one was found (it is then current).
bool FindInDataSet(TClientDataSet& dataSet, const std::string& text);
