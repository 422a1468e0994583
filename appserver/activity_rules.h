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
#include "appserver/writer.h"
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
// twice, also under concurrent callers. With `to` the number is handed out to that operator,
// to send back with his new activity.
std::string NextPlanActivityNumber(SqlConnection& db, const std::string& branch,
                                   const std::string& meeting,
                                   const std::optional<Writer>& to = std::nullopt);
// Claims a plan-activity number the client sends with a new activity (RequireHandedOut).
void RequirePlanActivityNumber(SqlConnection& db, const std::string& branch,
                               const std::string& meeting, int64_t number, const Writer& by);

// Whether `by` may mark or unmark that a participant took part (IDOPERPAREUNIAO): only the
// meeting's responsible operator, only for an activity that is not concluded and does not
// start after today. Throws RpcError forbidden / conflict with the window's texts otherwise.
void RequireMayMarkParticipation(SqlConnection& db, const std::string& branch,
                                 const std::string& meeting, const Variant& start,
                                 const std::string& status, const Writer& by);

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
