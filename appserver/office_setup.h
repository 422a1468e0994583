// OfficeSetup: the records an administrator keeps so an office can work (branches,
// operators and their branches, rooms), shared by the admin commands and the demo data.
// Every function runs in the caller's transaction and throws RpcError with a message for the
// administrator (duplicate, missing branch, text too long).
#pragma once

#include <string>
#include <vector>

#include "appserver/storage.h"

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

// Rows for listing: each row's values as text.
std::vector<std::vector<std::string>> ListBranches(SqlConnection& db);
std::vector<std::vector<std::string>> ListOperators(SqlConnection& db);
std::vector<std::vector<std::string>> ListRooms(SqlConnection& db, const std::string& branch);

}  // namespace zel::appserver::office
