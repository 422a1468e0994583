#include "appserver/server_queries.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>

#include "appserver/key_list.h"
#include "appserver/method_support.h"
#include "appserver/methods.h"
#include "appserver/packet_builder.h"
#include "appserver/rpc_error.h"
#include "appserver/sql_query.h"

namespace zel::appserver {

namespace {

using T = TFieldType;

// Parameter values by upper-case name; declared parameters not sent are "".
using QueryParams = std::map<std::string, std::string>;

struct ServerQuery {
    std::vector<std::string> params;
    std::function<Variant(CallContext&, const QueryParams&)> run;
};

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The branch parameter, or the session's branch when it was left empty; refused when the
// operator may not use it.
std::string Branch(CallContext& ctx, const QueryParams& p) {
    auto it = p.find("P_CDFILIAL");
    if (it == p.end() || ::IsBlank(it->second)) return LoginBranch(ctx);
    const std::string b = TrimAll(it->second);
    RequireBranch(ctx, b);
    return b;
}

Variant QryReuniao(CallContext& ctx, const QueryParams& p) {
    static const std::vector<FieldDef> fields = {StringField("NRTAREFA", 10),
                                                 StringField("DSREFETAREFA", 100)};
    return QueryPacket(ctx.db(), fields,
                       "SELECT NRTAREFA, DSREFETAREFA FROM TAREFA WHERE CDFILIAL = ? AND "
                       "IDORIGTARE = '4' ORDER BY NRTAREFA",
                       {Branch(ctx, p)});
}

Variant QryResp(CallContext& ctx, const QueryParams&) {
    static const std::vector<FieldDef> fields = {StringField("CDOPERADOR", 12),
                                                 StringField("NMOPERADOR", 40)};
    return QueryPacket(ctx.db(), fields,
                       "SELECT CDOPERADOR, NMOPERADOR FROM OPERADOR ORDER BY CDOPERADOR");
}

// The meetings are a key list, matched whole (a number is never found inside another).
Variant QryPauta(CallContext& ctx, const QueryParams& p) {
    static const std::vector<FieldDef> fields = {Field("CODIGO", T::ftString, 24, pfHidden),
                                                 StringField("NRSEQUITTARE", 10),
                                                 StringField("DSREFEITTARE", 100)};
    SqlQuery q;
    q.sql =
        "SELECT I.CDFILIAL || I.NRTAREFA || I.NRSEQUITTARE, I.NRSEQUITTARE, I.DSREFEITTARE "
        "FROM ITEMTAREFA I WHERE I.CDFILIAL = ?";
    q.params = {Branch(ctx, p)};
    if (!AllFlag(p.at("P_TNRTAREFA")))
        q.sql += " AND " + q.In("I.NRTAREFA", ParseKeyList(p.at("P_NRTAREFA"), "reuniões"));
    q.sql += " ORDER BY I.NRSEQUITTARE, I.NRTAREFA";
    return QueryPacket(ctx.db(), fields, q.sql, q.params);
}

Variant QryAtaReuniao(CallContext& ctx, const QueryParams& p) {
    static const std::vector<FieldDef> fields = {
        StringField("CDFILIAL", 4),       StringField("NRTAREFA", 10),
        StringField("DSREFETAREFA", 100), Field("DTHRREUNIAO", T::ftDateTime),
        Field("QTHRREUNIAO", T::ftFloat), StringField("IDSITTAREFA", 1),
        StringField("CDOPERRESP", 12),    StringField("NMOPERADOR", 40),
        StringField("CDARVPROCESS", 20),  StringField("NMPROCESSO", 100),
        StringField("CDASSUNTO", 5),      StringField("NMASSUNTO", 50),
        StringField("CDPROJETO", 10),     StringField("NMPROJETO", 100),
        StringField("CDSALA", 5),         StringField("NMSALA", 30),
        StringField("NMFILIAL", 40)};
    return QueryPacket(
        ctx.db(), fields,
        "SELECT T.CDFILIAL, T.NRTAREFA, T.DSREFETAREFA, T.DTHRREUNIAO, T.QTHRREUNIAO, "
        "T.IDSITTAREFA, T.CDOPERRESP, R.NMOPERADOR, P.CDARVPROCESS, P.NMPROCESSO, T.CDASSUNTO, "
        "A.NMASSUNTO, T.CDPROJETO, PJ.NMPROJETO, S.CDSALA, S.NMSALA, F.NMFILIAL FROM TAREFA T "
        "LEFT JOIN FILIAL F ON F.CDFILIAL = T.CDFILIAL "
        "LEFT JOIN OPERADOR R ON R.CDOPERADOR = T.CDOPERRESP "
        "LEFT JOIN PROCESSO P ON P.CDPROCESSO = T.CDPROCESSO "
        "LEFT JOIN ASSUNTO A ON A.CDASSUNTO = T.CDASSUNTO "
        "LEFT JOIN PROJETO PJ ON PJ.CDPROJETO = T.CDPROJETO "
        "LEFT JOIN SALA S ON S.CDFILIAL = T.CDFILIAL AND S.CDSALA = (SELECT MIN(G.CDSALA) "
        "FROM AGEATIVISALA G WHERE G.CDFILIAL = T.CDFILIAL AND G.NRTAREFA = T.NRTAREFA "
        "AND G.IDSITAGESALA = 'A') "
        "WHERE T.CDFILIAL = ? AND T.NRTAREFA = ? AND T.IDORIGTARE = '4'",
        {Branch(ctx, p), TrimAll(p.at("P_NRTAREFA"))});
}

Variant QryAtaPauta(CallContext& ctx, const QueryParams& p) {
    static const std::vector<FieldDef> fields = {
        StringField("CDFILIAL", 4),        StringField("NRTAREFA", 10),
        StringField("NRSEQUITTARE", 10),   StringField("DSREFEITTARE", 100),
        StringField("NRPRIOITTARE", 3),    StringField("CDOPERRESP", 12),
        StringField("NMOPERRESP", 40),     Field("DTINCLITTARE", T::ftDateTime),
        StringField("TXPLANITTARE", 2000), Field("TXDESCITTARE", T::ftMemo)};
    return QueryPacket(
        ctx.db(), fields,
        "SELECT I.CDFILIAL, I.NRTAREFA, I.NRSEQUITTARE, I.DSREFEITTARE, I.NRPRIOITTARE, "
        "I.CDOPERRESP, R.NMOPERADOR, I.DTINCLITTARE, I.TXPLANITTARE, D.TXDESCITTARE "
        "FROM ITEMTAREFA I LEFT JOIN OPERADOR R ON R.CDOPERADOR = I.CDOPERRESP "
        "LEFT JOIN DESCITEMTARE D ON D.CDFILIAL = I.CDFILIAL AND D.NRTAREFA = I.NRTAREFA "
        "AND D.NRSEQUITTARE = I.NRSEQUITTARE "
        "WHERE I.CDFILIAL = ? AND I.NRTAREFA = ? ORDER BY I.NRSEQUITTARE",
        {Branch(ctx, p), TrimAll(p.at("P_NRTAREFA"))});
}

// The meeting's participants: each operator with an activity in it, once, and whether any of
// their activities records that they took part ("S") or not ("N").
Variant QryAtaParticipante(CallContext& ctx, const QueryParams& p) {
    static const std::vector<FieldDef> fields = {StringField("CDOPERADOR", 12),
                                                 StringField("NMOPERADOR", 40),
                                                 StringField("IDOPERPAREUNIAO", 1)};
    return QueryPacket(ctx.db(), fields,
                       "SELECT A.CDOPERRESP, MAX(O.NMOPERADOR), "
                       "MAX(CASE WHEN A.IDOPERPAREUNIAO = 'S' THEN 'S' ELSE 'N' END) "
                       "FROM PLANATIVTARE A LEFT JOIN OPERADOR O ON O.CDOPERADOR = A.CDOPERRESP "
                       "WHERE A.CDFILIAL = ? AND A.NRTAREFA = ? AND A.CDOPERRESP IS NOT NULL "
                       "GROUP BY A.CDOPERRESP ORDER BY MAX(O.NMOPERADOR), A.CDOPERRESP",
                       {Branch(ctx, p), TrimAll(p.at("P_NRTAREFA"))});
}

const std::map<std::string, ServerQuery>& Queries() {
    static const std::map<std::string, ServerQuery> queries = {
        {"QRYREUNIAO", {{"P_CDFILIAL"}, QryReuniao}},
        {"QRYRESP", {{}, QryResp}},
        {"QRYPAUTA", {{"P_NRTAREFA", "P_TNRTAREFA", "P_CDFILIAL"}, QryPauta}},
        {"QRYATAREUNIAO", {{"P_CDFILIAL", "P_NRTAREFA"}, QryAtaReuniao}},
        {"QRYATAPAUTA", {{"P_CDFILIAL", "P_NRTAREFA"}, QryAtaPauta}},
        {"QRYATAPARTICIPANTE", {{"P_CDFILIAL", "P_NRTAREFA"}, QryAtaParticipante}},
    };
    return queries;
}

// The parameter packet's one row as name -> text; dates and numbers are not expected by any
// query and are refused like any other wrong kind.
QueryParams ReadParams(const std::string& name, const ServerQuery& query, const Variant& arg) {
    QueryParams out;
    for (const std::string& p : query.params)
        out[p] = "";
    const DataPacket packet = DataPacketFromJson(arg.AsPacket());
    if (packet.fields.empty() && packet.rows.empty()) return out;
    if (packet.rows.size() != 1)
        throw RpcError(code::kBadArguments,
                       "Os parâmetros da consulta " + name + " devem vir em uma única linha.");
    for (size_t i = 0; i < packet.fields.size(); ++i) {
        const std::string field = Upper(packet.fields[i].name);
        if (!out.count(field))
            throw RpcError(code::kBadArguments,
                           "A consulta " + name + " não tem o parâmetro " + field + ".");
        const Variant& v = packet.rows[0][i];
        if (!v.IsNull() && v.kind() != Variant::Kind::String)
            throw RpcError(code::kBadArguments,
                           "O parâmetro " + field + " da consulta " + name + " deve ser um texto.");
        if (!v.IsNull() && v.AsString().size() > static_cast<size_t>(kMaxKeyListText))
            throw RpcError(code::kTooLong, "O parâmetro " + field + " da consulta " + name +
                                               " aceita no máximo " +
                                               std::to_string(kMaxKeyListText) + " caracteres.");
        out[field] = v.IsNull() ? std::string() : v.AsString();
    }
    return out;
}

Variant OpenServerQuery(CallContext& ctx) {
    const std::string name = TrimAll(ctx.str(0));
    auto it = Queries().find(Upper(name));
    if (it == Queries().end())
        throw RpcError(code::kBadArguments, "Consulta desconhecida no servidor: " + name + ".");
    return it->second.run(ctx, ReadParams(name, it->second, ctx.arg(1)));
}

}  // namespace

std::vector<std::string> ServerQueryNames() {
    return {"qryAtaParticipante", "qryAtaPauta", "qryAtaReuniao",
            "qryPauta",           "qryResp",     "qryReuniao"};
}

void RegisterServerQueryMethods(MethodRegistry& registry) {
    registry.add(Method("OpenServerQuery",
                        {StrParam("NMCONSULTA", 60), {"PARAMETROS", ParamKind::DataPacket}},
                        OpenServerQuery));
}

}  // namespace zel::appserver
