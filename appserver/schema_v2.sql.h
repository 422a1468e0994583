// Schema version 2: an optional e-mail address per operator (calendar invitations name it),
// and per meeting the revision last handed out in a calendar file, so a changed or cancelled
// meeting is exported with a higher revision than the copy people already imported.
// Tokens as in version 1. Never edit a released version; add a new migration instead.
#pragma once

namespace zel::appserver {

inline constexpr const char* kSchemaV2Calendar = R"SQL(
ALTER TABLE OPERADOR ADD COLUMN DSEMAIL VARCHAR(100);
CREATE TABLE CALENDREUNIAO (
  CDFILIAL VARCHAR(4) NOT NULL,
  NRTAREFA VARCHAR(10) NOT NULL,
  NRSEQCALEND INTEGER NOT NULL,
  DSASSINATURA VARCHAR(64) NOT NULL,
  DSLOCAL VARCHAR(30),
  PRIMARY KEY (CDFILIAL, NRTAREFA)
);
)SQL";

}  // namespace zel::appserver
