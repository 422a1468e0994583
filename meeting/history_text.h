// How a meeting's history reads in the window: each recorded change (kind, operation, the
// record's key and its changed fields as the server stores them, a JSON array of
// [field, old, new], minutes as [field, old length, new length, "len"]) as one line of text,
// with field names as the window labels them and values as the window shows them (dates
// "dd/mm/yyyy hh:nn", times "hh:mm", durations "hh:mm", status by name). Pure functions.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace Cli_zel00400 {

// The names of the operators and rooms a history mentions, by trimmed code. A value whose code
// has no name here reads as the code (an operator or room since removed, or not visible).
struct HistoryNames {
    std::map<std::string, std::string> operators;
    std::map<std::string, std::string> rooms;
};

// Adds the operator and room codes that `changes` (a record's changed fields) mention to
// `codes`, with empty names; a text that is not a JSON array adds nothing.
void CollectHistoryCodes(const std::string& changes, HistoryNames& codes);

// The kinds a history is filtered by, in the order the filter offers them.
const std::vector<std::string>& HistoryKinds();
// "meeting" -> "Reunião", "room" -> "Sala", "participants" -> "Participantes",
// "agenda" -> "Pauta", "minutes" -> "Ata"; any other kind as it is.
std::string HistoryKindLabel(const std::string& kind);

// The label of a stored column ("DTHRREUNIAO" -> "Data/Hora Reunião"); unknown ones as named.
std::string HistoryFieldLabel(const std::string& field);

// A stored value as the window shows it; `jsonValue` is one element of a change (null, a
// number or a text). Null reads "(vazio)"; an operator or a room by its name in `names`.
std::string HistoryValueText(const std::string& field, const std::string& jsonValue,
                             const HistoryNames& names = {});

// One change as a line: "Reunião alterada: Data/Hora Reunião: 07/12/2026 09:00 → 08/12/2026
// 14:00". `op` is "I", "U" or "D"; `key` the record's own key ("" for the meeting). A text that
// is not a JSON array reads as it is.
std::string HistoryChangeText(const std::string& kind, const std::string& op,
                              const std::string& key, const std::string& changes,
                              const HistoryNames& names = {});

}  // namespace Cli_zel00400
