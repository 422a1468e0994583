// The meeting record: the fields of the meeting list packet, in order, as the client's
// meeting dataset declares them. CDFILIAL and NRTAREFA are the key; the names, DESCRICAO,
// DATA, HORA, CDARVPROCESS and CDSALA are not columns of TAREFA and only travel.
#pragma once

#include <vector>

#include "platform/packet.h"

namespace zel::appserver {

const std::vector<FieldDef>& ControleFields();

}  // namespace zel::appserver
