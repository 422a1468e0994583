#include "appserver/office_setup.h"

#include "appserver/mail_settings.h"
#include "appserver/resolver.h"
#include "appserver/room_catalog.h"
#include "appserver/rpc_error.h"
#include "appserver/schema.h"
#include "calendar/time_zones.h"

namespace zel::appserver::office {

namespace {

// Checks a value against its column (size, required) before it is written.
Variant Checked(const char* table, const char* column, const std::string& value) {
    const ColumnDef* c = Table(table).Column(column);
    if (c->notNull && value.empty())
        throw RpcError(code::kBadArguments,
                       std::string("O campo ") + column + " deve ser informado.");
    return ToColumnValue(*c, Variant(value));
}

void RequireOne(const SqlResult& r, const std::string& what) {
    if (r.affected != 1) throw RpcError(code::kNotFound, what + " não cadastrado(a).");
}

std::vector<std::vector<std::string>> AsText(const SqlResult& r) {
    std::vector<std::vector<std::string>> out;
    for (const SqlRow& row : r.rows) {
        std::vector<std::string> line;
        for (const Variant& v : row)
            line.push_back(v.AsString());
        out.push_back(std::move(line));
    }
    return out;
}

Variant EmailValue(const std::string& email) {
    if (email.empty()) return Variant();
    if (!IsPlainMailAddress(email))
        throw RpcError(code::kBadArguments, "E-mail inválido: " + email);
    return Variant(email);
}

}  // namespace

void AddBranch(SqlConnection& db, const std::string& code, const std::string& name) {
    db.Exec("INSERT INTO FILIAL (CDFILIAL, NMFILIAL, IDATIVO) VALUES (?, ?, 'S')",
            {Checked("FILIAL", "CDFILIAL", code), Checked("FILIAL", "NMFILIAL", name)});
}

void AddOperator(SqlConnection& db, const std::string& code, const std::string& name,
                 const std::string& passwordHash, const std::vector<std::string>& branches,
                 const std::string& email) {
    db.Exec(
        "INSERT INTO OPERADOR (CDOPERADOR, NMOPERADOR, DSSENHA, IDATIVO, DSEMAIL) "
        "VALUES (?, ?, ?, 'S', ?)",
        {Checked("OPERADOR", "CDOPERADOR", code), Checked("OPERADOR", "NMOPERADOR", name),
         passwordHash, EmailValue(email)});
    for (const std::string& b : branches)
        GrantBranch(db, code, b);
}

void SetPassword(SqlConnection& db, const std::string& code, const std::string& passwordHash) {
    RequireOne(
        db.Exec("UPDATE OPERADOR SET DSSENHA = ? WHERE CDOPERADOR = ?", {passwordHash, code}),
        "Operador " + code);
    // Sessions opened with the old password end.
    db.Exec("DELETE FROM SESSAO WHERE CDOPERADOR = ?", {code});
}

void SetOperatorEmail(SqlConnection& db, const std::string& code, const std::string& email) {
    RequireOne(
        db.Exec("UPDATE OPERADOR SET DSEMAIL = ? WHERE CDOPERADOR = ?", {EmailValue(email), code}),
        "Operador " + code);
}

void SetBranchTimeZone(SqlConnection& db, const std::string& branch, const std::string& zone) {
    if (!zone.empty() && !IsKnownTimeZone(zone))
        throw RpcError(code::kBadArguments, "Fuso horário desconhecido: " + zone +
                                                " (use um nome como America/Sao_Paulo).");
    RequireOne(db.Exec("UPDATE FILIAL SET DSFUSOHORARIO = ? WHERE CDFILIAL = ?",
                       {zone.empty() ? Variant() : Variant(zone), branch}),
               "Filial " + branch);
    // Every published calendar shows its times in the zones of the branches it covers.
    db.Exec("UPDATE CALENDVERSAO SET NRVERSAO = NRVERSAO + 1");
}

void SetOperatorActive(SqlConnection& db, const std::string& code, bool active) {
    RequireOne(
        db.Exec("UPDATE OPERADOR SET IDATIVO = ? WHERE CDOPERADOR = ?", {active ? "S" : "N", code}),
        "Operador " + code);
    if (!active) db.Exec("DELETE FROM SESSAO WHERE CDOPERADOR = ?", {code});
}

void GrantBranch(SqlConnection& db, const std::string& operatorCode, const std::string& branch) {
    db.Exec("INSERT INTO OPERFILIAL (CDOPERADOR, CDFILIAL) VALUES (?, ?)",
            {Checked("OPERFILIAL", "CDOPERADOR", operatorCode),
             Checked("OPERFILIAL", "CDFILIAL", branch)});
}

void RevokeBranch(SqlConnection& db, const std::string& operatorCode, const std::string& branch) {
    RequireOne(db.Exec("DELETE FROM OPERFILIAL WHERE CDOPERADOR = ? AND CDFILIAL = ?",
                       {operatorCode, branch}),
               "Acesso do operador " + operatorCode + " à filial " + branch);
}

void AddRoom(SqlConnection& db, const std::string& branch, const std::string& code,
             const std::string& name) {
    db.Exec("INSERT INTO SALA (CDFILIAL, CDSALA, NMSALA, IDATIVO) VALUES (?, ?, ?, 'S')",
            {Checked("SALA", "CDFILIAL", branch), Checked("SALA", "CDSALA", code),
             Checked("SALA", "NMSALA", name)});
}

void SetRoomActive(SqlConnection& db, const std::string& branch, const std::string& code,
                   bool active) {
    RequireOne(db.Exec("UPDATE SALA SET IDATIVO = ? WHERE CDFILIAL = ? AND CDSALA = ?",
                       {active ? "S" : "N", branch, code}),
               "Sala " + code);
}

void SetRoomPlaces(SqlConnection& db, const std::string& branch, const std::string& code,
                   std::optional<int64_t> places) {
    if (places && (*places < 1 || *places > kMaxRoomPlaces))
        throw RpcError(code::kBadArguments, "Capacidade inválida: informe de 1 a " +
                                                std::to_string(kMaxRoomPlaces) + " lugares.");
    RequireOne(db.Exec("UPDATE SALA SET QTCAPACSALA = ? WHERE CDFILIAL = ? AND CDSALA = ?",
                       {places ? Variant(*places) : Variant(), branch, code}),
               "Sala " + code);
}

void SetRoomTags(SqlConnection& db, const std::string& branch, const std::string& code,
                 const std::vector<std::string>& tag, const std::vector<std::string>& untag) {
    if (db.Exec("SELECT 1 FROM SALA WHERE CDFILIAL = ? AND CDSALA = ?", {branch, code})
            .rows.empty())
        throw RpcError(code::kNotFound,
                       "Sala " + code + " não cadastrada na filial " + branch + ".");
    for (const std::string& t : tag)
        db.Exec(
            "INSERT INTO EQUIPSALA (CDFILIAL, CDSALA, NMEQUIPSALA) VALUES (?, ?, ?) "
            "ON CONFLICT DO NOTHING",
            {branch, code, NormalRoomTag(t)});
    for (const std::string& t : untag) {
        const std::string name = NormalRoomTag(t);
        if (db.Exec("DELETE FROM EQUIPSALA WHERE CDFILIAL = ? AND CDSALA = ? AND NMEQUIPSALA = ?",
                    {branch, code, name})
                .affected == 0)
            throw RpcError(code::kNotFound,
                           "A sala " + code + " não tem o equipamento \"" + name + "\".");
    }
    if (BranchRoomTags(db, branch)[code].size() > kMaxRoomTags)
        throw RpcError(code::kBadArguments,
                       "Uma sala tem no máximo " + std::to_string(kMaxRoomTags) + " equipamentos.");
}

WorkingHours SetWorkingHours(SqlConnection& db, const std::string& branch, const std::string& start,
                             const std::string& end, const std::string& days) {
    const WorkingHours hours = ParseWorkingHours(ReadWorkingHours(db, branch), start, end, days);
    WriteWorkingHours(db, branch, hours);
    return hours;
}

std::vector<std::vector<std::string>> ListBranches(SqlConnection& db) {
    auto rows = AsText(db.Exec("SELECT CDFILIAL, NMFILIAL, IDATIVO FROM FILIAL ORDER BY CDFILIAL"));
    for (auto& row : rows)
        row.push_back(ReadWorkingHours(db, row[0]).Text());
    return rows;
}

std::vector<std::vector<std::string>> ListOperators(SqlConnection& db) {
    auto ops =
        AsText(db.Exec("SELECT CDOPERADOR, NMOPERADOR, IDATIVO FROM OPERADOR ORDER BY CDOPERADOR"));
    for (auto& row : ops) {
        std::string branches;
        for (const SqlRow& b : db.Exec("SELECT CDFILIAL FROM OPERFILIAL WHERE CDOPERADOR = ? "
                                       "ORDER BY CDFILIAL",
                                       {row[0]})
                                   .rows)
            branches += (branches.empty() ? "" : ",") + b[0].AsString();
        row.push_back(branches);
        row.push_back(db.Exec("SELECT DSEMAIL FROM OPERADOR WHERE CDOPERADOR = ?", {row[0]})
                          .rows.at(0)
                          .at(0)
                          .AsString());
    }
    return ops;
}

std::vector<std::vector<std::string>> ListRooms(SqlConnection& db, const std::string& branch) {
    auto rows =
        AsText(db.Exec("SELECT CDFILIAL, CDSALA, NMSALA, IDATIVO, QTCAPACSALA FROM SALA "
                       "WHERE CDFILIAL = ? ORDER BY CDSALA",
                       {branch}));
    auto tags = BranchRoomTags(db, branch);
    for (auto& row : rows)
        row.push_back(RoomTagsText(tags[row[1]]));
    return rows;
}

}  // namespace zel::appserver::office
