// Table definitions of the current schema. Column names are the fields of the packets that
// read and write them; fields a packet carries that are not listed here (names, computed
// texts) are never written.
#include <strings.h>
#include <stdexcept>

#include "appserver/schema.h"

namespace zel::appserver {

namespace {

ColumnDef Str(const char* name, int size, bool notNull = false) {
    return {name, ColumnType::String, size, notNull};
}
ColumnDef Int(const char* name, bool notNull = false) {
    return {name, ColumnType::Integer, 0, notNull};
}
ColumnDef Real(const char* name) {
    return {name, ColumnType::Float, 0, false};
}
ColumnDef Date(const char* name, bool notNull = false) {
    return {name, ColumnType::DateTime, 0, notNull};
}
ColumnDef Text(const char* name) {
    return {name, ColumnType::Text, 0, false};
}

std::vector<TableDef> MakeTables() {
    return {
        {"FILIAL",
         {Str("CDFILIAL", 4, true), Str("NMFILIAL", 40, true), Str("IDATIVO", 1, true),
          Str("DSFUSOHORARIO", 64), Str("HRINIEXPFIL", 4, true), Str("HRFINEXPFIL", 4, true),
          Str("DSDIASEXPFIL", 7, true)},
         {"CDFILIAL"}},
        {"OPERADOR",
         {Str("CDOPERADOR", 12, true), Str("NMOPERADOR", 40, true), Str("DSSENHA", 255, true),
          Str("IDATIVO", 1, true), Str("DSEMAIL", 100)},
         {"CDOPERADOR"}},
        {"OPERFILIAL",
         {Str("CDOPERADOR", 12, true), Str("CDFILIAL", 4, true)},
         {"CDOPERADOR", "CDFILIAL"}},
        {"PARAMETRO", {Str("NMPARAMETRO", 30, true), Str("VLPARAMETRO", 100)}, {"NMPARAMETRO"}},
        {"PROCESSO",
         {Str("CDPROCESSO", 10, true), Str("CDNVPROCESSO", 1), Str("CDARVPROCESS", 20, true),
          Str("NMPROCESSO", 100, true), Str("IDTPPROCESSO", 1), Str("CDSETOR", 4),
          Str("IDPROREUNIAO", 1, true), Str("IDATIVO", 1, true)},
         {"CDPROCESSO"}},
        {"ASSUNTO",
         {Str("CDASSUNTO", 5, true), Str("NMASSUNTO", 50, true), Str("IDORIGOBRSOL", 1),
          Str("IDPAUTVERPLA", 1), Real("QTSEGAVIASSU"), Str("CDNATUASSU", 5), Date("DTULTATUTASS")},
         {"CDASSUNTO"}},
        {"PROJETO", {Str("CDPROJETO", 10, true), Str("NMPROJETO", 100, true)}, {"CDPROJETO"}},
        {"ITEMTRAB",
         {Str("CDITEMTRAB", 10, true), Str("NMITEMTRAB", 100, true), Str("CDARVITTRAB", 20, true)},
         {"CDITEMTRAB"}},
        {"SALA",
         {Str("CDFILIAL", 4, true), Str("CDSALA", 5, true), Str("NMSALA", 30, true),
          Str("IDATIVO", 1, true), Int("QTCAPACSALA")},
         {"CDFILIAL", "CDSALA"}},
        {"EQUIPSALA",
         {Str("CDFILIAL", 4, true), Str("CDSALA", 5, true), Str("NMEQUIPSALA", 30, true)},
         {"CDFILIAL", "CDSALA", "NMEQUIPSALA"}},
        {"TAREFA",
         {Str("CDFILIAL", 4, true), Str("NRTAREFA", 10, true), Str("DSREFETAREFA", 100),
          Str("CDPROCESSO", 10), Str("CDOPERRESP", 12), Str("CDPROJETO", 10), Str("CDASSUNTO", 5),
          Str("CDOPERABER", 12), Date("DTABERTAREFA"), Str("IDSITTAREFA", 1), Str("IDORIGTARE", 1),
          Date("DTHRREUNIAO"), Real("QTHRREUNIAO"), Str("NRSERIETARE", 10)},
         {"CDFILIAL", "NRTAREFA"}},
        {"ITEMTAREFA",
         {Str("CDFILIAL", 4, true), Str("NRTAREFA", 10, true), Str("NRSEQUITTARE", 10, true),
          Str("DSREFEITTARE", 100), Str("NRPRIOITTARE", 3), Str("CDOPERRESP", 12),
          Date("DTINCLITTARE"), Str("TXPLANITTARE", 2000), Str("CDOPERADOR", 12)},
         {"CDFILIAL", "NRTAREFA", "NRSEQUITTARE"}},
        {"DESCITEMTARE",
         {Str("CDFILIAL", 4, true), Str("NRTAREFA", 10, true), Str("NRSEQUITTARE", 10, true),
          Text("TXDESCITTARE")},
         {"CDFILIAL", "NRTAREFA", "NRSEQUITTARE"}},
        {"AGEATIVISALA",
         {Str("CDFILIAL", 4, true), Date("DTATIAGESALA", true), Str("NRSEQAGESALA", 5, true),
          Str("CDSALA", 5, true), Str("NRTAREFA", 10), Str("IDSITAGESALA", 1, true),
          Str("DSAGENDASALA", 1000), Date("DTINCAGESALA"), Str("HRINIAGESALA", 4, true),
          Str("HRFINAGESALA", 4, true), Str("CDOPERADOR", 12)},
         {"CDFILIAL", "DTATIAGESALA", "NRSEQAGESALA"}},
        {"PLANATIVTARE",
         {Str("CDFILIAL", 4, true), Str("NRTAREFA", 10, true), Str("NRPLATIVTARE", 5, true),
          Str("CDPROCESSO", 10), Str("CDOPERRESP", 12), Date("DTINPATIVTAR"), Date("DTFIPATIVTAR"),
          Real("QTHRPATIVTAR"), Date("DTINCATIVTAR"), Str("CDOPERINCL", 12), Str("IDSITATIVTAR", 1),
          Str("IDOPERPAREUNIAO", 1), Str("CDITEMTRAB", 10)},
         {"CDFILIAL", "NRTAREFA", "NRPLATIVTARE"}},
        {"ATIVPESSOAL",
         {Str("CDOPERADOR", 12, true), Int("NRATIVPESSOAL", true), Str("DSATIVPESSOAL", 1000),
          Date("DTHRATIVPESSOAL"), Str("IDSITATIVPESS", 1), Str("IDAVISO", 1), Str("IDLIDO", 1),
          Date("DTHRLEITURA"), Str("CDOPERINCL", 12)},
         {"CDOPERADOR", "NRATIVPESSOAL"}},
        {"CALENDREUNIAO",
         {Str("CDFILIAL", 4, true), Str("NRTAREFA", 10, true), Int("NRSEQCALEND", true),
          Str("DSASSINATURA", 64, true), Str("DSLOCAL", 30), Str("CDSALA", 5),
          Str("CDOPERRESP", 12), Str("NRSERIETARE", 10), Date("DTCANCEL"), Date("DTALTERACAO"),
          Str("DSRESUMO", 100), Date("DTINICIO"), Date("DTFIM")},
         {"CDFILIAL", "NRTAREFA"}},
        {"CALENDCONVIDADO",
         {Str("CDFILIAL", 4, true), Str("NRTAREFA", 10, true), Str("CDOPERADOR", 12, true),
          Str("DSEMAIL", 100), Str("IDMETODO", 1), Int("NRSEQENVIO")},
         {"CDFILIAL", "NRTAREFA", "CDOPERADOR"}},
        {"RESPCONVITE",
         {Str("CDFILIAL", 4, true), Str("NRTAREFA", 10, true), Str("NRPLATIVTARE", 5, true),
          Str("CDOPERADOR", 12, true), Str("IDRESPOSTA", 1, true), Date("DTHRRESPOSTA", true),
          Int("NRSEQCALEND")},
         {"CDFILIAL", "NRTAREFA", "NRPLATIVTARE"}},
        {"CALENDFEED",
         {Int("NRCALEND", true), Str("DSTOKENHASH", 64, true), Str("CDOPERADOR", 12, true),
          Str("IDTIPO", 1, true), Str("CDFILIAL", 4), Str("CDSALA", 5), Str("NRSERIETARE", 10),
          Str("DSCHAVE", 40, true), Date("DTCRIACAO", true)},
         {"NRCALEND"}},
        {"CALENDVERSAO",
         {Str("DSCHAVE", 40, true), Int("NRVERSAO", true), Date("DTALTERACAO", true)},
         {"DSCHAVE"}},
        {"CAIXASAIDA",
         {Int("NRMENSAGEM", true), Str("DSMESSAGEID", 120, true), Str("DSDESTINO", 100, true),
          Str("DSASSUNTO", 250), Text("TXMENSAGEM"), Str("CDFILIAL", 4), Str("NRTAREFA", 10),
          Str("CDOPERADOR", 12), Str("IDMETODO", 1), Int("NRSEQCALEND"), Str("IDSITUACAO", 1, true),
          Int("QTTENTATIVAS", true), Date("DTINCLUSAO", true), Date("DTPROXIMA", true),
          Date("DTENVIO"), Str("DSERRO", 500)},
         {"NRMENSAGEM"}},
        {"CALENDMARCA",
         {Int("NRMARCA", true), Str("CDFILIAL", 4, true), Str("NRTAREFA", 10, true)},
         {"NRMARCA"}},
        {"SERIETAREFA",
         {Str("CDFILIAL", 4, true), Str("NRSERIETARE", 10, true), Str("IDFREQSERIE", 1, true),
          Str("DSDIASSEMANA", 7), Date("DTFIMSERIE"), Int("QTOCORSERIE"),
          Str("IDCONFLITO", 1, true), Str("CDOPERINCL", 12), Date("DTINCLSERIE")},
         {"CDFILIAL", "NRSERIETARE"}},
        {"OCORSERIE",
         {Str("CDFILIAL", 4, true), Str("NRSERIETARE", 10, true), Date("DTOCORSERIE", true),
          Str("NRTAREFA", 10), Str("IDSITOCOR", 1, true), Str("CDSALA", 5)},
         {"CDFILIAL", "NRSERIETARE", "DTOCORSERIE"}},
        {"CONTADOR",
         {Str("NMCONTADOR", 30, true), Str("CHAVE", 40, true), Int("VALOR", true)},
         {"NMCONTADOR", "CHAVE"}},
        {"NUMRESERVA",
         {Str("NMCONTADOR", 30, true), Str("CHAVE", 40, true), Int("VALOR", true),
          Str("CDOPERADOR", 12, true), Date("DTRESERVA", true)},
         {"NMCONTADOR", "CHAVE", "VALOR"}},
        {"SESSAO",
         {Str("TOKENHASH", 64, true), Str("CDOPERADOR", 12, true), Str("CDFILIAL", 4, true),
          Date("DTCRIACAO", true), Date("DTEXPIRA", true)},
         {"TOKENHASH"}},
    };
}

}  // namespace

const ColumnDef* TableDef::Column(const std::string& n) const {
    for (const ColumnDef& c : columns)
        if (strcasecmp(c.name.c_str(), n.c_str()) == 0) return &c;
    return nullptr;
}

const std::vector<TableDef>& Tables() {
    static const std::vector<TableDef> tables = MakeTables();
    return tables;
}

const TableDef& Table(const std::string& name) {
    for (const TableDef& t : Tables())
        if (strcasecmp(t.name.c_str(), name.c_str()) == 0) return t;
    throw std::logic_error("no table " + name);
}

}  // namespace zel::appserver
