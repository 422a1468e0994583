// Rules shared by the methods that read and write a meeting's activities (PLANATIVTARE):
// the activity packets' layouts, the meeting-status checks every write makes, fresh
// plan-activity numbers and the duration texts the client shows. Used only by the method
// areas (rooms, activities, cancellation, activity sync); each call runs inside the caller's
// transaction.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "appserver/storage.h"
#include "platform/packet.h"

namespace zel::appserver {

// The activity list of a meeting (GetAtividades), in the client dataset's field order.
const std::vector<FieldDef>& AtividadesFields();
// The activity packet of a participant import (GetAtividadesAux).
const std::vector<FieldDef>& AtividadesAuxFields();

// The SELECT list and joins that read activities with their names; the caller appends the
// WHERE clause. `aux` picks the GetAtividadesAux layout. The duration texts are placeholders
// filled by FillDurationTexts.
std::string ActivitySelect(bool aux);
// Fills QTHRPATIVTARE and QTHORAS of rows read with ActivitySelect from QTHRPATIVTAR.
void FillDurationTexts(std::vector<SqlRow>& rows, bool aux);

// Hours as the six-character text HHHHMM the activity grid shows (1.5 -> "000130"); empty
// for null or a negative value.
std::string HoursText(const Variant& hours);

// Throws RpcError not_found for an unknown meeting and conflict for a cancelled or concluded
// one, whose activities are closed to changes. Reads (and locks) it with MeetingStatus.
void RequireActivitiesOpen(SqlConnection& db, const std::string& branch,
                           const std::string& meeting);

// A fresh plan-activity number of the meeting, five digits zero-filled; never handed out
// twice, also under concurrent callers.
std::string NextPlanActivityNumber(SqlConnection& db, const std::string& branch,
                                   const std::string& meeting);

// A number handed out as a zero-filled text of `width` digits; throws RpcError conflict with
// `what` in the message when the counter outgrew the field.
std::string NumberText(int64_t value, int width, const std::string& what);

// The code of the active meeting-participation process (IDPROREUNIAO "S"), or "" when the
// office has none.
std::string ParticipationProcess(SqlConnection& db);

// A tree code as typed or shown with its picture ("01.01", " 0101 "): the separators and
// blanks of the picture dropped, so it matches the stored digits.
std::string PlainTreeCode(const std::string& text);

// Checks that the operator exists and is active; throws RpcError not_found with `message`.
void RequireOperator(SqlConnection& db, const std::string& operatorCode,
                     const std::string& message);

}  // namespace zel::appserver
