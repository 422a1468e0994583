// Schema version 5: recurring meetings. A series is planned once from its first meeting;
// every occurrence is a meeting of its own (TAREFA), tied to the series by NRSERIETARE, the
// number of the series' first meeting. SERIETAREFA keeps the rule, OCORSERIE one row per date
// of the rule with what became of it (booked with the room, without room, skipped, cancelled).
// Tokens as in version 1. Never edit a released version; add a new migration instead.
#pragma once

namespace zel::appserver {

inline constexpr const char* kSchemaV5Series = R"SQL(
ALTER TABLE TAREFA ADD COLUMN NRSERIETARE VARCHAR(10);
CREATE INDEX IX_TAREFA_SERIE ON TAREFA (CDFILIAL, NRSERIETARE);
CREATE TABLE SERIETAREFA (
  CDFILIAL VARCHAR(4) NOT NULL REFERENCES FILIAL (CDFILIAL),
  NRSERIETARE VARCHAR(10) NOT NULL,
  IDFREQSERIE VARCHAR(1) NOT NULL,
  DSDIASSEMANA VARCHAR(7),
  DTFIMSERIE {DT},
  QTOCORSERIE INTEGER,
  IDCONFLITO VARCHAR(1) NOT NULL,
  CDOPERINCL VARCHAR(12) REFERENCES OPERADOR (CDOPERADOR),
  DTINCLSERIE {DT},
  PRIMARY KEY (CDFILIAL, NRSERIETARE),
  CHECK (IDFREQSERIE IN ('D', 'S', 'M')),
  CHECK (IDCONFLITO IN ('S', 'P'))
);
CREATE TABLE OCORSERIE (
  CDFILIAL VARCHAR(4) NOT NULL,
  NRSERIETARE VARCHAR(10) NOT NULL,
  DTOCORSERIE {DT} NOT NULL,
  NRTAREFA VARCHAR(10),
  IDSITOCOR VARCHAR(1) NOT NULL,
  CDSALA VARCHAR(5),
  PRIMARY KEY (CDFILIAL, NRSERIETARE, DTOCORSERIE),
  FOREIGN KEY (CDFILIAL, NRSERIETARE) REFERENCES SERIETAREFA (CDFILIAL, NRSERIETARE),
  CHECK (IDSITOCOR IN ('R', 'N', 'P', 'X'))
);
CREATE INDEX IX_OCORSERIE_TAREFA ON OCORSERIE (CDFILIAL, NRTAREFA);
)SQL";

}  // namespace zel::appserver
