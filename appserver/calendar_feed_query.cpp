#include "appserver/calendar_feed_query.h"

#include <map>
#include <set>

#include "appserver/calendar_state.h"
#include "appserver/sql_query.h"
#include "appserver/sql_value.h"
#include "platform/routines.h"

namespace zel::appserver {

namespace {

// The meeting's own columns, the same in both halves of the query.
const char* const kMeetingColumns =
    "SELECT T.CDFILIAL, T.NRTAREFA, T.DSREFETAREFA, A.NMASSUNTO, T.IDSITTAREFA, T.DTHRREUNIAO, "
    "T.QTHRREUNIAO, S.NMSALA, C.DSLOCAL, C.NRSEQCALEND, C.DTALTERACAO, F.DSFUSOHORARIO, ";

const char* const kMeetingJoins =
    " FROM TAREFA T JOIN FILIAL F ON F.CDFILIAL = T.CDFILIAL "
    "LEFT JOIN ASSUNTO A ON A.CDASSUNTO = T.CDASSUNTO "
    "LEFT JOIN CALENDREUNIAO C ON C.CDFILIAL = T.CDFILIAL AND C.NRTAREFA = T.NRTAREFA "
    "LEFT JOIN AGEATIVISALA B ON B.CDFILIAL = T.CDFILIAL AND B.NRTAREFA = T.NRTAREFA "
    "AND B.IDSITAGESALA = 'A' "
    "LEFT JOIN SALA S ON S.CDFILIAL = B.CDFILIAL AND S.CDSALA = B.CDSALA ";

// Column positions of a row.
enum Col {
    kBranch,
    kNr,
    kReference,
    kSubject,
    kStatus,
    kStart,
    kHours,
    kRoom,
    kRememberedRoom,
    kSequence,
    kChanged,
    kZone,
    kRole,
    kCode,
    kName,
    kEmail,
    kAnswer,
    kColumns
};

// The filter of both halves, its values appended to `q` (the halves bind them in turn).
std::string Filter(SqlQuery& q, const FeedSubject& s, TDateTime from, TDateTime to,
                   TDateTime cancelledSince) {
    std::string w =
        "WHERE T.IDORIGTARE = '4' AND T.DTHRREUNIAO >= ? AND T.DTHRREUNIAO < ? AND "
        "(COALESCE(T.IDSITTAREFA, '') <> 'X' OR C.DTCANCEL IS NULL OR C.DTCANCEL >= ?)";
    q.params.push_back(Variant::FromDateTime(from));
    q.params.push_back(Variant::FromDateTime(to));
    q.params.push_back(Variant::FromDateTime(cancelledSince));
    if (s.kind == "O") {
        w += " AND " + q.In("T.CDFILIAL", s.branches);
        w += " AND (T.CDOPERRESP = ? OR EXISTS (SELECT 1 FROM PLANATIVTARE X WHERE "
             "X.CDFILIAL = T.CDFILIAL AND X.NRTAREFA = T.NRTAREFA AND X.CDOPERRESP = ? AND "
             "(X.IDSITATIVTAR IS NULL OR X.IDSITATIVTAR <> 'X' OR T.IDSITTAREFA = 'X')))";
        q.params.push_back(s.op);
        q.params.push_back(s.op);
    } else if (s.kind == "S") {
        // A cancelled meeting's booking is gone; the room it had is remembered.
        w += " AND T.CDFILIAL = ? AND (B.CDSALA = ? OR (T.IDSITTAREFA = 'X' AND C.CDSALA = ?))";
        q.params.push_back(s.branch);
        q.params.push_back(s.room);
        q.params.push_back(s.room);
    } else {
        w += " AND T.CDFILIAL = ? AND T.NRSERIETARE = ?";
        q.params.push_back(s.branch);
        q.params.push_back(s.series);
    }
    return w;
}

SqlQuery FeedQuery(const FeedSubject& s, TDateTime from, TDateTime to, TDateTime since) {
    SqlQuery q;
    q.sql = std::string(kMeetingColumns) + "'R', O.CDOPERADOR, O.NMOPERADOR, O.DSEMAIL, NULL" +
            kMeetingJoins + "LEFT JOIN OPERADOR O ON O.CDOPERADOR = T.CDOPERRESP ";
    q.sql += Filter(q, s, from, to, since);
    q.sql += std::string(" UNION ALL ") + kMeetingColumns +
             "'P', O.CDOPERADOR, O.NMOPERADOR, O.DSEMAIL, R.IDRESPOSTA" + kMeetingJoins +
             "JOIN PLANATIVTARE P ON P.CDFILIAL = T.CDFILIAL AND P.NRTAREFA = T.NRTAREFA AND "
             "(P.IDSITATIVTAR IS NULL OR P.IDSITATIVTAR <> 'X' OR T.IDSITTAREFA = 'X') "
             "JOIN OPERADOR O ON O.CDOPERADOR = P.CDOPERRESP "
             "LEFT JOIN RESPCONVITE R ON R.CDFILIAL = P.CDFILIAL AND R.NRTAREFA = P.NRTAREFA "
             "AND R.NRPLATIVTARE = P.NRPLATIVTARE ";
    q.sql += Filter(q, s, from, to, since);
    // The meeting's rows together, the responsible's first, participants by code.
    q.sql += " ORDER BY 6, 1, 2, 13 DESC, 14";
    return q;
}

std::string Text(const SqlCell& c) {
    if (c.IsNull()) return {};
    if (c.kind == SqlCell::Kind::Text) return TrimAll(std::string(c.text));
    return c.ToVariant().AsString();
}

TDateTime Moment(const SqlCell& c) {
    if (c.kind == SqlCell::Kind::Text) return ParseSqlDateTime(std::string(c.text));
    return c.IsNull() ? 0 : c.ToVariant().AsFloat();
}

double Number(const SqlCell& c) {
    if (c.IsNull()) return 0;
    if (c.kind == SqlCell::Kind::Text) return StrToFloat(std::string(c.text));
    return c.kind == SqlCell::Kind::Integer ? static_cast<double>(c.integer) : c.real;
}

// Builds the meetings from the rows as they come.
class FeedReader {
  public:
    explicit FeedReader(TDateTime nowUtc) : m_nowUtc(nowUtc) {}

