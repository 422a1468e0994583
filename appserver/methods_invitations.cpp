#include "appserver/methods_invitations.h"

#include "appserver/calendar_state.h"
#include "appserver/counters.h"
#include "appserver/feed_stamps.h"
#include "appserver/method_support.h"
#include "appserver/methods.h"
#include "appserver/rpc_error.h"

namespace zel::appserver {

namespace {

using T = TFieldType;

const char* const kOpenActivity = "(P.IDSITATIVTAR IS NULL OR P.IDSITATIVTAR <> 'X')";

Variant GetConvites(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {
        StringField("CDFILIAL", 4),          StringField("NRTAREFA", 10),
        StringField("DSREFETAREFA", 100),    StringField("NMASSUNTO", 50),
        Field("DTHRREUNIAO", T::ftDateTime), Field("QTHRREUNIAO", T::ftFloat),
        StringField("NMSALA", 30),           StringField("CDOPERRESP", 12),
        StringField("NMOPERRESP", 40),       StringField("IDRESPOSTA", 1),
        Field("DTHRRESPOSTA", T::ftDateTime)};
    const std::string op = ctx.session().operatorCode;
    return QueryPacket(
        ctx.db(), fields,
        std::string(
            "SELECT T.CDFILIAL, T.NRTAREFA, T.DSREFETAREFA, A.NMASSUNTO, T.DTHRREUNIAO, "
            "T.QTHRREUNIAO, (SELECT S.NMSALA FROM AGEATIVISALA B JOIN SALA S ON S.CDFILIAL = "
            "B.CDFILIAL AND S.CDSALA = B.CDSALA WHERE B.CDFILIAL = T.CDFILIAL AND B.NRTAREFA = "
            "T.NRTAREFA AND B.IDSITAGESALA = 'A' ORDER BY B.DTATIAGESALA LIMIT 1), "
            "T.CDOPERRESP, O.NMOPERADOR, MAX(R.IDRESPOSTA), MAX(R.DTHRRESPOSTA) "
            "FROM TAREFA T JOIN PLANATIVTARE P ON P.CDFILIAL = T.CDFILIAL AND P.NRTAREFA = "
            "T.NRTAREFA LEFT JOIN ASSUNTO A ON A.CDASSUNTO = T.CDASSUNTO "
            "LEFT JOIN OPERADOR O ON O.CDOPERADOR = T.CDOPERRESP "
            "LEFT JOIN RESPCONVITE R ON R.CDFILIAL = P.CDFILIAL AND R.NRTAREFA = P.NRTAREFA AND "
            "R.NRPLATIVTARE = P.NRPLATIVTARE "
            "WHERE P.CDOPERRESP = ? AND ") +
            kOpenActivity +
            " AND T.IDORIGTARE = '4' AND T.IDSITTAREFA IN ('P', 'A') AND T.DTHRREUNIAO >= ? "
            "AND COALESCE(T.CDOPERRESP, '') <> ? "
            "GROUP BY T.CDFILIAL, T.NRTAREFA, T.DSREFETAREFA, A.NMASSUNTO, T.DTHRREUNIAO, "
            "T.QTHRREUNIAO, T.CDOPERRESP, O.NMOPERADOR ORDER BY T.DTHRREUNIAO, T.CDFILIAL, "
            "T.NRTAREFA",
        {op, Variant::FromDateTime(DateOf(ctx.now())), op});
}

std::string AnswerCode(const std::string& typed) {
    const std::string a = TrimAll(typed);
    if (a != "A" && a != "T" && a != "R")
        throw RpcError(code::kBadArguments,
                       "Resposta inválida: use A (aceitar), T (talvez) ou R (recusar).");
    return a;
}

// "Ana Souza aceitou o convite para a reunião 0000000012 - Comitê de obras (07/12/2026 14:30)."
std::string NoticeText(const std::string& who, const std::string& answer,
                       const MeetingCalendarState& m) {
    const char* verb = answer == "A"   ? " aceitou o convite"
                       : answer == "R" ? " recusou o convite"
                                       : " respondeu talvez ao convite";
    std::string text = who + verb + " para a reunião " + m.number;
    const std::string title = m.reference.empty() ? m.subject : m.reference;
    if (!title.empty()) text += " - " + title;
    if (m.hasStart) text += " (" + FormatDateTime("dd/mm/yyyy hh:nn", m.start) + ")";
    return std::string(Utf8Prefix(text + ".", 1000));
}

void NotifyOrganiser(CallContext& ctx, const MeetingCalendarState& m, const std::string& answer) {
    const std::string& op = ctx.session().operatorCode;
    if (m.responsible.empty() || m.responsible == op) return;
    const int64_t floor =
        NextAfterMax(ctx.db(), "SELECT MAX(NRATIVPESSOAL) FROM ATIVPESSOAL WHERE CDOPERADOR = ?",
                     {m.responsible});
    const int64_t nr = NextCounterValue(ctx.db(), counter::kPersonalNotice, m.responsible, floor);
    const std::string who = ctx.session().operatorName.empty() ? op : ctx.session().operatorName;
    ctx.db().Exec(
        "INSERT INTO ATIVPESSOAL (CDOPERADOR, NRATIVPESSOAL, DSATIVPESSOAL, DTHRATIVPESSOAL, "
        "IDSITATIVPESS, IDAVISO, IDLIDO, CDOPERINCL) VALUES (?, ?, ?, ?, 'P', 'S', '0', ?)",
        {m.responsible, static_cast<long long>(nr), NoticeText(who, answer, m),
         Variant::FromDateTime(ctx.now()), op});
}

Variant SetRespConvite(CallContext& ctx) {
    const std::string branch = ctx.str(0), nr = ctx.str(1), answer = AnswerCode(ctx.str(2));
    const std::string op = ctx.session().operatorCode;
    const std::string status = RequireMeeting(ctx.db(), branch, nr);
    if (status == "X" || status == "C")
        throw RpcError(code::kConflict, "Reunião cancelada ou concluída não aceita resposta.");
    const SqlResult mine = ctx.db().Exec(
        std::string("SELECT P.NRPLATIVTARE, R.IDRESPOSTA FROM PLANATIVTARE P LEFT JOIN "
                    "RESPCONVITE R ON R.CDFILIAL = P.CDFILIAL AND R.NRTAREFA = P.NRTAREFA AND "
                    "R.NRPLATIVTARE = P.NRPLATIVTARE WHERE P.CDFILIAL = ? AND P.NRTAREFA = ? "
                    "AND P.CDOPERRESP = ? AND ") +
            kOpenActivity,
        {branch, nr, op});
    if (mine.rows.empty())
        throw RpcError(code::kForbidden, "Você não participa da reunião " + nr + ".");
    bool same = true;
    for (const SqlRow& row : mine.rows)
        same = same && !row[1].IsNull() && row[1].AsString() == answer;
    if (same) return Variant(0);

    const SqlResult seq = ctx.db().Exec(
        "SELECT NRSEQCALEND FROM CALENDREUNIAO WHERE CDFILIAL = ? AND NRTAREFA = ?", {branch, nr});
    const Variant revision = seq.rows.empty() ? Variant() : seq.rows[0][0];
    for (const SqlRow& row : mine.rows)
        ctx.db().Exec(
            "INSERT INTO RESPCONVITE (CDFILIAL, NRTAREFA, NRPLATIVTARE, CDOPERADOR, IDRESPOSTA, "
            "DTHRRESPOSTA, NRSEQCALEND) VALUES (?, ?, ?, ?, ?, ?, ?) "
            "ON CONFLICT (CDFILIAL, NRTAREFA, NRPLATIVTARE) DO UPDATE SET "
            "CDOPERADOR = EXCLUDED.CDOPERADOR, IDRESPOSTA = EXCLUDED.IDRESPOSTA, "
            "DTHRRESPOSTA = EXCLUDED.DTHRRESPOSTA, NRSEQCALEND = EXCLUDED.NRSEQCALEND",
            {branch, nr, row[0], op, answer, Variant::FromDateTime(ctx.now()), revision});

    const std::optional<MeetingCalendarState> m = ReadMeetingCalendarState(ctx.db(), branch, nr);
    NotifyOrganiser(ctx, *m, answer);
    // Every feed showing the meeting shows the answer.
    FeedStamps stamps;
    stamps.Operator(m->responsible);
    stamps.Room(branch, m->roomCode);
    stamps.Series(branch, m->series);
    for (const CalendarPerson& p : m->participants)
        stamps.Operator(p.code);
    stamps.Bump(ctx.db(), ctx.now());
    return Variant(1);
}

Variant GetRespConvite(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {
        StringField("NRPLATIVTARE", 5), StringField("CDOPERRESP", 12),
        StringField("NMOPERADOR", 40), StringField("IDRESPOSTA", 1),
        Field("DTHRRESPOSTA", T::ftDateTime)};
    RequireMeeting(ctx.db(), ctx.str(0), ctx.str(1));
    return QueryPacket(ctx.db(), fields,
                       "SELECT P.NRPLATIVTARE, P.CDOPERRESP, O.NMOPERADOR, R.IDRESPOSTA, "
                       "R.DTHRRESPOSTA FROM PLANATIVTARE P "
                       "LEFT JOIN OPERADOR O ON O.CDOPERADOR = P.CDOPERRESP "
                       "LEFT JOIN RESPCONVITE R ON R.CDFILIAL = P.CDFILIAL AND R.NRTAREFA = "
                       "P.NRTAREFA AND R.NRPLATIVTARE = P.NRPLATIVTARE "
                       "WHERE P.CDFILIAL = ? AND P.NRTAREFA = ? ORDER BY P.NRPLATIVTARE",
                       {ctx.str(0), ctx.str(1)});
}

}  // namespace

void RegisterInvitationMethods(MethodRegistry& registry) {
    const ParamSpec branch = StrParam("CDFILIAL", 4), meeting = StrParam("NRTAREFA", 10);
    registry.add(Method("GetConvites", {}, GetConvites, Access::Read));
    // A participant answers as participant, whichever branches he may use.
    registry.add(Method("SetRespConvite", {branch, meeting, StrParam("IDRESPOSTA", 1)},
                        SetRespConvite, Access::Write));
    registry.add(Method("GetRespConvite", {branch, meeting}, GetRespConvite, Access::Read, 0));
}

}  // namespace zel::appserver
