// Schema version 9: the meetings' history. HISTREUNIAO keeps one row per write of a meeting,
// its room booking, its participants' activities, its agenda items and its minutes: when
// (server clock of the call), who (the session's operator), from which workstation address,
// through which method, what kind of record ("meeting", "room", "participants", "agenda",
// "minutes"), the operation ("I", "U", "D"), the record's own key beyond the meeting and the
// changed fields as a JSON array of [field, old, new] (minutes: [field, old length, new
// length, "len"]). Triggers on the audited tables write it (history_triggers.cpp), so no
// write path can skip it; the table takes inserts only. It has no reference to TAREFA: a
// deleted meeting's history stays. TAREFA.DSMOTCANCEL holds the reason given at cancellation.
// Tokens as in version 1 ({IDENTITY} as in version 7). Never edit a released version; add a
// new migration instead.
#pragma once

namespace zel::appserver {

inline constexpr const char* kSchemaV9History = R"SQL(
CREATE TABLE HISTREUNIAO (
  NRHISTREUNIAO {IDENTITY},
  CDFILIAL VARCHAR(4) NOT NULL,
  NRTAREFA VARCHAR(10) NOT NULL,
  DTHRHISTORICO {DT} NOT NULL,
  CDOPERADOR VARCHAR(12),
  DSENDERECO {TEXT},
  NMMETODO {TEXT},
  IDTIPOHIST VARCHAR(12) NOT NULL,
  IDOPERACAO VARCHAR(1) NOT NULL,
  DSCHAVE {TEXT},
  DSALTERACAO {TEXT} NOT NULL
);
CREATE INDEX IX_HISTREUNIAO_TAREFA ON HISTREUNIAO (CDFILIAL, NRTAREFA, NRHISTREUNIAO);
ALTER TABLE TAREFA ADD COLUMN DSMOTCANCEL VARCHAR(200);
)SQL";

// The history takes inserts only, whoever connects.
inline constexpr const char* kHistoryGuardSqlite = R"SQL(
CREATE TRIGGER HISTREUNIAO_SEM_ALTERACAO BEFORE UPDATE ON HISTREUNIAO
BEGIN SELECT RAISE(ABORT, 'o historico das reunioes nao pode ser alterado'); END;
CREATE TRIGGER HISTREUNIAO_SEM_EXCLUSAO BEFORE DELETE ON HISTREUNIAO
BEGIN SELECT RAISE(ABORT, 'o historico das reunioes nao pode ser alterado'); END;
)SQL";

inline constexpr const char* kHistoryGuardPostgres = R"SQL(
CREATE FUNCTION zel_historico_protegido() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
  RAISE EXCEPTION 'o historico das reunioes nao pode ser alterado';
END $$;
CREATE TRIGGER HISTREUNIAO_SOMENTE_INCLUSAO BEFORE UPDATE OR DELETE ON HISTREUNIAO
  FOR EACH ROW EXECUTE FUNCTION zel_historico_protegido();
CREATE TRIGGER HISTREUNIAO_SEM_TRUNCATE BEFORE TRUNCATE ON HISTREUNIAO
  FOR EACH STATEMENT EXECUTE FUNCTION zel_historico_protegido();
)SQL";

// One function serves every audited table on PostgreSQL: arguments are the kind, the record's
// own key columns and the long-text columns (lengths only), comma-separated, lower case, and
// "S" when the key columns are listed among the changed fields. The changed fields follow the
// table's column order.
inline constexpr const char* kHistoryFunctionPostgres = R"SQL(
CREATE OR REPLACE FUNCTION zel_historico() RETURNS trigger LANGUAGE plpgsql AS $$
DECLARE
  o jsonb;
  n jsonb;
  r jsonb;
  longcols text[] := string_to_array(TG_ARGV[2], ',');
  ch jsonb := '[]'::jsonb;
  k text;
  chave text;
BEGIN
  IF TG_OP <> 'INSERT' THEN o := to_jsonb(OLD); END IF;
  IF TG_OP <> 'DELETE' THEN n := to_jsonb(NEW); END IF;
  r := COALESCE(n, o);
  IF COALESCE(n->>'nrtarefa', o->>'nrtarefa', '') = '' THEN RETURN NULL; END IF;
  FOR k IN SELECT a.attname::text FROM pg_attribute a
           WHERE a.attrelid = TG_RELID AND a.attnum > 0 AND NOT a.attisdropped
           ORDER BY a.attnum LOOP
    CONTINUE WHEN k IN ('cdfilial', 'nrtarefa');
    CONTINUE WHEN TG_ARGV[3] <> 'S' AND k = ANY(string_to_array(TG_ARGV[1], ','));
    IF COALESCE(o->k, 'null'::jsonb) IS DISTINCT FROM COALESCE(n->k, 'null'::jsonb) THEN
      IF k = ANY(longcols) THEN
        ch := ch || jsonb_build_array(jsonb_build_array(upper(k), length(o->>k),
                                                        length(n->>k), 'len'));
      ELSE
        ch := ch || jsonb_build_array(jsonb_build_array(upper(k), o->k, n->k));
      END IF;
    END IF;
  END LOOP;
  IF jsonb_array_length(ch) = 0 THEN RETURN NULL; END IF;
  SELECT string_agg(replace(r->>c, 'T', ' '), '/' ORDER BY i) INTO chave
    FROM unnest(string_to_array(TG_ARGV[1], ',')) WITH ORDINALITY AS u(c, i);
  INSERT INTO HISTREUNIAO (CDFILIAL, NRTAREFA, DTHRHISTORICO, CDOPERADOR, DSENDERECO, NMMETODO,
                           IDTIPOHIST, IDOPERACAO, DSCHAVE, DSALTERACAO)
  VALUES (r->>'cdfilial', COALESCE(n->>'nrtarefa', o->>'nrtarefa'),
          COALESCE(NULLIF(current_setting('zel.quando', true), '')::timestamp(0),
                   localtimestamp(0)),
          NULLIF(current_setting('zel.oper', true), ''),
          NULLIF(current_setting('zel.endereco', true), ''),
          NULLIF(current_setting('zel.metodo', true), ''),
          TG_ARGV[0], left(TG_OP, 1), chave, ch::text);
  RETURN NULL;
END $$;
)SQL";

}  // namespace zel::appserver
