#include "appserver/calendar_feed_query.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <tuple>
#include <unordered_map>

#include "appserver/calendar_state.h"
#include "appserver/sql_query.h"
#include "appserver/sql_value.h"
#include "platform/routines.h"

namespace zel::appserver {

namespace {

// The meeting's own columns (on the responsible's row only).
const char* const kMeetingColumns =
    "SELECT T.CDFILIAL, T.NRTAREFA, T.DSREFETAREFA, A.NMASSUNTO, T.IDSITTAREFA, T.DTHRREUNIAO, "
    "T.QTHRREUNIAO, S.NMSALA, C.DSLOCAL, C.NRSEQCALEND, C.DTALTERACAO, F.DSFUSOHORARIO, ";

// What the whole filter reads: the meeting, what calendars last heard of it and its booking.
const char* const kFilterJoins =
    " FROM TAREFA T LEFT JOIN CALENDREUNIAO C ON C.CDFILIAL = T.CDFILIAL AND "
    "C.NRTAREFA = T.NRTAREFA "
    "LEFT JOIN AGEATIVISALA B ON B.CDFILIAL = T.CDFILIAL AND B.NRTAREFA = T.NRTAREFA "
    "AND B.IDSITAGESALA = 'A' ";

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
    kCancelReason,
    kColumns
};

// The filter, its values appended to `q` (each half binds its own). `whole`: with what it
// reads of CALENDREUNIAO and the booking (kFilterJoins); without, only the meeting's own
// columns, for rows whose meeting the whole filter already chose on its own row.
std::string Filter(SqlQuery& q, const FeedSubject& s, TDateTime from, TDateTime to,
                   TDateTime cancelledSince, bool whole) {
    std::string w = "WHERE T.IDORIGTARE = '4' AND T.DTHRREUNIAO >= ? AND T.DTHRREUNIAO < ?";
    q.params.push_back(Variant::FromDateTime(from));
    q.params.push_back(Variant::FromDateTime(to));
    if (whole) {
        w += " AND (COALESCE(T.IDSITTAREFA, '') <> 'X' OR C.DTCANCEL IS NULL OR C.DTCANCEL >= ?)";
        q.params.push_back(Variant::FromDateTime(cancelledSince));
    }
    if (s.kind == "O") {
        w += " AND " + q.In("T.CDFILIAL", s.branches);
        w += " AND (T.CDOPERRESP = ? OR EXISTS (SELECT 1 FROM PLANATIVTARE X WHERE "
             "X.CDFILIAL = T.CDFILIAL AND X.NRTAREFA = T.NRTAREFA AND X.CDOPERRESP = ? AND "
             "(X.IDSITATIVTAR IS NULL OR X.IDSITATIVTAR <> 'X' OR T.IDSITTAREFA = 'X')))";
        q.params.push_back(s.op);
        q.params.push_back(s.op);
    } else if (s.kind == "S") {
        // A cancelled meeting's booking is gone; the room it had is remembered.
        if (!whole) throw std::logic_error("a room feed is filtered by its bookings");
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

// The responsible's row of each meeting carries the meeting's columns and is filtered whole;
// each participant's row only the meeting's key and the person's code, filtered by the
// meeting's own columns where it can be (his meetings, a series): a participant of a meeting
// the whole filter left out is dropped as the rows are read. People's names and addresses
// come once per operator in rows of their own, read in table order: a feed names the same few
// people thousands of times, and one index search per person and meeting cost more than
// reading the operators once.
SqlQuery FeedQuery(const FeedSubject& s, TDateTime from, TDateTime to, TDateTime since) {
    SqlQuery q;
    q.sql = std::string(kMeetingColumns) + "'R', T.CDOPERRESP, NULL, NULL, NULL, T.DSMOTCANCEL" +
            kFilterJoins +
            "JOIN FILIAL F ON F.CDFILIAL = T.CDFILIAL "
            "LEFT JOIN ASSUNTO A ON A.CDASSUNTO = T.CDASSUNTO "
            "LEFT JOIN SALA S ON S.CDFILIAL = B.CDFILIAL AND S.CDSALA = B.CDSALA ";
    q.sql += Filter(q, s, from, to, since, true);
    const bool whole = s.kind == "S";
    q.sql += std::string(
                 " UNION ALL SELECT T.CDFILIAL, T.NRTAREFA, NULL, NULL, NULL, NULL, NULL, NULL, "
                 "NULL, NULL, NULL, NULL, 'P', P.CDOPERRESP, NULL, NULL, "
                 "R.IDRESPOSTA, NULL") +
             (whole ? kFilterJoins : " FROM TAREFA T ") +
             "JOIN PLANATIVTARE P ON P.CDFILIAL = T.CDFILIAL AND P.NRTAREFA = T.NRTAREFA AND "
             "(P.IDSITATIVTAR IS NULL OR P.IDSITATIVTAR <> 'X' OR T.IDSITTAREFA = 'X') "
             "LEFT JOIN RESPCONVITE R ON R.CDFILIAL = P.CDFILIAL AND R.NRTAREFA = P.NRTAREFA "
             "AND R.NRPLATIVTARE = P.NRPLATIVTARE ";
    q.sql += Filter(q, s, from, to, since, whole);
    q.sql +=
        " UNION ALL SELECT NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
        "NULL, 'O', CDOPERADOR, NMOPERADOR, DSEMAIL, NULL, NULL FROM OPERADOR";
    // No ORDER BY: the rows are grouped and sorted as they are read, without the database
    // sorting (and spilling) thousands of rows first.
    return q;
}

// A text cell without the blanks around it (copied once).
std::string Text(const SqlCell& c) {
    if (c.IsNull()) return {};
    if (c.kind != SqlCell::Kind::Text) return c.ToVariant().AsString();
    std::string_view t = c.text;
    while (!t.empty() && t.front() == ' ')
        t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ')
        t.remove_suffix(1);
    return std::string(t);
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

// Builds the meetings from the rows in whatever order they come: each meeting once, its
// responsible as organiser, each participant once.
class FeedReader {
  public:
    explicit FeedReader(TDateTime nowUtc) : m_nowUtc(nowUtc) {}

    void Row(std::span<const SqlCell> row) {
        const std::string_view role =
            row[kRole].kind == SqlCell::Kind::Text ? row[kRole].text : std::string_view();
        if (role == "O") {
            m_operators[Text(row[kCode])] = {Text(row[kName]), Text(row[kEmail])};
            return;
        }
        std::string key = Text(row[kBranch]) + "/" + Text(row[kNr]);
        CalendarPerson person{Text(row[kCode]), {}, {}, Text(row[kAnswer])};
        if (role != "R") {
            if (!person.code.empty()) m_people[key].push_back(std::move(person));
            return;
        }
        // One responsible's row per meeting, more only when it has two bookings.
        if (!m_index.emplace(std::move(key), m_out.size()).second) return;
        m_out.push_back(start(row));
        if (!person.code.empty()) m_out.back().organiser = std::move(person);
    }

    // The meetings by start, each with its attendees by code: an operator with several
    // activities once, with the answer any of them carries.
    std::vector<CalendarMeeting> Take() {
        for (CalendarMeeting& m : m_out)
            if (!named(m.organiser)) m.organiser = {};
        for (auto& [key, people] : m_people) {
            const auto at = m_index.find(key);
            if (at == m_index.end()) continue;
            std::sort(people.begin(), people.end(),
                      [](const CalendarPerson& a, const CalendarPerson& b) {
                          return std::tie(a.code, b.answer) < std::tie(b.code, a.answer);
                      });
            std::vector<CalendarPerson>& attendees = m_out[at->second].attendees;
            for (CalendarPerson& p : people)
                if ((attendees.empty() || attendees.back().code != p.code) && named(p))
                    attendees.push_back(std::move(p));
        }
        std::sort(m_out.begin(), m_out.end(),
                  [](const CalendarMeeting& a, const CalendarMeeting& b) {
                      return std::tie(a.start, a.branch, a.number) <
                             std::tie(b.start, b.branch, b.number);
                  });
        return std::move(m_out);
    }

  private:
    CalendarMeeting start(std::span<const SqlCell> row) {
        CalendarMeeting m;
        m.branch = Text(row[kBranch]);
        m.number = Text(row[kNr]);
        m.reference = Text(row[kReference]);
        m.subject = Text(row[kSubject]);
        m.status = Text(row[kStatus]);
        m.cancelReason = Text(row[kCancelReason]);
        m.room = Text(row[kRoom]);
        if (m.room.empty()) m.room = Text(row[kRememberedRoom]);
        const double seq = Number(row[kSequence]);
        m.sequence = seq < 0 ? 0 : static_cast<int>(seq);
        m.zone = zone(Text(row[kZone]));
        const TDateTime start = Moment(row[kStart]);
        const TDateTime end = start + Number(row[kHours]) / 24.0;
        m.start = m.zone.empty() ? ServerUtc(start) : start;
        m.end = m.zone.empty() ? ServerUtc(end) : end;
        m.stampUtc = row[kChanged].IsNull() ? m_nowUtc : ServerUtc(Moment(row[kChanged]));
        return m;
    }

    // Fills in the person's name and address; false for a code no operator has.
    bool named(CalendarPerson& p) const {
        const auto it = m_operators.find(p.code);
        if (it == m_operators.end()) return false;
        p.name = it->second.first;
        p.email = it->second.second;
        return true;
    }

    // The branch's zone, looked up once per stored value.
    const std::string& zone(const std::string& stored) {
        auto it = m_zones.find(stored);
        if (it == m_zones.end()) it = m_zones.emplace(stored, EffectiveTimeZone(stored)).first;
        return it->second;
    }

    TDateTime m_nowUtc;
    std::vector<CalendarMeeting> m_out;
    std::unordered_map<std::string, size_t> m_index;  // "branch/nr" -> meeting
    std::unordered_map<std::string, std::vector<CalendarPerson>> m_people;  // by meeting
    std::map<std::string, std::string> m_zones;
    std::unordered_map<std::string, std::pair<std::string, std::string>>
        m_operators;  // name, e-mail
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
