// The delimited key lists the base library's multi-select returns ("'0001', '0002'",
// "0001,0002", "'a,b','c'"): keys separated by commas, each optionally in single quotes (a
// doubled quote inside stands for one), blanks around them ignored, empty items skipped.
// The keys are bound as parameters, never pasted into SQL.
#pragma once

#include <string>
#include <vector>

namespace zel::appserver {

// The longest key-list text a call accepts (the list of 5000 keys the parser takes at most).
inline constexpr int kMaxKeyListText = 100000;

// Throws RpcError(bad_arguments) naming `what` for an unterminated quote, text after a
// closing quote, or more than `maxKeys` keys.
std::vector<std::string> ParseKeyList(const std::string& text, const std::string& what,
                                      size_t maxKeys = 5000);

}  // namespace zel::appserver
