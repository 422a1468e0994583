// Recurring meetings: creating a series from its first meeting, reading it, carrying a change
// of time or room to the later occurrences, and adding a skipped date back.
#include "appserver/methods_series.h"

#include <cmath>
#include <map>

#include "appserver/meeting_rules.h"
#include "appserver/method_support.h"
#include "appserver/methods.h"
#include "appserver/methods_rooms.h"
#include "appserver/rpc_error.h"
#include "appserver/series_occurrences.h"
#include "appserver/series_rule.h"
#include "appserver/sql_value.h"

namespace zel::appserver {

namespace {

using T = TFieldType;

const std::vector<FieldDef>& OccurrenceFields() {
    static const std::vector<FieldDef> fields = {
        Field("DTOCORSERIE", T::ftDateTime), StringField("NRTAREFA", 10),
        StringField("IDSITOCOR", 1), StringField("CDSALA", 5), StringField("NMSALA", 30)};
    return fields;
}

const std::vector<FieldDef>& SeriesFields() {
    static const std::vector<FieldDef> fields = [] {
        std::vector<FieldDef> f = OccurrenceFields();
        f.push_back(StringField("IDSITTAREFA", 1));
        f.push_back(StringField("IDFREQSERIE", 1));
        f.push_back(StringField("DSDIASSEMANA", 7));
        f.push_back(Field("DTFIMSERIE", T::ftDateTime));
        f.push_back(Field("QTOCORSERIE", T::ftInteger));
        f.push_back(StringField("IDCONFLITO", 1));
        return f;
    }();
    return fields;
}

// What became of one date of the series, as the result packets show it.
struct Outcome {
    TDateTime start = 0;
    std::string meeting, state, room;
};

class OutcomeRows {
  public:
    explicit OutcomeRows(SqlConnection& db, std::string branch)
        : m_db(db), m_branch(std::move(branch)) {}
    void add(const Outcome& o) {
        m_rows.push_back({Variant::FromDateTime(o.start), CodeOrNull(o.meeting), Variant(o.state),
                          CodeOrNull(o.room), CodeOrNull(name(o.room))});
    }
    Variant packet() const { return RowsPacket(OccurrenceFields(), m_rows); }

