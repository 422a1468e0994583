// Schema version 8: rooms that describe themselves and the branches' working hours.
// SALA.QTCAPACSALA is the number of places (null: not informed); EQUIPSALA holds one row per
// equipment tag of a room ("projetor", "quadro branco", or any tag an office adds), kept in
// lower case so a tag matches however it was typed. FILIAL gets its working hours (HHMM) and
// working days (digits 1 = Monday to 7 = Sunday), which the slot suggestions keep to. Two
// covering indexes let the suggestions read the participants' and the rooms' busy times of a
// range of days from the index alone.
// Tokens as in version 1. Never edit a released version; add a new migration instead.
#pragma once

namespace zel::appserver {

inline constexpr const char* kSchemaV8Rooms = R"SQL(
ALTER TABLE SALA ADD COLUMN QTCAPACSALA INTEGER CHECK (QTCAPACSALA IS NULL OR QTCAPACSALA > 0);
CREATE TABLE EQUIPSALA (
  CDFILIAL VARCHAR(4) NOT NULL,
  CDSALA VARCHAR(5) NOT NULL,
  NMEQUIPSALA VARCHAR(30) NOT NULL,
  PRIMARY KEY (CDFILIAL, CDSALA, NMEQUIPSALA),
  FOREIGN KEY (CDFILIAL, CDSALA) REFERENCES SALA (CDFILIAL, CDSALA)
);
CREATE INDEX IX_EQUIPSALA_EQUIP ON EQUIPSALA (CDFILIAL, NMEQUIPSALA);
CREATE INDEX IX_PLANATIVTARE_OCUPACAO ON PLANATIVTARE
  (CDOPERRESP, DTINPATIVTAR, DTFIPATIVTAR, QTHRPATIVTAR, IDSITATIVTAR, CDFILIAL, NRTAREFA);
CREATE INDEX IX_AGEATIVISALA_OCUPACAO ON AGEATIVISALA
  (CDFILIAL, DTATIAGESALA, IDSITAGESALA, CDSALA, HRINIAGESALA, HRFINAGESALA, NRTAREFA);
ALTER TABLE FILIAL ADD COLUMN HRINIEXPFIL VARCHAR(4) NOT NULL DEFAULT '0800';
ALTER TABLE FILIAL ADD COLUMN HRFINEXPFIL VARCHAR(4) NOT NULL DEFAULT '1800';
ALTER TABLE FILIAL ADD COLUMN DSDIASEXPFIL VARCHAR(7) NOT NULL DEFAULT '12345';
)SQL";

}  // namespace zel::appserver
