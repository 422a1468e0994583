// Rooms and bookings. A booking occupies its room on its day from HRINIAGESALA to
// HRFINAGESALA (four-digit HHMM texts); intervals are half-open, so 0900-1000 and 1000-1100
// do not collide. Only active bookings (IDSITAGESALA "A") hold a room.
#include "appserver/methods_rooms.h"

#include "appserver/activity_rules.h"
#include "appserver/counters.h"
#include "appserver/meeting_rules.h"
#include "appserver/method_support.h"
#include "appserver/methods.h"
#include "appserver/packet_builder.h"
#include "appserver/resolver.h"
#include "appserver/room_catalog.h"
#include "appserver/rpc_error.h"
#include "appserver/schema.h"
#include "appserver/sql_value.h"

namespace zel::appserver {

namespace {

using T = TFieldType;

const std::vector<FieldDef>& AgeAtiviSalaFields() {
    constexpr unsigned kKey = pfInUpdate | pfInWhere | pfInKey;
    static const std::vector<FieldDef> fields = {
        StringField("CDFILIAL", 4, kKey),
        StringField("NRTAREFA", 10),
        StringField("CDSALA", 5),
        StringField("NMSALA", 30),
        Field("DTATIAGESALA", T::ftDateTime, 0, kKey),
        StringField("NRSEQAGESALA", 5, kKey),
        StringField("IDSITAGESALA", 1),
        StringField("DSAGENDASALA", 1000),
        Field("DTINCAGESALA", T::ftDateTime),
        StringField("HRINIAGESALA", 4),
        StringField("CDOPERADOR", 12),
        StringField("HRFINAGESALA", 4),
    };
    return fields;
}

const std::vector<FieldDef>& SalasFields() {
    static const std::vector<FieldDef> fields = {
        StringField("CDFILIAL", 4, pfHidden), StringField("CDSALA", 5), StringField("NMSALA", 30)};
    return fields;
}

// The free rooms' packet: the room columns, then what each room offers (room_catalog.h).
const std::vector<FieldDef>& FreeSalasFields() {
    static const std::vector<FieldDef> fields = WithRoomDescription(SalasFields());
    return fields;
}

const std::vector<FieldDef>& SalaFields() {
    static const std::vector<FieldDef> fields = {StringField("CDSALA", 5),
                                                 StringField("NMSALA", 30)};
    return fields;
}

const std::vector<FieldDef>& DadosSalasFields() {
    static const std::vector<FieldDef> fields = {
        StringField("CDFILIAL", 4),           StringField("CDSALA", 5),
        Field("DTATIAGESALA", T::ftDateTime), StringField("NRSEQAGESALA", 5),
        StringField("HRINIAGESALA", 4),       StringField("HRFINAGESALA", 4),
    };
    return fields;
}

// What a booking sequence numbers, for the refusals.
std::string BookingsOf(const std::string& branch, TDateTime day) {
    return "as reservas do dia " + DateToStr(day) + " da filial " + branch;
}

RpcError RoomClosed() {
    return RpcError(code::kConflict,
                    "Reunião com atividade iniciada ou concluída não pode alterar sua sala.");
}

// A four-digit HHMM time of day, 0000 to 2359.
bool IsHhmm(const std::string& s) {
    if (s.size() != 4) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return std::stoi(s.substr(0, 2)) <= 23 && std::stoi(s.substr(2, 2)) <= 59;
}

// The window [start, end) of a call, checked: both HHMM and start before end.
struct Window {
    std::string start, end;
};

Window WindowArgs(const CallContext& ctx, size_t startArg, size_t endArg) {
    Window w{ctx.str(startArg), ctx.str(endArg)};
    if (!IsHhmm(w.start))
        throw RpcError(code::kBadArguments,
                       "Hora inicial inválida: \"" + w.start + "\" (use HHMM, de 0000 a 2359).");
    if (!IsHhmm(w.end))
        throw RpcError(code::kBadArguments,
                       "Hora final inválida: \"" + w.end + "\" (use HHMM, de 0000 a 2359).");
    if (w.start >= w.end)
        throw RpcError(code::kBadArguments, "A hora final deve ser maior que a hora inicial.");
    return w;
}

// Bound values of the whole day of `day`: [midnight, next midnight).
SqlParams DayRange(TDateTime day) {
    return {Variant::FromDateTime(DateOf(day)), Variant::FromDateTime(DateOf(day) + 1)};
}

// The overlap rule, the one place it is written: active bookings A of a room colliding with
// a window of a day. `branch` and `room` are SQL expressions ("?" or a column of an outer
// query); the four values bound after them are DayWindowParams'.
std::string CollidesSql(const std::string& branch, const std::string& room) {
    return "A.CDFILIAL = " + branch + " AND A.CDSALA = " + room +
           " AND A.IDSITAGESALA = 'A' AND A.DTATIAGESALA >= ? AND A.DTATIAGESALA < ? "
           "AND A.HRINIAGESALA < ? AND A.HRFINAGESALA > ?";
}

// The values CollidesSql binds after the room: the day's range and the window.
SqlParams DayWindowParams(TDateTime day, const Window& w) {
    const SqlParams d = DayRange(day);
    return {d[0], d[1], w.end, w.start};
}

SqlParams CollideParams(const std::string& branch, const std::string& room, TDateTime day,
                        const Window& w) {
    SqlParams p = {branch, room};
    const SqlParams rest = DayWindowParams(day, w);
    p.insert(p.end(), rest.begin(), rest.end());
    return p;
}

// The booking of a meeting: the room's active booking of that day with exactly that start
// and end, with the room's name. A blank room means the meeting has none: empty packet.
Variant GetAgeAtiviSala(CallContext& ctx) {
    const std::string room = ctx.str(1);
    if (IsBlank(room)) return RowsPacket(AgeAtiviSalaFields(), {});
    const Window w = WindowArgs(ctx, 3, 4);
    const SqlParams d = DayRange(ctx.date(2));
    const SqlResult r = ctx.db().Exec(
        "SELECT A.CDFILIAL, A.NRTAREFA, A.CDSALA, S.NMSALA, A.DTATIAGESALA, A.NRSEQAGESALA, "
        "A.IDSITAGESALA, A.DSAGENDASALA, A.DTINCAGESALA, A.HRINIAGESALA, A.CDOPERADOR, "
        "A.HRFINAGESALA FROM AGEATIVISALA A "
        "JOIN SALA S ON S.CDFILIAL = A.CDFILIAL AND S.CDSALA = A.CDSALA "
        "WHERE A.CDFILIAL = ? AND A.CDSALA = ? AND A.IDSITAGESALA = 'A' "
        "AND A.DTATIAGESALA >= ? AND A.DTATIAGESALA < ? AND A.HRINIAGESALA = ? "
        "AND A.HRFINAGESALA = ? ORDER BY A.NRSEQAGESALA",
        {ctx.str(0), room, d[0], d[1], w.start, w.end});
    return RowsPacket(AgeAtiviSalaFields(), r.rows);
}

// Active rooms of the branch without an active booking colliding with the window; with
// `alsoRoom` that room too (the meeting's own, which its own booking would hide). Each room
// with its places, tags and fit; with the optional room request from argument `requestArg` on,
// narrowed to the rooms that fit and ranked smallest first (else in code order).
Variant FreeRooms(CallContext& ctx, TDateTime day, const Window& w, const std::string* alsoRoom,
                  size_t requestArg) {
    std::string sql =
        "SELECT S.CDFILIAL, S.CDSALA, S.NMSALA, S.QTCAPACSALA FROM SALA S WHERE S.CDFILIAL = ? "
        "AND ((S.IDATIVO = 'S' AND NOT EXISTS (SELECT 1 FROM AGEATIVISALA A WHERE " +
        CollidesSql("S.CDFILIAL", "S.CDSALA") + "))";
    SqlParams params = {ctx.str(0)};
    const SqlParams window = DayWindowParams(day, w);
    params.insert(params.end(), window.begin(), window.end());
    if (alsoRoom) {
        sql += " OR S.CDSALA = ?";
        params.push_back(*alsoRoom);
    }
    sql += ") ORDER BY S.CDSALA";
    std::vector<SqlRow> rows = ctx.db().Exec(sql, params).rows;
    DescribeRooms(ctx.db(), ctx.str(0), rows, 1, RequestedRooms(ctx, requestArg), true);
    return RowsPacket(FreeSalasFields(), rows);
}

Variant GetSalas(CallContext& ctx) {
    return FreeRooms(ctx, ctx.date(1), WindowArgs(ctx, 2, 3), nullptr, 4);
}

Variant GetSalas2(CallContext& ctx) {
    const std::string room = ctx.str(2);
    return FreeRooms(ctx, ctx.date(1), WindowArgs(ctx, 3, 4), &room, 5);
}

// Room search: the room of that code, or every active room of the branch for an empty code.
Variant GetPesqSala(CallContext& ctx) {
    const std::string room = ctx.str(1);
    if (IsBlank(room))
        return RowsPacket(SalaFields(),
                          ctx.db()
                              .Exec("SELECT CDSALA, NMSALA FROM SALA WHERE CDFILIAL = ? "
                                    "AND IDATIVO = 'S' ORDER BY CDSALA",
                                    {ctx.str(0)})
                              .rows);
    return RowsPacket(SalaFields(),
                      ctx.db()
                          .Exec("SELECT CDSALA, NMSALA FROM SALA WHERE CDFILIAL = ? AND CDSALA = ?",
                                {ctx.str(0), room})
                          .rows);
}

// Existence check of a typed room code: only an active room of the branch may be booked.
Variant GetVdSala(CallContext& ctx) {
    return RowsPacket(SalaFields(), ctx.db()
                                        .Exec("SELECT CDSALA, NMSALA FROM SALA WHERE CDFILIAL = ? "
                                              "AND CDSALA = ? AND IDATIVO = 'S'",
                                              {ctx.str(0), ctx.str(1)})
                                        .rows);
}

// The active bookings of the room colliding with the window, one row each.
Variant GetFindSala(CallContext& ctx) {
    const Window w = WindowArgs(ctx, 2, 3);
    const SqlResult r = ctx.db().Exec(
        "SELECT A.CDFILIAL, A.CDSALA, S.NMSALA FROM AGEATIVISALA A "
        "JOIN SALA S ON S.CDFILIAL = A.CDFILIAL AND S.CDSALA = A.CDSALA WHERE " +
            CollidesSql("?", "?") + " ORDER BY A.HRINIAGESALA",
        CollideParams(ctx.str(0), ctx.str(4), ctx.date(1), w));
    return RowsPacket(SalasFields(), r.rows);
}

}  // namespace

// A fresh booking sequence of the branch's day, reserved by this call: two calls never get
// the same number, also when the first number is never used. Other branches count their own.
std::string NextBookingSequence(SqlConnection& db, const std::string& branch, TDateTime day,
                                const std::optional<Writer>& to) {
    const SqlParams d = DayRange(day);
    const int64_t floor = NextAfterMax(db,
                                       "SELECT MAX(NRSEQAGESALA) FROM AGEATIVISALA "
                                       "WHERE CDFILIAL = ? AND DTATIAGESALA >= ? AND "
                                       "DTATIAGESALA < ?",
                                       {branch, d[0], d[1]});
    const std::string key = BookingCounterKey(branch, day);
    return NumberText(to ? HandOutNumber(db, counter::kRoomBooking, key, floor, *to)
                         : NextCounterValue(db, counter::kRoomBooking, key, floor),
                      5, BookingsOf(branch, day));
}

bool RoomTaken(SqlConnection& db, const std::string& branch, const std::string& room, TDateTime day,
               const std::string& start, const std::string& end, const std::string& exceptMeeting) {
    SqlParams params = CollideParams(branch, room, day, Window{start, end});
    params.push_back(exceptMeeting);
    return !db.Exec("SELECT 1 FROM AGEATIVISALA A WHERE " + CollidesSql("?", "?") +
                        " AND (A.NRTAREFA IS NULL OR A.NRTAREFA <> ?)",
                    params)
                .rows.empty();
}

namespace {

// The next booking sequence of the day for the session's branch (the window books in it),
// handed out to the session's operator for his new booking.
Variant GetSeqSalas(CallContext& ctx) {
    const std::string seq =
        NextBookingSequence(ctx.db(), LoginBranch(ctx), ctx.date(0), WriterOf(ctx));
    static const std::vector<FieldDef> fields = {Field("NRSEQAGESALA", T::ftFloat)};
    return RowsPacket(fields, {{Variant(std::stod(seq))}});
}

// Checks of a booking row about to be written (column values, dates as stored text). An
// active booking must name an existing room, a valid window, an open meeting with no other
// active booking, and must not collide with another active booking of its room.
void ValidateBooking(SqlConnection& db, const RowValues& row) {
    auto get = [&](const char* c) {
        auto it = row.find(c);
        return it == row.end() || it->second.IsNull() ? std::string() : it->second.AsString();
    };
    const std::string branch = get("CDFILIAL"), room = get("CDSALA"), meeting = get("NRTAREFA");
    const std::string start = get("HRINIAGESALA"), end = get("HRFINAGESALA");
    if (!IsHhmm(start) || !IsHhmm(end) || start >= end)
        throw RpcError(code::kBadArguments,
                       "Horário da reserva inválido: " + start + " a " + end +
                           " (use HHMM; a hora final deve ser maior que a inicial, no mesmo dia).");
    if (db.Exec("SELECT 1 FROM SALA WHERE CDFILIAL = ? AND CDSALA = ?", {branch, room})
            .rows.empty())
        throw RpcError(code::kNotFound, "Sala não cadastrada.");
    if (get("IDSITAGESALA") != "A") return;
    const std::string dayText = get("DTATIAGESALA"), seq = get("NRSEQAGESALA");
    if (!meeting.empty()) {
        const std::optional<std::string> status = MeetingStatus(db, branch, meeting);
        if (!status) throw RpcError(code::kNotFound, "Reunião " + meeting + " não cadastrada.");
        if (*status == "X" || *status == "C")
            throw RpcError(code::kConflict,
                           "Reunião cancelada ou concluída não pode reservar sala.");
        if (ActivityStarted(db, branch, meeting)) throw RoomClosed();
        if (!db.Exec("SELECT 1 FROM AGEATIVISALA WHERE CDFILIAL = ? AND NRTAREFA = ? "
                     "AND IDSITAGESALA = 'A' AND NOT (DTATIAGESALA = ? AND NRSEQAGESALA = ?)",
                     {branch, meeting, dayText, seq})
                 .rows.empty())
            throw RpcError(code::kConflict, "A reunião " + meeting + " já tem uma sala reservada.");
    }
    SqlParams params = CollideParams(branch, room, ParseSqlDateTime(dayText), Window{start, end});
    params.push_back(dayText);
    params.push_back(seq);
    if (!db.Exec("SELECT 1 FROM AGEATIVISALA A WHERE " + CollidesSql("?", "?") +
                     " AND NOT (A.DTATIAGESALA = ? AND A.NRSEQAGESALA = ?)",
                 params)
             .rows.empty())
        throw RpcError(code::kConflict, text::kRoomTaken);
}

// A stored booking may change or go only with its meeting's consent: never once the meeting
// is cancelled or concluded (its booking is the record of where it was), nor once one of its
// activities started or ended (the window keeps date, time and room closed then). A booking
// never passes to another meeting, nor loses its meeting.
void CheckStoredBooking(SqlConnection& db, const RowValues& stored, const RowValues& changed) {
    auto text = [](const RowValues& row, const char* c) {
        auto it = row.find(c);
        return it == row.end() || it->second.IsNull() ? std::string() : it->second.AsString();
    };
    const std::string branch = text(stored, "CDFILIAL"), meeting = text(stored, "NRTAREFA");
    if (changed.count("NRTAREFA") && text(changed, "NRTAREFA") != meeting)
        throw RpcError(code::kConflict,
                       "A reserva não pode passar para outra reunião nem ficar sem reunião.");
    if (meeting.empty()) return;
    const std::optional<std::string> status = MeetingStatus(db, branch, meeting);
    if (status && (*status == "X" || *status == "C"))
        throw RpcError(code::kConflict,
                       "A reserva de uma reunião cancelada ou concluída não "
                       "pode ser alterada nem excluída.");
    if (ActivityStarted(db, branch, meeting)) throw RoomClosed();
}

// Booking change packets. The overlap rule is checked here, inside the write transaction,
// before each row is written (so the refusal names the reason); the SQLite triggers and the
// PostgreSQL exclusion constraint back it for writers that race past the check. Any refused
// row refuses the whole packet. Who booked and when are the session's operator and the
// server clock; a new booking holds its day without a time of day, and its sequence is one
// GetSeqSalas handed out to the operator (the server picks one when the packet has none).
Variant SetSalas(CallContext& ctx) {
    const ChangePacket& packet = DeltaArg(ctx, 0);
    SqlConnection& db = ctx.db();
    const Writer w = WriterOf(ctx);
    ResolvePolicy policy;
    policy.checkBranch = [&ctx](const std::string& b) { RequireBranch(ctx, b); };
    policy.guarded = {"IDSITAGESALA"};
    policy.serverOwned = {"CDOPERADOR", "DTINCAGESALA"};
    policy.stampInsert = [&ctx, &db, w](RowValues& row) {
        row["CDOPERADOR"] = w.op;
        row["DTINCAGESALA"] = Variant::FromDateTime(w.now);
        row["IDSITAGESALA"] = "A";
        Variant& day = row["DTATIAGESALA"];
        const Variant branch = row["CDFILIAL"];
        if (day.IsNull() || branch.IsNull()) return;  // refused as a missing key
        const TDateTime d = DateOf(ParseSqlDateTime(day.AsString()));
        day = SqlDateTimeText(d);
        RequireBranch(ctx, branch.AsString());
        const Variant seq = row["NRSEQAGESALA"];
        if (seq.IsNull())
            row["NRSEQAGESALA"] = NextBookingSequence(db, branch.AsString(), d);
        else
            RequireHandedOut(db, counter::kRoomBooking, BookingCounterKey(branch.AsString(), d),
                             seq.AsString(), 5, w, BookingsOf(branch.AsString(), d));
    };
    policy.stampUpdate = [w](RowValues& row) { row["CDOPERADOR"] = w.op; };
    policy.checkStored = [&db](const RowValues& stored, const RowValues& changed) {
        CheckStoredBooking(db, stored, changed);
    };
    policy.validate = [&db](const RowValues& row) { ValidateBooking(db, row); };
    const ResolveCounts n = ApplyChangePacket(db, Table("AGEATIVISALA"), packet, policy);
    return Variant(n.inserted + n.updated + n.deleted);
}

// Frees a booking (after its meeting was cancelled). A booking already gone is not an error:
// the room is free either way. A booking of a cancelled or concluded meeting still stored is
// its record and stays. Returns the number of bookings removed (0 or 1).
Variant GetDelSala(CallContext& ctx) {
    const SqlParams d = DayRange(ctx.date(2));
    const SqlParams key = {ctx.str(0), ctx.str(1), d[0], d[1], ctx.str(3)};
    const std::string where =
        " FROM AGEATIVISALA WHERE CDFILIAL = ? AND CDSALA = ? AND DTATIAGESALA >= ? "
        "AND DTATIAGESALA < ? AND NRSEQAGESALA = ?";
    for (const SqlRow& row : ctx.db().Exec("SELECT NRTAREFA" + where, key).rows) {
        if (row[0].IsNull()) continue;
        const std::optional<std::string> status =
            MeetingStatus(ctx.db(), ctx.str(0), row[0].AsString());
        if (status && (*status == "X" || *status == "C"))
            throw RpcError(code::kConflict,
                           "A reserva de uma reunião cancelada ou concluída "
                           "não pode ser excluída.");
    }
    return Variant(static_cast<long long>(ctx.db().Exec("DELETE" + where, key).affected));
}

// The booking a meeting holds, read before it is cancelled: same match as GetAgeAtiviSala.
Variant GetDadosSalas(CallContext& ctx) {
    const std::string room = ctx.str(1);
    if (IsBlank(room)) return RowsPacket(DadosSalasFields(), {});
    const Window w = WindowArgs(ctx, 3, 4);
    const SqlParams d = DayRange(ctx.date(2));
    const SqlResult r = ctx.db().Exec(
        "SELECT CDFILIAL, CDSALA, DTATIAGESALA, NRSEQAGESALA, HRINIAGESALA, HRFINAGESALA "
        "FROM AGEATIVISALA WHERE CDFILIAL = ? AND CDSALA = ? AND IDSITAGESALA = 'A' "
        "AND DTATIAGESALA >= ? AND DTATIAGESALA < ? AND HRINIAGESALA = ? AND HRFINAGESALA = ? "
        "ORDER BY NRSEQAGESALA",
        {ctx.str(0), room, d[0], d[1], w.start, w.end});
    return RowsPacket(DadosSalasFields(), r.rows);
}

// The rooms' day of the session's branch: one row per active room without a booking that
// day, one row per active booking (with its meeting's reference, or the booking's own text
// when it has no meeting), rooms in code order and bookings by start. A room made inactive
// still shows the bookings it holds. Every row ends with its room's places, tags and fit;
// the optional room request narrows the rooms (their order stays).
Variant GetAgendaSalasDia(CallContext& ctx) {
    static const std::vector<FieldDef> fields = WithRoomDescription({
        StringField("CDSALA", 5),
        StringField("NMSALA", 30),
        StringField("NRTAREFA", 10),
        StringField("DSREFETAREFA", 1000),
        StringField("HRINIAGESALA", 4),
        StringField("HRFINAGESALA", 4),
        StringField("NRSEQAGESALA", 5),
    });
    const SqlParams d = DayRange(ctx.date(0));
    const std::string branch = LoginBranch(ctx);
    std::vector<SqlRow> rows =
        ctx.db()
            .Exec(
                "SELECT S.CDSALA, S.NMSALA, A.NRTAREFA, COALESCE(T.DSREFETAREFA, "
                "A.DSAGENDASALA), A.HRINIAGESALA, A.HRFINAGESALA, A.NRSEQAGESALA, "
                "S.QTCAPACSALA FROM SALA S "
                "LEFT JOIN AGEATIVISALA A ON A.CDFILIAL = S.CDFILIAL AND A.CDSALA = S.CDSALA "
                "AND A.IDSITAGESALA = 'A' AND A.DTATIAGESALA >= ? AND A.DTATIAGESALA < ? "
                "LEFT JOIN TAREFA T ON T.CDFILIAL = A.CDFILIAL AND T.NRTAREFA = A.NRTAREFA "
                "WHERE S.CDFILIAL = ? AND (S.IDATIVO = 'S' OR A.CDSALA IS NOT NULL) "
                "ORDER BY S.CDSALA, A.HRINIAGESALA",
                {d[0], d[1], branch})
            .rows;
    DescribeRooms(ctx.db(), branch, rows, 0, RequestedRooms(ctx, 1), false);
    return RowsPacket(fields, rows);
}

}  // namespace

void RegisterRoomMethods(MethodRegistry& registry) {
    const ParamSpec branch = StrParam("CDFILIAL", 4), room = StrParam("CDSALA", 5);
    const ParamSpec start = StrParam("HRINIAGESALA", 4), end = StrParam("HRFINAGESALA", 4);
    const ParamSpec day = DateParam("DTATIAGESALA");
    registry.add(Method("GetAgeAtiviSala", {branch, room, day, start, end}, GetAgeAtiviSala,
                        Access::Read, 0));
    // The free-room lists and the rooms' day take an optional room request last.
    auto withRequest = [](std::vector<ParamSpec> params) {
        for (ParamSpec& p : RoomRequestParams())
            params.push_back(std::move(p));
        return params;
    };
    registry.add(
        Method("GetSalas", withRequest({branch, day, start, end}), GetSalas, Access::Read, 0));
    registry.add(Method("GetSalas2",
                        withRequest({branch, day, StrParam("CDSALA", 5, true), start, end}),
                        GetSalas2, Access::Read, 0));
    registry.add(Method("GetPesqSala", {branch, room}, GetPesqSala, Access::Read, 0));
    registry.add(Method("getVdSala", {branch, room}, GetVdSala, Access::Read, 0));
    registry.add(
        Method("getFindSala", {branch, day, start, end, room}, GetFindSala, Access::Read, 0));
    registry.add(Method("SetSalas", {DeltaParam("Delta")}, SetSalas, Access::Write, -1));
    registry.add(Method("GetSeqSalas", {day}, GetSeqSalas, Access::Write, -1));
    registry.add(Method("GetDelSala", {branch, room, day, StrParam("NRSEQAGESALA", 5)}, GetDelSala,
                        Access::Write, 0));
    registry.add(
        Method("GetDadosSalas", {branch, room, day, start, end}, GetDadosSalas, Access::Read, 0));
    registry.add(Method("GetAgendaSalasDia", withRequest({day}), GetAgendaSalasDia, Access::Read));
}

}  // namespace zel::appserver