  private:
    std::string name(const std::string& room) {
        if (room.empty()) return {};
        auto it = m_names.find(room);
        if (it == m_names.end()) it = m_names.emplace(room, RoomName(m_db, m_branch, room)).first;
        return it->second;
    }
    SqlConnection& m_db;
    std::string m_branch;
    std::map<std::string, std::string> m_names;
    std::vector<SqlRow> m_rows;
};

// Activities a new series may copy in one call (occurrences times the first meeting's
// activities).
constexpr size_t kMaxSeriesActivities = 10000;

void RequireSeriesSize(size_t occurrences, size_t activities) {
    if (occurrences * activities > kMaxSeriesActivities)
        throw RpcError(code::kTooLong,
                       "A série criaria " + std::to_string(occurrences) + " reuniões com " +
                           std::to_string(activities) + " atividades cada; o máximo é " +
                           std::to_string(kMaxSeriesActivities) +
                           " atividades. Reduza as datas da série ou as atividades da primeira "
                           "reunião.");
}

// "S" (without room) or "P" (skip the date).
bool SkipsTakenDates(const std::string& letter) {
    if (letter != "S" && letter != "P")
        throw RpcError(code::kBadArguments,
                       "Conflito de sala inválido: \"" + letter +
                           "\" (S para manter sem sala, P para pular a data).");
    return letter == "P";
}

void RecordOccurrence(SqlConnection& db, const std::string& branch, const std::string& series,
                      const Outcome& o, const std::string& askedRoom) {
    db.Exec(
        "INSERT INTO OCORSERIE (CDFILIAL, NRSERIETARE, DTOCORSERIE, NRTAREFA, IDSITOCOR, CDSALA) "
        "VALUES (?, ?, ?, ?, ?, ?)",
        {branch, series, Variant::FromDateTime(o.start), CodeOrNull(o.meeting), o.state,
         CodeOrNull(askedRoom)});
}

// The end date argument: a date, or empty / 0 / null when the count is given.
TDateTime EndDateArg(const Variant& v) {
    if (v.IsNumber() && v.AsFloat() == 0) return 0;
    const Variant d = OptionalDate(v, "data final da série");
    return d.IsNull() ? 0 : d.AsDateTime();
}

// One later date of a new series: a meeting copied from the first, with the first one's room
// where it is free; where it is taken, a meeting without room or, with `skip`, none.
Outcome PlanDate(SqlConnection& db, const SeriesModel& model, TDateTime start, bool skip,
                 const Writer& w) {
    Outcome o{start, "", "N", ""};
    const bool hasRoom = !model.room.empty();
    const Outcome skipped{start, "", "P", model.room};
    if (hasRoom && skip) {
        const BookingHours bh = HoursOf(start, model.hours);
        if (RoomTaken(db, model.branch, model.room, start, bh.from, bh.to)) return skipped;
    }
    o.meeting = CreateOccurrence(db, model, start, model.number, w);
    if (hasRoom && TryBookRoom(db, model.branch, o.meeting, model.room, start, model.hours,
                               model.bookingText, w)) {
        o.state = "R";
        o.room = model.room;
    } else if (hasRoom && skip) {  // taken by a writer that committed after the check
        DropOccurrence(db, model.branch, o.meeting);
        return skipped;
    }
    return o;
}

Variant SetSerieReuniao(CallContext& ctx) {
    SqlConnection& db = ctx.db();
    const std::string branch = ctx.str(0), first = ctx.str(1);
    const SeriesRule rule =
        ParseSeriesRule(ctx.str(2), ctx.str(3), EndDateArg(ctx.arg(4)), ctx.num(5));
    const bool skip = SkipsTakenDates(ctx.str(6));
    const SeriesModel model = ReadSeriesModel(db, branch, first);
    if (model.status != "P")
        throw RpcError(code::kConflict, "Somente uma reunião pendente pode iniciar uma série.");
    if (!model.series.empty())
        throw RpcError(code::kConflict,
                       "A reunião " + first + " já pertence à série " + model.series + ".");
    if (model.start < ctx.now())
        throw RpcError(code::kBadArguments,
                       "A primeira reunião da série já passou: a série não pode começar no "
                       "passado.");
    const std::vector<TDateTime> dates = SeriesDates(model.start, rule);
    RequireSeriesSize(dates.size() - 1, model.activities.size());
    const Writer w = WriterOf(ctx);
    db.Exec(
        "INSERT INTO SERIETAREFA (CDFILIAL, NRSERIETARE, IDFREQSERIE, DSDIASSEMANA, DTFIMSERIE, "
        "QTOCORSERIE, IDCONFLITO, CDOPERINCL, DTINCLSERIE) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {branch, first, std::string(1, rule.FrequencyLetter()), CodeOrNull(rule.weekdays),
         rule.until != 0 ? Variant::FromDateTime(rule.until) : Variant(),
         rule.count != 0 ? Variant(static_cast<long long>(rule.count)) : Variant(), ctx.str(6),
         w.op, Variant::FromDateTime(w.now)});
    db.Exec("UPDATE TAREFA SET NRSERIETARE = ? WHERE CDFILIAL = ? AND NRTAREFA = ?",
            {first, branch, first});

