// The meeting record: the fields of the meeting list packet, in order, as the client's
// meeting dataset declares them. CDFILIAL and NRTAREFA are the key; the names, DESCRICAO,
// DATA, HORA, CDARVPROCESS and CDSALA are not columns of TAREFA and only travel.
#pragma once

#include <vector>

#include "platform/packet.h"

namespace zel::appserver {

const std::vector<FieldDef>& ControleFields();

// The meeting list's query up to its first condition ("WHERE T.CDFILIAL = ? AND
// T.IDORIGTARE = ?"), columns in the order of ControleFields() without the computed ones.
// GetControle appends its filters; the benchmark's raw-SQLite floor runs the same text.
extern const char* const kControleSelectSql;

}  // namespace zel::appserver
