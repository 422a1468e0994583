#include "appserver/methods_import.h"

#include "appserver/method_support.h"
#include "appserver/methods.h"
#include "appserver/packet_builder.h"
#include "appserver/rpc_error.h"

namespace zel::appserver {

namespace {

// Meetings of every status qualify (a cancelled meeting's agenda is still worth reusing);
// the process argument does not narrow the list, since an agenda is often reused across
// processes. The current meeting itself is left out.
Variant GetReuniao(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {StringField("CDFILIAL", 4),
                                                 StringField("NRTAREFA", 10),
                                                 Field("DTHRREUNIAO", TFieldType::ftDateTime),
                                                 StringField("DSREFETAREFA", 100),
                                                 StringField("IDSITTAREFA", 1),
                                                 StringField("NMPROCESSO", 100)};
    return QueryPacket(
        ctx.db(), fields,
        "SELECT T.CDFILIAL, T.NRTAREFA, T.DTHRREUNIAO, T.DSREFETAREFA, T.IDSITTAREFA, "
        "P.NMPROCESSO FROM TAREFA T LEFT JOIN PROCESSO P ON P.CDPROCESSO = T.CDPROCESSO "
        "WHERE T.CDFILIAL = ? AND T.IDORIGTARE = '4' AND T.NRTAREFA <> ? "
        "AND EXISTS (SELECT 1 FROM ITEMTAREFA I WHERE I.CDFILIAL = T.CDFILIAL "
        "AND I.NRTAREFA = T.NRTAREFA) "
        "ORDER BY T.DTHRREUNIAO DESC, T.NRTAREFA DESC",
        {ctx.str(0), ctx.str(2)});
}

Variant GetImpAssunto(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {
        StringField("CDFILIAL", 4),        StringField("NRTAREFA", 10),
        StringField("NRSEQUITTARE", 10),   StringField("DSREFEITTARE", 100),
        StringField("TXPLANITTARE", 2000), Field("DTINCLITTARE", TFieldType::ftDateTime),
        StringField("CDOPERADOR", 12),     StringField("CDOPERRESP", 12),
        StringField("NRPRIOITTARE", 3)};
    return QueryPacket(ctx.db(), fields,
                       "SELECT CDFILIAL, NRTAREFA, NRSEQUITTARE, DSREFEITTARE, TXPLANITTARE, "
                       "DTINCLITTARE, CDOPERADOR, CDOPERRESP, NRPRIOITTARE FROM ITEMTAREFA "
                       "WHERE CDFILIAL = ? AND NRTAREFA = ? ORDER BY NRSEQUITTARE",
                       {ctx.str(0), ctx.str(1)});
}

enum InsArg { kBranch, kMeeting, kItem, kSubject, kIncluded, kOperator, kNote, kResp, kPrio };

void RequireOperator(SqlConnection& db, const std::string& code, const char* what) {
    if (!::IsBlank(code) &&
        db.Exec("SELECT 1 FROM OPERADOR WHERE CDOPERADOR = ?", {code}).rows.empty())
        throw RpcError(code::kBadArguments, std::string(what) + " " + code + " não cadastrado.");
}

// The copy keeps the source item's number (items are numbered per branch, so the number
// tells where the item came from), subject, note, responsible operator and priority. The
// number must be one an item of the branch already holds: the copy never brings a number the
// server did not hand out. Who included the copy and when are the session's operator and the
// server clock, whatever the source item says.
Variant GetInsAssunto(CallContext& ctx) {
    SqlConnection& db = ctx.db();
    const std::string branch = ctx.str(kBranch), nr = ctx.str(kMeeting);
    const std::string item = TrimAll(ctx.str(kItem));
    RequireOpenMeeting(db, branch, nr,
                       "A pauta de uma reunião cancelada ou concluída não pode ser alterada.");
    if (item.empty())
        throw RpcError(code::kBadArguments, "O número do assunto deve ser informado.");
    if (::IsBlank(ctx.str(kSubject)))
        throw RpcError(code::kBadArguments, "Assunto deve ser informado.");
    RequireOperator(db, ctx.str(kResp), "Operador responsável");
    if (db.Exec("SELECT 1 FROM ITEMTAREFA WHERE CDFILIAL = ? AND NRSEQUITTARE = ?", {branch, item})
            .rows.empty())
        throw RpcError(code::kBadArguments, "O assunto " + item +
                                                " não está na pauta de nenhuma reunião da filial " +
                                                branch + " e não pode ser importado.");
    if (!db.Exec("SELECT 1 FROM ITEMTAREFA WHERE CDFILIAL = ? AND NRTAREFA = ? AND "
                 "NRSEQUITTARE = ?",
                 {branch, nr, item})
             .rows.empty())
        throw RpcError(code::kDuplicateKey,
                       "O assunto " + item + " já está cadastrado na pauta da reunião " + nr + ".");
    const Writer w = WriterOf(ctx);
    db.Exec(
        "INSERT INTO ITEMTAREFA (CDFILIAL, NRTAREFA, NRSEQUITTARE, DSREFEITTARE, NRPRIOITTARE, "
        "CDOPERRESP, DTINCLITTARE, TXPLANITTARE, CDOPERADOR) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {branch, nr, item, ctx.str(kSubject), CodeOrNull(ctx.str(kPrio)),
         CodeOrNull(ctx.str(kResp)), Variant::FromDateTime(w.now), CodeOrNull(ctx.str(kNote)),
         w.op});
    return Variant(1);
}

}  // namespace

void RegisterImportMethods(MethodRegistry& registry) {
    registry.add(
        Method("GetReuniao",
               {StrParam("CDFILIAL", 4), StrParam("CDPROCESSO", 10), StrParam("NRTAREFA", 10)},
               GetReuniao, Access::Read, 0));
    registry.add(Method("GetImpAssunto", {StrParam("CDFILIAL", 4), StrParam("NRTAREFA", 10)},
                        GetImpAssunto, Access::Read, 0));
    registry.add(Method(
        "GetInsAssunto",
        {StrParam("stFilialDestino", 4, true), StrParam("stTarefaDestino", 10, true),
         StrParam("NRSEQUITTARE", 10), StrParam("DSREFEITTARE", 100), DateParam("DTINCLITTARE"),
         StrParam("CDOPERADOR", 12), StrParam("TXPLANITTARE", 2000), StrParam("CDOPERRESP", 12),
         StrParam("NRPRIOITTARE", 3)},
        GetInsAssunto, Access::Write, 0));
}

}  // namespace zel::appserver