    OutcomeRows out(db, branch);
    const Outcome head{model.start, first, model.room.empty() ? "N" : "R", model.room};
    RecordOccurrence(db, branch, first, head, model.room);
    out.add(head);
    for (size_t i = 1; i < dates.size(); ++i) {
        const Outcome o = PlanDate(db, model, dates[i], skip, w);
        RecordOccurrence(db, branch, first, o, model.room);
        out.add(o);
    }
    return out.packet();
}

Variant GetSerieReuniao(CallContext& ctx) {
    SqlConnection& db = ctx.db();
    const std::string branch = ctx.str(0), series = ctx.str(1);
    const SqlResult head = db.Exec(
        "SELECT IDFREQSERIE, DSDIASSEMANA, DTFIMSERIE, QTOCORSERIE, IDCONFLITO FROM SERIETAREFA "
        "WHERE CDFILIAL = ? AND NRSERIETARE = ?",
        {branch, series});
    if (head.rows.empty())
        throw RpcError(code::kNotFound,
                       "Série " + series + " não cadastrada na filial " + branch + ".");
    // A date with a meeting in force shows the meeting's start and its booking as they are now
    // (it may have been edited alone); a skipped or cancelled date shows the rule's date.
    const SqlResult r = db.Exec(
        "SELECT O.DTOCORSERIE, O.NRTAREFA, O.IDSITOCOR, O.CDSALA, T.IDSITTAREFA, T.DTHRREUNIAO, "
        "(SELECT MIN(A.CDSALA) FROM AGEATIVISALA A WHERE A.CDFILIAL = O.CDFILIAL AND "
        "A.NRTAREFA = O.NRTAREFA AND A.IDSITAGESALA = 'A') "
        "FROM OCORSERIE O LEFT JOIN TAREFA T ON T.CDFILIAL = O.CDFILIAL AND T.NRTAREFA = "
        "O.NRTAREFA WHERE O.CDFILIAL = ? AND O.NRSERIETARE = ? ORDER BY O.DTOCORSERIE",
        {branch, series});
    std::vector<SqlRow> rows;
    std::map<std::string, std::string> names;
    for (const SqlRow& o : r.rows) {
        std::string state = o[2].AsString(), room = o[3].IsNull() ? "" : o[3].AsString();
        Variant start = Variant::FromDateTime(ParseSqlDateTime(o[0].AsString()));
        const std::string status = o[4].IsNull() ? "" : o[4].AsString();
        if (status == "X") state = "X";
        if ((state == "R" || state == "N") && !o[5].IsNull()) {
            start = Variant::FromDateTime(ParseSqlDateTime(o[5].AsString()));
            state = o[6].IsNull() ? "N" : "R";
            if (!o[6].IsNull()) room = o[6].AsString();
        }
        if (!room.empty() && !names.count(room)) names[room] = RoomName(db, branch, room);
        SqlRow row = {start,
                      o[1],
                      Variant(state),
                      CodeOrNull(room),
                      CodeOrNull(room.empty() ? "" : names[room]),
                      CodeOrNull(status)};
        row.insert(row.end(), head.rows[0].begin(), head.rows[0].end());
        rows.push_back(std::move(row));
    }
    return RowsPacket(SeriesFields(), rows);
}

// A whole number of minutes of a move within one day.
double MoveDays(double minutes) {
    if (!(std::fabs(minutes) < 1440 && std::trunc(minutes) == minutes))
        throw RpcError(code::kBadArguments,
                       "Deslocamento inválido: informe minutos inteiros, menos de um dia.");
    return minutes / 1440.0;
}

// The later skipped dates of the series follow the move too, so a date added back later
// takes the series' new time (and room, when one was given).
void ShiftSkippedDates(SqlConnection& db, const SeriesModel& edited, double days,
                       const std::string& newRoom) {
    const SqlResult skipped = db.Exec(
        "SELECT O.DTOCORSERIE FROM OCORSERIE O WHERE O.CDFILIAL = ? AND O.NRSERIETARE = ? AND "
        "O.IDSITOCOR = 'P' AND O.DTOCORSERIE > (SELECT MIN(E.DTOCORSERIE) FROM OCORSERIE E "
        "WHERE E.CDFILIAL = O.CDFILIAL AND E.NRSERIETARE = O.NRSERIETARE AND E.NRTAREFA = ?)",
        {edited.branch, edited.series, edited.number});
    for (const SqlRow& row : skipped.rows) {
        const TDateTime planned = ParseSqlDateTime(row[0].AsString()), start = planned + days;
        if (DateOf(start) != DateOf(planned))
            throw RpcError(code::kBadArguments, "Reunião deve ser cadastrada para o mesmo dia (" +
                                                    DateToStr(planned) + ").");
        RequireSameDay(start, edited.hours, DateToStr(planned));
        db.Exec(
            "UPDATE OCORSERIE SET DTOCORSERIE = ?, CDSALA = COALESCE(?, CDSALA) WHERE CDFILIAL = ? "
            "AND NRSERIETARE = ? AND DTOCORSERIE = ?",
            {Variant::FromDateTime(start), CodeOrNull(newRoom), edited.branch, edited.series,
             Variant::FromDateTime(planned)});
    }
}

Variant SetSerieSeguintes(CallContext& ctx) {
    SqlConnection& db = ctx.db();
    const std::string branch = ctx.str(0), meeting = ctx.str(1);
    const double days = MoveDays(ctx.num(2));
    const std::string newRoom = TrimAll(ctx.str(3));
    const bool keepWhenTaken = SkipsTakenDates(ctx.str(4));
    const SeriesModel edited = ReadSeriesModel(db, branch, meeting);
    if (edited.series.empty())
        throw RpcError(code::kBadArguments, "A reunião " + meeting + " não pertence a uma série.");
    if (!newRoom.empty() &&
        db.Exec("SELECT 1 FROM SALA WHERE CDFILIAL = ? AND CDSALA = ? AND IDATIVO = 'S'",
                {branch, newRoom})
            .rows.empty())
        throw RpcError(code::kNotFound, "Sala não cadastrada.");
    // The later dates of the series that hold an open meeting, in order.
    const SqlResult later = db.Exec(
        "SELECT O.DTOCORSERIE, O.NRTAREFA FROM OCORSERIE O JOIN TAREFA T ON T.CDFILIAL = "
        "O.CDFILIAL AND T.NRTAREFA = O.NRTAREFA WHERE O.CDFILIAL = ? AND O.NRSERIETARE = ? "
        "AND T.IDSITTAREFA = 'P' AND O.DTOCORSERIE > (SELECT MIN(E.DTOCORSERIE) FROM OCORSERIE "
        "E WHERE E.CDFILIAL = O.CDFILIAL AND E.NRSERIETARE = O.NRSERIETARE AND E.NRTAREFA = ?) "
        "ORDER BY O.DTOCORSERIE",
        {branch, edited.series, meeting});
    const Writer w = WriterOf(ctx);
    OutcomeRows out(db, branch);
    for (const SqlRow& row : later.rows) {
        const std::string nr = row[1].AsString();
        const SeriesModel m = ReadSeriesModel(db, branch, nr);
        // Read again under its lock: an occurrence cancelled or changed since the list above
        // was read stays as it is, and so does one whose activities started or ended (its
        // date, time and room are closed then, as in the meeting window).
        if (m.status != "P") continue;
        if (ActivityStarted(db, branch, nr)) {
            out.add({m.start, nr, "P", m.room});
            continue;
        }
        const TDateTime start = m.start + days;
        if (DateOf(start) != DateOf(m.start))
            throw RpcError(code::kBadArguments, "Reunião deve ser cadastrada para o mesmo dia (" +
                                                    nr + " em " + DateToStr(m.start) + ").");
        RequireSameDay(start, m.hours, nr);
        if (start < ctx.now())
            throw RpcError(code::kBadArguments, "A reunião " + nr + " passaria para o passado (" +
                                                    DateTimeToStr(start) + ").");
        const std::string room = newRoom.empty() ? m.room : newRoom;
        const BookingHours bh = HoursOf(start, m.hours);
        const bool taken = !room.empty() && RoomTaken(db, branch, room, start, bh.from, bh.to, nr);
        if (taken && keepWhenTaken) {
            out.add({m.start, nr, "P", m.room});
            continue;
        }
        MoveOccurrence(db, branch, nr, start, days, w);
        Outcome o{start, nr, "N", ""};
        if (!room.empty() && !taken &&
            TryBookRoom(db, branch, nr, room, start, m.hours, m.bookingText, w)) {
            o.state = "R";
            o.room = room;
        } else if (!room.empty() && keepWhenTaken) {
            throw RpcError(code::kConflict,
                           std::string(text::kRoomTaken) + " (" + DateTimeToStr(start) + ")");
        }
        db.Exec(
            "UPDATE OCORSERIE SET IDSITOCOR = ?, CDSALA = ? WHERE CDFILIAL = ? AND "
            "NRSERIETARE = ? AND NRTAREFA = ?",
            {o.state, CodeOrNull(room), branch, edited.series, nr});
        out.add(o);
    }
    ShiftSkippedDates(db, edited, days, newRoom);
    return out.packet();
}

Variant SetSerieReinclui(CallContext& ctx) {
    SqlConnection& db = ctx.db();
    const std::string branch = ctx.str(0), series = ctx.str(1);
    const TDateTime date = ctx.date(2);
    // The date stays locked until the call ends: a second call for it waits, then finds it
    // taken, and never makes a second meeting for the date.
    const SqlResult r =
        db.Exec(std::string("SELECT IDSITOCOR, CDSALA FROM OCORSERIE WHERE CDFILIAL = ? AND "
                            "NRSERIETARE = ? AND DTOCORSERIE = ?") +
                    LockForWrite(db),
                {branch, series, Variant::FromDateTime(date)});
    if (r.rows.empty() || r.rows[0][0].AsString() != "P")
        throw RpcError(code::kNotFound, "A data " + DateTimeToStr(date) +
                                            " não é uma data pulada da série " + series + ".");
    if (date < ctx.now())
        throw RpcError(code::kBadArguments,
                       "A data " + DateTimeToStr(date) + " já passou e não pode ser incluída.");
    const std::string room = r.rows[0][1].IsNull() ? "" : r.rows[0][1].AsString();
    const SeriesModel model = ReadSeriesModel(db, branch, series);
    const Writer w = WriterOf(ctx);
    Outcome o{date, CreateOccurrence(db, model, date, series, w), "N", ""};
    if (!room.empty()) {
        if (!TryBookRoom(db, branch, o.meeting, room, date, model.hours, model.bookingText, w)) {
            const BookingHours bh = HoursOf(date, model.hours);
            throw RpcError(code::kConflict, "A sala " + RoomName(db, branch, room) +
                                                " está ocupada em " + DateToStr(date) + " das " +
                                                bh.from.substr(0, 2) + ":" + bh.from.substr(2) +
                                                " às " + bh.to.substr(0, 2) + ":" +
                                                bh.to.substr(2) + ".");
        }
        o.state = "R";
        o.room = room;
    }
    db.Exec(
        "UPDATE OCORSERIE SET NRTAREFA = ?, IDSITOCOR = ? WHERE CDFILIAL = ? AND NRSERIETARE = ? "
        "AND DTOCORSERIE = ?",
        {o.meeting, o.state, branch, series, Variant::FromDateTime(date)});
    OutcomeRows out(db, branch);
    out.add(o);
    return out.packet();
}

}  // namespace

