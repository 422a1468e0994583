// OfficeSetup: the records an administrator keeps so an office can work (branches,
// operators and their branches, rooms), shared by the admin commands and the demo data.
// Every function runs in the caller's transaction and throws RpcError with a message for the
// administrator (duplicate, missing branch, text too long).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "appserver/storage.h"
#include "appserver/working_hours.h"

namespace zel::appserver::office {

void AddBranch(SqlConnection& db, const std::string& code, const std::string& name);
// `passwordHash` from HashPassword. `branches` must exist. `email` may be empty (none).
void AddOperator(SqlConnection& db, const std::string& code, const std::string& name,
                 const std::string& passwordHash, const std::vector<std::string>& branches,
                 const std::string& email = "");
// Sets the operator's e-mail address (calendar invitations name it); an empty one removes it.
// A text that is not a plain address (one "@", no blanks, quotes, brackets or separators, at
// most 100 characters) is refused.
void SetOperatorEmail(SqlConnection& db, const std::string& code, const std::string& email);
// Sets the branch's time zone, an IANA name ("America/Sao_Paulo"); an empty one returns the
// branch to the server's zone. Its meetings' times are read on that clock by calendars.
void SetBranchTimeZone(SqlConnection& db, const std::string& branch, const std::string& zone);
void SetPassword(SqlConnection& db, const std::string& code, const std::string& passwordHash);
void SetOperatorActive(SqlConnection& db, const std::string& code, bool active);
void GrantBranch(SqlConnection& db, const std::string& operatorCode, const std::string& branch);
void RevokeBranch(SqlConnection& db, const std::string& operatorCode, const std::string& branch);
void AddRoom(SqlConnection& db, const std::string& branch, const std::string& code,
             const std::string& name);
void SetRoomActive(SqlConnection& db, const std::string& branch, const std::string& code,
                   bool active);
// The room's number of places, 1 to kMaxRoomPlaces (room_catalog.h); nullopt: not informed.
void SetRoomPlaces(SqlConnection& db, const std::string& branch, const std::string& code,
                   std::optional<int64_t> places);
// Adds equipment tags to the room (normalised as NormalRoomTag; a tag it has already is left
// as it is), then removes `untag`; a tag to remove that the room does not have is refused, as
// is a room with more than kMaxRoomTags tags.
void SetRoomTags(SqlConnection& db, const std::string& branch, const std::string& code,
                 const std::vector<std::string>& tag, const std::vector<std::string>& untag);
// Changes the branch's working hours (times "HH:MM" or "HHMM", weekday digits 1 = Monday to
// 7 = Sunday); an empty text keeps that value. Returns the hours now in force.
WorkingHours SetWorkingHours(SqlConnection& db, const std::string& branch, const std::string& start,
                             const std::string& end, const std::string& days);

// Rows for listing: each row's values as text. Branches end with their working hours; rooms
// with their places and tags.
std::vector<std::vector<std::string>> ListBranches(SqlConnection& db);
std::vector<std::vector<std::string>> ListOperators(SqlConnection& db);
std::vector<std::vector<std::string>> ListRooms(SqlConnection& db, const std::string& branch);

}  // namespace zel::appserver::office
