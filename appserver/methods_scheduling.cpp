// Slot suggestions and free/busy. A participant is busy during each of his activities
// (PLANATIVTARE) in any branch, except cancelled ones and those of the meeting being planned;
// a room is busy during each active booking (AGEATIVISALA) except the meeting's own. Every
// read is one query over all participants or all rooms of a range of days, never one per
// participant, room or slot.
#include "appserver/methods_scheduling.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <span>

#include "appserver/key_list.h"
#include "appserver/method_support.h"
#include "appserver/methods.h"
#include "appserver/room_catalog.h"
#include "appserver/rpc_error.h"
#include "appserver/slot_search.h"
#include "appserver/sql_query.h"
#include "appserver/sql_value.h"
#include "appserver/working_hours.h"

namespace zel::appserver {

namespace {

using T = TFieldType;

constexpr size_t kMaxParticipants = 200;
constexpr size_t kMaxFreeBusyRooms = 50;
constexpr size_t kSlotsWanted = 10;
constexpr int kSlotStepMinutes = 30;
// How far past the earliest day the search looks, and the first stretch it reads: most
// searches end within the first week, a busy group reads wider stretches after it.
constexpr int kSearchDays = 92;
constexpr int kFirstStretchDays = 7;
// The earliest day may lie at most this far ahead of the server's today.
constexpr int kMaxDaysAhead = 3660;
constexpr int64_t kMinutesPerDay = 1440;

struct Participant {
    std::string code, name;
    bool ofBranch = false;  // an operator of the branch asked about
};

// A busy range of a participant or a room, with what it is when it may be shown.
struct Block {
    std::string owner;  // operator or room code
    Interval when;
    std::string branch, meeting, reference;
};

// A date-time cell in minutes; nullopt for null or a value another program stored badly.
// Busy times are read by the thousand, so the form both engines hand back is read in place.
std::optional<int64_t> CellMinute(const SqlCell& cell) {
    if (cell.kind != SqlCell::Kind::Text) return std::nullopt;
    const std::string_view t = cell.text;
    try {
        if (!IsSqlDateTimeText(t)) return MinuteOf(ParseSqlDateTime(std::string(t)));
        auto num = [&](size_t at, size_t n) {
            int v = 0;
            for (size_t i = at; i < at + n; ++i)
                v = v * 10 + (t[i] - '0');
            return v;
        };
        return MinuteOf(EncodeDate(num(0, 4), num(5, 2), num(8, 2))) + num(11, 2) * 60 + num(14, 2);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::string Text(const SqlCell& cell) {
    return cell.kind == SqlCell::Kind::Text ? std::string(cell.text) : cell.ToVariant().AsString();
}

// The codes of a list a client sends (separated by commas), trimmed, each once, in order.
std::vector<std::string> DistinctCodes(const std::string& list, const std::string& what,
                                       size_t most) {
    std::vector<std::string> codes;
    for (const std::string& item : ParseKeyList(list, what, most)) {
        const std::string code = TrimAll(item);
        if (!code.empty() && std::find(codes.begin(), codes.end(), code) == codes.end())
            codes.push_back(code);
    }
    return codes;
}

// The meeting named by a call: blank for a new one; otherwise a meeting of the branch.
std::string MeetingArg(SqlConnection& db, const std::string& branch, const std::string& text,
                       bool mustBeOpen) {
    const std::string nr = TrimAll(text);
    if (nr.empty()) return nr;
    if (mustBeOpen)
        RequireOpenMeeting(db, branch, nr,
                           "Reunião cancelada ou concluída não pode ter outro horário.");
    else
        RequireMeeting(db, branch, nr);
    return nr;
}

// The operators of the meeting's activities that are not cancelled; its responsible when it
// has none.
std::vector<std::string> MeetingParticipants(SqlConnection& db, const std::string& branch,
                                             const std::string& meeting) {
    std::vector<std::string> codes;
    for (const SqlRow& r : db.Exec("SELECT CDOPERRESP FROM PLANATIVTARE WHERE CDFILIAL = ? AND "
                                   "NRTAREFA = ? AND CDOPERRESP IS NOT NULL AND "
                                   "COALESCE(IDSITATIVTAR, 'P') <> 'X' ORDER BY NRPLATIVTARE",
                                   {branch, meeting})
                               .rows)
        if (std::find(codes.begin(), codes.end(), r[0].AsString()) == codes.end())
            codes.push_back(r[0].AsString());
    if (codes.empty()) {
        const SqlResult r = db.Exec(
            "SELECT CDOPERRESP FROM TAREFA WHERE CDFILIAL = ? AND NRTAREFA = ? AND "
            "CDOPERRESP IS NOT NULL",
            {branch, meeting});
        if (!r.rows.empty()) codes.push_back(r.rows[0][0].AsString());
    }
    return codes;
}

// The participants of a call: the operators listed (codes separated by commas), or, for a
// blank list, those of the meeting. Every one must be a registered operator.
std::vector<Participant> Participants(SqlConnection& db, const std::string& branch,
                                      const std::string& meeting, const std::string& list) {
    std::vector<std::string> codes = DistinctCodes(list, "participantes", kMaxParticipants);
    if (codes.empty() && !meeting.empty()) codes = MeetingParticipants(db, branch, meeting);
    if (codes.empty())
        throw RpcError(code::kBadArguments,
                       "Informe os participantes da reunião (ao menos o responsável).");
    SqlQuery q;
    q.params = {branch};
    q.sql =
        "SELECT O.CDOPERADOR, O.NMOPERADOR, (SELECT COUNT(*) FROM OPERFILIAL F WHERE "
        "F.CDOPERADOR = O.CDOPERADOR AND F.CDFILIAL = ?) FROM OPERADOR O WHERE ";
    q.sql += q.In("O.CDOPERADOR", codes);
    std::map<std::string, Participant> found;
    for (const SqlRow& r : db.Exec(q.sql, q.params).rows)
        found[r[0].AsString()] = {r[0].AsString(), r[1].AsString(), r[2].AsInteger() > 0};
    std::vector<Participant> people;
    for (const std::string& code : codes) {
        auto it = found.find(code);
        if (it == found.end())
            throw RpcError(code::kNotFound, "Participante não cadastrado: " + code + ".");
        people.push_back(it->second);
    }
    return people;
}

// The participants' activities reaching into the days [from, to). Activities are planned
// within their day (under 24 hours), so those starting from the day before on are the ones
// that reach in; one without an end lasts its planned hours. A longer one, which only a
// hand-made change packet can store, counts whole from the stretch where it starts.
std::vector<Block> ActivityBlocks(SqlConnection& db, const std::vector<Participant>& people,
                                  TDateTime from, TDateTime to, const std::string& branch,
                                  const std::string& meeting, bool withReference) {
    std::vector<std::string> codes;
    for (const Participant& p : people)
        codes.push_back(p.code);
    SqlQuery q;
    q.sql =
        "SELECT P.CDOPERRESP, P.DTINPATIVTAR, P.DTFIPATIVTAR, P.QTHRPATIVTAR, P.CDFILIAL, "
        "P.NRTAREFA, ";
    q.sql += withReference ? "T.DSREFETAREFA FROM PLANATIVTARE P LEFT JOIN TAREFA T ON "
                             "T.CDFILIAL = P.CDFILIAL AND T.NRTAREFA = P.NRTAREFA"
                           : "NULL FROM PLANATIVTARE P";
    q.sql += " WHERE " + q.In("P.CDOPERRESP", codes) +
             " AND P.DTINPATIVTAR >= ? AND P.DTINPATIVTAR < ? AND "
             "COALESCE(P.IDSITATIVTAR, 'P') <> 'X'";
    q.params.push_back(Variant::FromDateTime(DateOf(from) - 1));
    q.params.push_back(Variant::FromDateTime(DateOf(to)));
    if (!meeting.empty()) {
        q.sql += " AND NOT (P.CDFILIAL = ? AND P.NRTAREFA = ?)";
        q.params.push_back(branch);
        q.params.push_back(meeting);
    }
    std::vector<Block> blocks;
    const Interval range{MinuteOf(DateOf(from)), MinuteOf(DateOf(to))};
    db.Query(q.sql, q.params, [&](std::span<const SqlCell> r) {
        const std::optional<int64_t> start = CellMinute(r[1]);
        if (!start) return;
        std::optional<int64_t> end = CellMinute(r[2]);
        if (!end || *end <= *start) {
            const SqlCell& hours = r[3];
            const double h = hours.kind == SqlCell::Kind::Float ? hours.real
                             : hours.kind == SqlCell::Kind::Integer
                                 ? static_cast<double>(hours.integer)
                                 : 0.0;
            end = *start + std::llround(std::max(0.0, h) * 60);
        }
        const Interval when{*start, *end};
        if (when.to <= range.from || when.from >= range.to || when.to <= when.from) return;
        blocks.push_back({Text(r[0]), when, withReference ? Text(r[4]) : std::string(),
                          withReference ? Text(r[5]) : std::string(), Text(r[6])});
    });
    return blocks;
}

// Minutes since midnight of a stored "HHMM" booking time (0000 to 2400); -1 for anything else.
int HhmmMinutes(const SqlCell& cell) {
    const std::string_view t = cell.text;
    if (cell.kind != SqlCell::Kind::Text || t.size() != 4 ||
        t.find_first_not_of("0123456789") != std::string_view::npos)
        return -1;
    const int h = (t[0] - '0') * 10 + (t[1] - '0'), m = (t[2] - '0') * 10 + (t[3] - '0');
    return m <= 59 && h * 60 + m <= kMinutesPerDay ? h * 60 + m : -1;
}

// "(col >= ? AND col < ?) OR ..." over the runs of consecutive days of `days` (ascending
// dates), bound in `params`. The runs are padded to a power of two by repeating the last one,
// so a few prepared statements serve every list.
std::string DayRangesSql(const std::string& column, const std::vector<TDateTime>& days,
                         SqlParams& params) {
    std::vector<std::pair<TDateTime, TDateTime>> runs;
    for (const TDateTime d : days) {
        if (!runs.empty() && runs.back().second == d)
            runs.back().second = d + 1;
        else
            runs.emplace_back(d, d + 1);
    }
    size_t slots = 1;
    while (slots < runs.size())
        slots *= 2;
    std::string sql = "(";
    for (size_t i = 0; i < slots; ++i) {
        const auto& run = runs[std::min(i, runs.size() - 1)];
        sql += (i ? " OR (" : "(") + column + " >= ? AND " + column + " < ?)";
        params.push_back(Variant::FromDateTime(run.first));
        params.push_back(Variant::FromDateTime(run.second));
    }
    return sql + ")";
}

// The branch's active bookings of the given days (ascending dates, at least one), the
// meeting's own left out. A booking whose times cannot be read holds its room the whole day.
std::vector<Block> BookingBlocks(SqlConnection& db, const std::string& branch,
                                 const std::vector<TDateTime>& days, const std::string& meeting,
                                 bool withReference) {
    std::string sql =
        "SELECT A.CDSALA, A.DTATIAGESALA, A.HRINIAGESALA, A.HRFINAGESALA, A.NRTAREFA, ";
    sql += withReference ? "COALESCE(T.DSREFETAREFA, A.DSAGENDASALA) FROM AGEATIVISALA A LEFT "
                           "JOIN TAREFA T ON T.CDFILIAL = A.CDFILIAL AND T.NRTAREFA = A.NRTAREFA"
                         : "NULL FROM AGEATIVISALA A";
    // The whole span bounds the index range read; the days within it filter the rows.
    SqlParams params = {branch, Variant::FromDateTime(days.front()),
                        Variant::FromDateTime(days.back() + 1)};
    sql +=
        " WHERE A.CDFILIAL = ? AND A.DTATIAGESALA >= ? AND A.DTATIAGESALA < ? AND "
        "A.IDSITAGESALA = 'A' AND " +
        DayRangesSql("A.DTATIAGESALA", days, params);
    if (!meeting.empty()) {
        sql += " AND (A.NRTAREFA IS NULL OR A.NRTAREFA <> ?)";
        params.push_back(meeting);
    }
    std::vector<Block> blocks;
    db.Query(sql, params, [&](std::span<const SqlCell> r) {
        const std::optional<int64_t> day = CellMinute(r[1]);
        if (!day) return;
        const int64_t midnight = *day - *day % kMinutesPerDay;
        Interval when{midnight, midnight + kMinutesPerDay};
        const int s = HhmmMinutes(r[2]), e = HhmmMinutes(r[3]);
        if (s >= 0 && s < e) when = {midnight + s, midnight + e};
        blocks.push_back({Text(r[0]), when, std::string(),
                          withReference ? Text(r[4]) : std::string(), Text(r[5])});
    });
    return blocks;
}

// The meeting's duration in minutes: from 00:01 to 23:59, and within the working hours.
int DurationMinutes(double hours, const WorkingHours& wh) {
    const double minutes = std::round(hours * 60);
    if (!(minutes >= 1 && minutes < kMinutesPerDay))
        throw RpcError(code::kBadArguments, "Duração inválida: informe de 00:01 a 23:59.");
    if (minutes > wh.endMinute - wh.startMinute)
        throw RpcError(code::kBadArguments,
                       "Uma reunião de " + ClockText(static_cast<int>(minutes)) +
                           " não cabe no expediente da filial (" + wh.Text() + ").");
    return static_cast<int>(minutes);
}

// The first day to search: the earliest day asked for, but not before the server's today.
TDateTime FirstDay(TDateTime earliest, TDateTime now) {
    if (DateOf(earliest) > DateOf(now) + kMaxDaysAhead)
        throw RpcError(code::kBadArguments,
                       "O dia inicial da busca deve estar nos próximos dez anos.");
    return std::max(DateOf(earliest), DateOf(now));
}

const std::vector<FieldDef>& SuggestionFields() {
    static const std::vector<FieldDef> fields = {
        Field("DTHRREUNIAO", T::ftDateTime), StringField("HRINIAGESALA", 4),
        StringField("HRFINAGESALA", 4),      StringField("CDSALA", 5),
        StringField("NMSALA", 30),           Field("QTCAPACSALA", T::ftInteger),
        StringField("DSEQUIPSALA", 700),
    };
    return fields;
}

// The slots from `day` on, stretch by stretch (a week, then two, four, ...) until enough are
// found or the search reaches kSearchDays days. Each stretch reads the participants' busy
// times; the rooms' bookings are read only for the days where the participants are free.
std::vector<Slot> SearchSlots(SqlConnection& db, const SlotSearch& search, TDateTime day,
                              const std::string& branch, const std::string& meeting,
                              const std::vector<Participant>& people,
                              const std::vector<RoomInfo>& rooms) {
    std::map<std::string, size_t> roomIndex;
    for (size_t i = 0; i < rooms.size(); ++i)
        roomIndex[rooms[i].code] = i;
    std::vector<Slot> slots;
    const TDateTime last = day + kSearchDays;
    // Busy ranges read with an earlier stretch that reach past its end: a later stretch reads
    // only the activities starting from its own day before on.
    std::vector<Interval> reaching;
    for (int stretch = kFirstStretchDays; day < last && slots.size() < search.wanted;
         day += stretch, stretch *= 2) {
        const TDateTime end = std::min(day + stretch, last);
        std::vector<Interval> peopleBusy = std::move(reaching);
        for (const Block& b : ActivityBlocks(db, people, day, end, branch, meeting, false))
            peopleBusy.push_back(b.when);
        reaching.clear();
        for (const Interval& i : peopleBusy)
            if (i.to > MinuteOf(end)) reaching.push_back(i);
        const std::vector<int64_t> starts =
            FreeStarts(search, day, end, BusyTimes(std::move(peopleBusy)));
        if (starts.empty()) continue;
        std::vector<TDateTime> days;
        for (const int64_t start : starts)
            if (days.empty() || days.back() != DateOf(TimeOfMinute(start)))
                days.push_back(DateOf(TimeOfMinute(start)));
        std::vector<std::vector<Interval>> roomBusy(rooms.size());
        for (const Block& b : BookingBlocks(db, branch, days, meeting, false))
            if (auto it = roomIndex.find(b.owner); it != roomIndex.end())
                roomBusy[it->second].push_back(b.when);
        std::vector<BusyTimes> roomTimes;
        for (std::vector<Interval>& busy : roomBusy)
            roomTimes.emplace_back(std::move(busy));
        AssignRooms(search, starts, roomTimes, slots);
    }
    return slots;
}

// GetSugereHorario(branch, meeting, participants, hours, earliest day, places, tags): the
// first ten slots from the earliest day (and never before the server clock) within the next
// kSearchDays days, each with the smallest fitting room free for it.
Variant GetSugereHorario(CallContext& ctx) {
    SqlConnection& db = ctx.db();
    const std::string branch = ctx.str(0);
    const std::string meeting = MeetingArg(db, branch, ctx.str(1), true);
    const std::vector<Participant> people = Participants(db, branch, meeting, ctx.str(2));
    SlotSearch search;
    search.hours = ReadWorkingHours(db, branch);
    search.minutes = DurationMinutes(ctx.num(3), search.hours);
    search.stepMinutes = kSlotStepMinutes;
    search.after = ctx.now();
    search.wanted = kSlotsWanted;
    const TDateTime day = FirstDay(ctx.date(4), ctx.now());
    const RoomNeeds needs = ParseRoomNeeds(ctx.num(5), ctx.str(6));
    const std::vector<RoomInfo> rooms = FittingRooms(db, branch, needs);
    if (rooms.empty())
        throw RpcError(code::kNotFound,
                       needs.Any() ? "Nenhuma sala ativa da filial atende a: " + needs.Text() + "."
                                   : "A filial não tem salas ativas.");
    const std::vector<Slot> slots = SearchSlots(db, search, day, branch, meeting, people, rooms);
    std::vector<SqlRow> rows;
    for (const Slot& s : slots) {
        const RoomInfo& room = rooms[s.room];
        const int startOfDay = static_cast<int>(s.start % kMinutesPerDay);
        rows.push_back({Variant::FromDateTime(TimeOfMinute(s.start)), HhmmText(startOfDay),
                        HhmmText(startOfDay + search.minutes), room.code, room.name,
                        room.places ? Variant(*room.places) : Variant(), RoomTagsText(room.tags)});
    }
    return RowsPacket(SuggestionFields(), rows);
}

const std::vector<FieldDef>& FreeBusyFields() {
    static const std::vector<FieldDef> fields = {
        StringField("IDRECURSO", 1),      StringField("CDRECURSO", 12),
        StringField("NMRECURSO", 40),     StringField("HRINIOCUP", 4),
        StringField("HRFINOCUP", 4),      StringField("NRTAREFA", 10),
        StringField("DSREFETAREFA", 100),
    };
    return fields;
}

// The rooms of the branch named in a list, in its order; an unknown code is refused.
std::vector<std::pair<std::string, std::string>> BranchRooms(SqlConnection& db,
                                                             const std::string& branch,
                                                             const std::string& list) {
    const std::vector<std::string> codes = DistinctCodes(list, "salas", kMaxFreeBusyRooms);
    std::vector<std::pair<std::string, std::string>> rooms;
    if (codes.empty()) return rooms;
    SqlQuery q;
    q.params = {branch};
    q.sql = "SELECT CDSALA, NMSALA FROM SALA WHERE CDFILIAL = ? AND ";
    q.sql += q.In("CDSALA", codes);
    std::map<std::string, std::string> names;
    for (const SqlRow& r : db.Exec(q.sql, q.params).rows)
        names[r[0].AsString()] = r[1].AsString();
    for (const std::string& code : codes) {
        auto it = names.find(code);
        if (it == names.end())
            throw RpcError(code::kNotFound,
                           "Sala " + code + " não cadastrada na filial " + branch + ".");
        rooms.emplace_back(code, it->second);
    }
    return rooms;
}

// Rows of one resource of the free/busy: one per busy range within the day, in order of
// time, or one without times when it is free all day. `details` decides per block whether
// its meeting and reference may be shown.
template <class ShowDetails>
void FreeBusyRows(std::vector<SqlRow>& rows, const char* kind, const std::string& code,
                  const std::string& name, std::vector<const Block*> blocks, int64_t midnight,
                  ShowDetails details) {
    std::sort(blocks.begin(), blocks.end(),
              [](const Block* a, const Block* b) { return a->when.from < b->when.from; });
    if (blocks.empty())
        rows.push_back({kind, code, name, Variant(), Variant(), Variant(), Variant()});
    for (const Block* b : blocks) {
        const int64_t from = std::max(b->when.from, midnight);
        const int64_t to = std::min(b->when.to, midnight + kMinutesPerDay);
        const bool show = details(*b);
        rows.push_back({kind, code, name, HhmmText(static_cast<int>(from - midnight)),
                        HhmmText(static_cast<int>(to - midnight)),
                        show ? Variant(b->meeting) : Variant(),
                        show ? Variant(b->reference) : Variant()});
    }
}

// GetLivreOcupado(branch, meeting, participants, day, rooms): the busy ranges of the day,
// participants first ("P", in the order given), then the rooms ("S", rooms of the branch
// only). A participant's block names its meeting and reference only when it is a meeting of
// this branch and he is an operator of this branch; otherwise it shows only that he is busy.
Variant GetLivreOcupado(CallContext& ctx) {
    SqlConnection& db = ctx.db();
    const std::string branch = ctx.str(0);
    const std::string meeting = MeetingArg(db, branch, ctx.str(1), false);
    const std::vector<Participant> people = Participants(db, branch, meeting, ctx.str(2));
    const TDateTime day = DateOf(ctx.date(3));
    const auto rooms = BranchRooms(db, branch, ctx.str(4));
    const int64_t midnight = MinuteOf(day);

    const std::vector<Block> activities =
        ActivityBlocks(db, people, day, day + 1, branch, meeting, true);
    const std::vector<Block> bookings =
        rooms.empty() ? std::vector<Block>() : BookingBlocks(db, branch, {day}, meeting, true);
    auto of = [](const std::vector<Block>& all, const std::string& owner) {
        std::vector<const Block*> mine;
        for (const Block& b : all)
            if (b.owner == owner) mine.push_back(&b);
        return mine;
    };
    std::vector<SqlRow> rows;
    for (const Participant& p : people)
        FreeBusyRows(rows, "P", p.code, p.name, of(activities, p.code), midnight,
                     [&](const Block& b) { return p.ofBranch && b.branch == branch; });
    for (const auto& [code, name] : rooms)
        FreeBusyRows(rows, "S", code, name, of(bookings, code), midnight,
                     [](const Block&) { return true; });
    return RowsPacket(FreeBusyFields(), rows);
}

// GetExpedienteFilial(branch): the working hours the suggestions keep to.
Variant GetExpedienteFilial(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {StringField("HRINIEXPFIL", 4),
                                                 StringField("HRFINEXPFIL", 4),
                                                 StringField("DSDIASEXPFIL", 7)};
    const WorkingHours h = ReadWorkingHours(ctx.db(), ctx.str(0));
    return RowsPacket(fields, {{HhmmText(h.startMinute), HhmmText(h.endMinute), h.days}});
}

}  // namespace

void RegisterSchedulingMethods(MethodRegistry& registry) {
    const ParamSpec branch = StrParam("CDFILIAL", 4), meeting = StrParam("NRTAREFA", 10);
    const ParamSpec people = StrParam("DSPARTICIPANTES", 5000);
    registry.add(Method("GetSugereHorario",
                        {branch, meeting, people, NumParam("QTHRREUNIAO"), DateParam("DTINICIAL"),
                         NumParam("QTLUGARES"), StrParam("DSEQUIPSALA", 700)},
                        GetSugereHorario, Access::Read, 0));
    registry.add(Method("GetLivreOcupado",
                        {branch, meeting, people, DateParam("DTDIA"), StrParam("DSSALAS", 1000)},
                        GetLivreOcupado, Access::Read, 0));
    registry.add(Method("GetExpedienteFilial", {branch}, GetExpedienteFilial, Access::Read, 0));
}

}  // namespace zel::appserver
