// Schema version 6, the server's perimeter: failed logins, kept in the database so that every
// server on one database slows the same attacker down. One row per throttled key: a client
// address ("E" + address) or an operator tried from an address ("O" + code + "@" + address).
// QTFALHAS counts the failures in a row, DTULTFALHA is the last one, DTLIBERA when the next
// try is allowed. Tokens as in version 1. Never edit a released version; add a new migration.
#pragma once

namespace zel::appserver {

inline constexpr const char* kSchemaV6Perimeter = R"SQL(
CREATE TABLE FALHALOGIN (
  CHFALHA VARCHAR(120) NOT NULL PRIMARY KEY,
  QTFALHAS INTEGER NOT NULL,
  DTULTFALHA {DT} NOT NULL,
  DTLIBERA {DT} NOT NULL
);
CREATE INDEX IX_FALHALOGIN_ULTIMA ON FALHALOGIN (DTULTFALHA);
)SQL";

}  // namespace zel::appserver
