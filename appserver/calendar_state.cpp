#include "appserver/calendar_state.h"

#include <cstdio>

#include "appserver/packet_builder.h"
#include "calendar/time_zones.h"
#include "platform/routines.h"

namespace zel::appserver {

namespace {

std::string Str(const Variant& v) {
    return v.IsNull() ? std::string() : TrimAll(v.AsString());
}

CalendarPerson Person(const SqlRow& row) {
    return {Str(row[0]), Str(row[1]), Str(row[2]), row.size() > 3 ? Str(row[3]) : std::string()};
}

}  // namespace

std::string MeetingCalendarState::Digest() const {
    std::string what = (Cancelled() ? "X|" : "|") +
                       (hasStart ? DateTimeToIso(start) : std::string()) + "|" + FloatToStr(hours) +
                       "|" + roomName + "|" + reference + "|" + subject + "|" + organiser.code +
                       "<" + organiser.email + ">";
    for (const CalendarPerson& p : participants)
        what += "|" + p.code + "<" + p.email + ">";
    return TextDigest(what);
}

std::string TextDigest(const std::string& text) {
    uint64_t h = 1469598103934665603ull;
    for (const unsigned char c : text)
        h = (h ^ c) * 1099511628211ull;
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
    return buf;
}

std::string EffectiveTimeZone(const std::string& stored) {
    const std::string zone = TrimAll(stored);
    return !zone.empty() && IsKnownTimeZone(zone) ? zone : ServerTimeZoneName();
}

std::string BranchTimeZone(SqlConnection& db, const std::string& branch) {
    const SqlResult r = db.Exec("SELECT DSFUSOHORARIO FROM FILIAL WHERE CDFILIAL = ?", {branch});
    return EffectiveTimeZone(r.rows.empty() ? std::string() : Str(r.rows[0][0]));
}

TDateTime ServerUtc(TDateTime serverNow) {
    return ZoneToUtc(serverNow, "");
}

std::optional<MeetingCalendarState> ReadMeetingCalendarState(SqlConnection& db,
                                                             const std::string& branch,
                                                             const std::string& nr) {
    const SqlResult head = db.Exec(
        "SELECT T.DSREFETAREFA, A.NMASSUNTO, T.IDSITTAREFA, T.DTHRREUNIAO, T.QTHRREUNIAO, "
        "T.CDOPERRESP, T.NRSERIETARE, F.DSFUSOHORARIO, "
        "(SELECT S.CDSALA FROM AGEATIVISALA B JOIN SALA S ON S.CDFILIAL = B.CDFILIAL AND "
        "S.CDSALA = B.CDSALA WHERE B.CDFILIAL = T.CDFILIAL AND B.NRTAREFA = T.NRTAREFA AND "
        "B.IDSITAGESALA = 'A' ORDER BY B.DTATIAGESALA LIMIT 1), "
        "(SELECT S.NMSALA FROM AGEATIVISALA B JOIN SALA S ON S.CDFILIAL = B.CDFILIAL AND "
        "S.CDSALA = B.CDSALA WHERE B.CDFILIAL = T.CDFILIAL AND B.NRTAREFA = T.NRTAREFA AND "
        "B.IDSITAGESALA = 'A' ORDER BY B.DTATIAGESALA LIMIT 1), T.DSMOTCANCEL "
        "FROM TAREFA T JOIN FILIAL F ON F.CDFILIAL = T.CDFILIAL "
        "LEFT JOIN ASSUNTO A ON A.CDASSUNTO = T.CDASSUNTO "
        "WHERE T.CDFILIAL = ? AND T.NRTAREFA = ? AND T.IDORIGTARE = '4'",
        {branch, nr});
    if (head.rows.empty()) return std::nullopt;
    const SqlRow& h = head.rows[0];
    MeetingCalendarState s;
    s.branch = branch;
    s.number = nr;
    s.reference = Str(h[0]);
    s.subject = Str(h[1]);
    s.status = Str(h[2]);
    s.hasStart = !h[3].IsNull();
    if (s.hasStart) s.start = FromSqlValue(Field("D", TFieldType::ftDateTime), h[3]).AsDateTime();
    s.hours = h[4].IsNull() ? 0 : h[4].AsFloat();
    s.responsible = Str(h[5]);
    s.series = Str(h[6]);
    s.zone = EffectiveTimeZone(Str(h[7]));
    s.roomCode = Str(h[8]);
    s.roomName = Str(h[9]);
    s.cancelReason = Str(h[10]);

    if (!s.responsible.empty()) {
        const SqlResult o =
            db.Exec("SELECT CDOPERADOR, NMOPERADOR, DSEMAIL FROM OPERADOR WHERE CDOPERADOR = ?",
                    {s.responsible});
        if (!o.rows.empty()) s.organiser = Person(o.rows[0]);
    }
    // Answers are per activity; an operator answers all of his activities in a meeting at once.
    const SqlResult people = db.Exec(
        std::string("SELECT O.CDOPERADOR, O.NMOPERADOR, O.DSEMAIL, MAX(R.IDRESPOSTA) "
                    "FROM PLANATIVTARE P JOIN OPERADOR O ON O.CDOPERADOR = P.CDOPERRESP "
                    "LEFT JOIN RESPCONVITE R ON R.CDFILIAL = P.CDFILIAL AND R.NRTAREFA = "
                    "P.NRTAREFA AND R.NRPLATIVTARE = P.NRPLATIVTARE "
                    "WHERE P.CDFILIAL = ? AND P.NRTAREFA = ?") +
            (s.Cancelled() ? "" : " AND (P.IDSITATIVTAR IS NULL OR P.IDSITATIVTAR <> 'X')") +
            " GROUP BY O.CDOPERADOR, O.NMOPERADOR, O.DSEMAIL ORDER BY O.CDOPERADOR",
        {branch, nr});
    for (const SqlRow& row : people.rows)
        s.participants.push_back(Person(row));
    return s;
}

CalendarMeeting ToCalendarMeeting(const MeetingCalendarState& s, int sequence, TDateTime stampUtc) {
    CalendarMeeting m;
    m.branch = s.branch;
    m.number = s.number;
    m.reference = s.reference;
    m.subject = s.subject;
    m.room = s.roomName;
    m.status = s.status;
    m.cancelReason = s.cancelReason;
    m.zone = s.zone;
    m.start = s.start;
    m.end = s.End();
    if (m.zone.empty()) {
        // The server's own rules are all there is: write the instants in UTC.
        m.start = ServerUtc(s.start);
        m.end = ServerUtc(s.End());
    }
    m.stampUtc = stampUtc;
    m.sequence = sequence;
    m.organiser = s.organiser;
    m.attendees = s.participants;
    return m;
}

}  // namespace zel::appserver
