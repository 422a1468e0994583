// GetCalendReuniao(CDFILIAL, NRTAREFA): one row per person of the meeting, the responsible
// first (IDPAPEL "R", blank codes when the meeting has none), then each participant ("P"),
// every row repeating the meeting's own columns. Times are converted from the server's wall
// clock to UTC here, where the zone the times were entered in is known.
//
// The revision (NRSEQCALEND) rises each time the meeting is exported after a change that
// calendar programs must follow (time, room, texts, status, attendees): an exported file
// then replaces the copy imported before. It is kept in CALENDREUNIAO with a digest of what
// was exported, and with the room's name, because a cancelled meeting's booking is gone but
// its cancellation still names where it was to be.
#include "appserver/methods_calendar.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "appserver/method_support.h"
#include "appserver/rpc_error.h"

namespace zel::appserver {

namespace {

using T = TFieldType;

// A wall-clock time of this machine as UTC; the zone's rules (summer time) of that day apply.
TDateTime LocalToUtc(TDateTime local) {
    const DateParts d = DecodeDate(local);
    const TimeParts t = DecodeTime(local);
    std::tm tm{};
    tm.tm_year = d.year - 1900;
    tm.tm_mon = d.month - 1;
    tm.tm_mday = d.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    const std::time_t secs = std::mktime(&tm);
    std::tm utc{};
    gmtime_r(&secs, &utc);
    return EncodeDateTime(utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min,
                          utc.tm_sec, 0);
}

const std::vector<FieldDef>& CalendarFields() {
    static const std::vector<FieldDef> fields = {
        StringField("CDFILIAL", 4),       StringField("NRTAREFA", 10),
        StringField("DSREFETAREFA", 100), StringField("NMASSUNTO", 50),
        Field("DTINIUTC", T::ftDateTime), Field("DTFIMUTC", T::ftDateTime),
        Field("DTATUUTC", T::ftDateTime), StringField("IDSITTAREFA", 1),
        StringField("NMSALA", 30),        Field("NRSEQCALEND", T::ftInteger),
        StringField("IDPAPEL", 1),        StringField("CDOPERADOR", 12),
        StringField("NMOPERADOR", 40),    StringField("DSEMAIL", 100)};
    return fields;
}

struct MeetingHead {
    std::string reference, subject, status, room, responsible;
    TDateTime start = 0;
    double hours = 0;
};

MeetingHead ReadHead(SqlConnection& db, const std::string& branch, const std::string& nr) {
    const SqlResult r = db.Exec(
        "SELECT T.DSREFETAREFA, A.NMASSUNTO, T.IDSITTAREFA, T.DTHRREUNIAO, T.QTHRREUNIAO, "
        "T.CDOPERRESP, (SELECT S.NMSALA FROM AGEATIVISALA B JOIN SALA S ON S.CDFILIAL = "
        "B.CDFILIAL AND S.CDSALA = B.CDSALA WHERE B.CDFILIAL = T.CDFILIAL AND B.NRTAREFA = "
        "T.NRTAREFA AND B.IDSITAGESALA = 'A' ORDER BY B.DTATIAGESALA LIMIT 1) "
        "FROM TAREFA T LEFT JOIN ASSUNTO A ON A.CDASSUNTO = T.CDASSUNTO "
        "WHERE T.CDFILIAL = ? AND T.NRTAREFA = ? AND T.IDORIGTARE = '4'",
        {branch, nr});
    if (r.rows.empty())
        throw RpcError(code::kNotFound,
                       "Reunião " + nr + " não cadastrada na filial " + branch + ".");
    const SqlRow& row = r.rows[0];
    MeetingHead h{row[0].AsString(), row[1].AsString(), row[2].AsString(), row[6].AsString(),
                  row[5].AsString()};
    if (row[3].IsNull())
        throw RpcError(code::kConflict, "Reunião " + nr + " sem data e hora de início.");
    h.start = FromSqlValue(Field("D", T::ftDateTime), row[3]).AsDateTime();
    h.hours = row[4].IsNull() ? 0 : row[4].AsFloat();
    return h;
}

// The participants: the operators of the meeting's activities, each once. A cancelled
// meeting's activities are cancelled with it, so then every activity counts.
std::vector<SqlRow> ReadParticipants(SqlConnection& db, const std::string& branch,
                                     const std::string& nr, bool cancelled) {
    return db
        .Exec(std::string("SELECT DISTINCT O.CDOPERADOR, O.NMOPERADOR, O.DSEMAIL "
                          "FROM PLANATIVTARE P JOIN OPERADOR O ON O.CDOPERADOR = P.CDOPERRESP "
                          "WHERE P.CDFILIAL = ? AND P.NRTAREFA = ?") +
                  (cancelled ? "" : " AND (P.IDSITATIVTAR IS NULL OR P.IDSITATIVTAR <> 'X')") +
                  " ORDER BY O.CDOPERADOR",
              {branch, nr})
        .rows;
}

std::string Digest(const std::string& text) {
    uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (const unsigned char c : text)
        h = (h ^ c) * 1099511628211ull;
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
    return buf;
}

// The revision to export, raised when the digest differs from the one exported before; a
// cancellation is never revision 0. Fills in the remembered room when the meeting has none.
long long Revision(SqlConnection& db, const std::string& branch, const std::string& nr,
                   const std::string& digest, MeetingHead& h) {
    const SqlResult r = db.Exec(
        "SELECT NRSEQCALEND, DSASSINATURA, DSLOCAL FROM CALENDREUNIAO WHERE CDFILIAL = ? AND "
        "NRTAREFA = ?",
        {branch, nr});
    const bool cancelled = h.status == "X";
    if (r.rows.empty()) {
        const long long seq = cancelled ? 1 : 0;
        db.Exec(
            "INSERT INTO CALENDREUNIAO (CDFILIAL, NRTAREFA, NRSEQCALEND, DSASSINATURA, DSLOCAL) "
            "VALUES (?, ?, ?, ?, ?)",
            {branch, nr, seq, digest, CodeOrNull(h.room)});
        return seq;
    }
    long long seq = r.rows[0][0].AsInteger();
    if (h.room.empty()) h.room = r.rows[0][2].AsString();
    if (r.rows[0][1].AsString() != digest) {
        ++seq;
        db.Exec(
            "UPDATE CALENDREUNIAO SET NRSEQCALEND = ?, DSASSINATURA = ?, DSLOCAL = ? "
            "WHERE CDFILIAL = ? AND NRTAREFA = ?",
            {seq, digest, CodeOrNull(h.room), branch, nr});
    }
    return seq;
}

Variant GetCalendReuniao(CallContext& ctx) {
    const std::string branch = ctx.str(0), nr = ctx.str(1);
    // The meeting stays locked until the call ends, so exports of one meeting on several
    // servers take turns reading and raising its revision: none is lost, none is repeated.
    MeetingStatus(ctx.db(), branch, nr);
    MeetingHead h = ReadHead(ctx.db(), branch, nr);
    const std::vector<SqlRow> people = ReadParticipants(ctx.db(), branch, nr, h.status == "X");
    std::vector<SqlRow> organiser =
        ctx.db()
            .Exec("SELECT CDOPERADOR, NMOPERADOR, DSEMAIL FROM OPERADOR WHERE CDOPERADOR = ?",
                  {h.responsible})
            .rows;
    if (organiser.empty()) organiser.push_back({Variant(), Variant(), Variant()});

    std::string what = h.status + "|" + DateTimeToIso(h.start) + "|" + FloatToStr(h.hours) + "|" +
                       h.room + "|" + h.reference + "|" + h.subject;
    std::vector<SqlRow> everyone = organiser;
    everyone.insert(everyone.end(), people.begin(), people.end());
    for (const SqlRow& p : everyone)
        what += "|" + p[0].AsString() + "<" + p[2].AsString() + ">";
    const long long seq = Revision(ctx.db(), branch, nr, Digest(what), h);

    const TDateTime end = h.start + h.hours / 24.0;
    std::vector<SqlRow> rows;
    auto add = [&](const char* role, const SqlRow& p) {
        rows.push_back({Variant(branch), Variant(nr), Variant(h.reference), Variant(h.subject),
                        Variant::FromDateTime(LocalToUtc(h.start)),
                        Variant::FromDateTime(LocalToUtc(end)),
                        Variant::FromDateTime(LocalToUtc(ctx.now())), Variant(h.status),
                        Variant(h.room), Variant(seq), Variant(role), p[0], p[1], p[2]});
    };
    add("R", organiser[0]);
    for (const SqlRow& p : people)
        add("P", p);
    return RowsPacket(CalendarFields(), rows);
}

}  // namespace

void RegisterCalendarMethods(MethodRegistry& registry) {
    registry.add(Method("GetCalendReuniao",
                        {{"CDFILIAL", ParamKind::String, 4}, {"NRTAREFA", ParamKind::String, 10}},
                        GetCalendReuniao, Access::Write, 0));
}

}  // namespace zel::appserver