    void Row(std::span<const SqlCell> row) {
        const std::string branch = Text(row[kBranch]), nr = Text(row[kNr]);
        if (m_out.empty() || m_branch != branch || m_nr != nr) start(row, branch, nr);
        CalendarMeeting& m = m_out.back();
        CalendarPerson person{Text(row[kCode]), Text(row[kName]), Text(row[kEmail]),
                              Text(row[kAnswer])};
        if (person.code.empty()) return;
        if (Text(row[kRole]) == "R") {
            m.organiser = std::move(person);
        } else if (m_people.insert(person.code).second) {
            m.attendees.push_back(std::move(person));
        } else if (!person.answer.empty()) {
            // An operator with several activities: any of them carries his answer.
            for (CalendarPerson& p : m.attendees)
                if (p.code == person.code && p.answer.empty()) p.answer = person.answer;
        }
    }

    std::vector<CalendarMeeting> Take() { return std::move(m_out); }

  private:
    void start(std::span<const SqlCell> row, const std::string& branch, const std::string& nr) {
        m_branch = branch;
        m_nr = nr;
        m_people.clear();
        CalendarMeeting m;
        m.branch = branch;
        m.number = nr;
        m.reference = Text(row[kReference]);
        m.subject = Text(row[kSubject]);
        m.status = Text(row[kStatus]);
        m.room = Text(row[kRoom]);
        if (m.room.empty()) m.room = Text(row[kRememberedRoom]);
        const long long seq =
            row[kSequence].IsNull() ? 0 : static_cast<long long>(Number(row[kSequence]));
        m.sequence = seq < 0 ? 0 : static_cast<int>(seq);
        m.zone = zone(Text(row[kZone]));
        const TDateTime start = Moment(row[kStart]);
        const TDateTime end = start + Number(row[kHours]) / 24.0;
        m.start = m.zone.empty() ? ServerUtc(start) : start;
        m.end = m.zone.empty() ? ServerUtc(end) : end;
        m.stampUtc = row[kChanged].IsNull() ? m_nowUtc : ServerUtc(Moment(row[kChanged]));
        m_out.push_back(std::move(m));
    }

    // The branch's zone, looked up once per stored value.
    const std::string& zone(const std::string& stored) {
        auto it = m_zones.find(stored);
        if (it == m_zones.end()) it = m_zones.emplace(stored, EffectiveTimeZone(stored)).first;
        return it->second;
    }

    TDateTime m_nowUtc;
    std::vector<CalendarMeeting> m_out;
    std::string m_branch, m_nr;
    std::set<std::string> m_people;
    std::map<std::string, std::string> m_zones;
};

}  // namespace

std::vector<CalendarMeeting> ReadFeedMeetings(SqlConnection& db, const FeedSubject& subject,
                                              TDateTime from, TDateTime to,
                                              TDateTime cancelledSince, TDateTime now) {
    const SqlQuery q = FeedQuery(subject, from, to, cancelledSince);
    FeedReader reader(ServerUtc(now));
    db.Query(q.sql, q.params, [&](std::span<const SqlCell> row) {
        if (row.size() != kColumns)
            throw std::logic_error("feed query: the SELECT's columns do not match");
        reader.Row(row);
    });
    return reader.Take();
}

}  // namespace zel::appserver
