// Schema version 6 (rules): the numbers the server has handed out and not yet seen used. A
// number a client sends with a new row must be one of these, handed out to the same operator;
// using it removes it, so no number is taken twice and no client value can push a counter.
// Tokens as in version 1. Never edit a released version; add a new migration instead.
#pragma once

namespace zel::appserver {

inline constexpr const char* kSchemaV6Rules = R"SQL(
CREATE TABLE NUMRESERVA (
  NMCONTADOR VARCHAR(30) NOT NULL,
  CHAVE VARCHAR(40) NOT NULL,
  VALOR {BIGINT} NOT NULL,
  CDOPERADOR VARCHAR(12) NOT NULL,
  DTRESERVA {DT} NOT NULL,
  PRIMARY KEY (NMCONTADOR, CHAVE, VALOR)
);
CREATE INDEX IX_NUMRESERVA_OPERADOR ON NUMRESERVA (CDOPERADOR, DTRESERVA);
)SQL";

}  // namespace zel::appserver