void MarkOccurrenceCancelled(SqlConnection& db, const std::string& branch,
                             const std::string& meeting) {
    db.Exec("UPDATE OCORSERIE SET IDSITOCOR = 'X' WHERE CDFILIAL = ? AND NRTAREFA = ?",
            {branch, meeting});
}

void RegisterSeriesMethods(MethodRegistry& registry) {
    const ParamSpec branch = StrParam("CDFILIAL", 4), meeting = StrParam("NRTAREFA", 10);
    const ParamSpec series = StrParam("NRSERIETARE", 10), conflict = StrParam("IDCONFLITO", 1);
    registry.add(Method("SetSerieReuniao",
                        {branch,
                         meeting,
                         StrParam("IDFREQSERIE", 1),
                         StrParam("DSDIASSEMANA", 7),
                         {"DTFIMSERIE", ParamKind::Any},
                         NumParam("QTOCORSERIE"),
                         conflict},
                        SetSerieReuniao, Access::Write, 0));
    registry.add(Method("GetSerieReuniao", {branch, series}, GetSerieReuniao, Access::Read, 0));
    registry.add(Method("SetSerieSeguintes",
                        {branch, meeting, NumParam("NRMINUTOS"), StrParam("CDSALA", 5), conflict},
                        SetSerieSeguintes, Access::Write, 0));
    registry.add(Method("SetSerieReinclui", {branch, series, DateParam("DTOCORSERIE")},
                        SetSerieReinclui, Access::Write, 0));
}

}  // namespace zel::appserver
