// The meeting record: the fields of the meeting list packet, in order, as the client's
// meeting dataset declares them. CDFILIAL and NRTAREFA are the key; the names, DESCRICAO,
// DATA, HORA, CDARVPROCESS and CDSALA are not columns of TAREFA and only travel.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "appserver/storage.h"
#include "appserver/writer.h"
#include "platform/packet.h"

namespace zel::appserver {

const std::vector<FieldDef>& ControleFields();

// The meeting list's query up to its first condition ("WHERE T.CDFILIAL = ? AND
// T.IDORIGTARE = ?"), columns in the order of ControleFields() without the computed ones.
// GetControle appends its filters; the benchmark's raw-SQLite floor runs the same text.
extern const char* const kControleSelectSql;

// A fresh meeting number of the branch (ten digits zero-filled), reserved inside the caller's
// transaction; GetPrxTarefa and the series hand out numbers from the same counter. With `to`
// the number is handed out to that operator, to send back with his new meeting.
std::string NextMeetingNumber(SqlConnection& db, const std::string& branch,
                              const std::optional<Writer>& to = std::nullopt);

}  // namespace zel::appserver
