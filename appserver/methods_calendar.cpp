// GetCalendReuniao(CDFILIAL, NRTAREFA): one row per person of the meeting, the responsible
// first (IDPAPEL "R", blank codes when the meeting has none), then each participant ("P") with
// his answer, every row repeating the meeting's own columns: its times on the branch's clock
// with the branch's zone (DTINICIO, DTFIM, DSFUSO; DSFUSO empty when the zone has no name) and
// as UTC instants (DTINIUTC, DTFIMUTC).
//
// The revision (NRSEQCALEND) is the one calendars follow: it rises with every change of what
// a calendar shows (time, room, texts, status, attendees), kept by the calendar reconciliation
// (calendar_reconciler.h) together with the room's name, because a cancelled meeting's booking
// is gone but its cancellation still names where it was to be.
#include "appserver/methods_calendar.h"

#include "appserver/calendar_reconciler.h"
#include "appserver/calendar_state.h"
#include "appserver/method_support.h"
#include "appserver/methods_calendar_feeds.h"
#include "appserver/methods_invitations.h"
#include "appserver/rpc_error.h"
#include "calendar/time_zones.h"

namespace zel::appserver {

namespace {

using T = TFieldType;

const std::vector<FieldDef>& CalendarFields() {
    static const std::vector<FieldDef> fields = {
        StringField("CDFILIAL", 4),       StringField("NRTAREFA", 10),
        StringField("DSREFETAREFA", 100), StringField("NMASSUNTO", 50),
        Field("DTINIUTC", T::ftDateTime), Field("DTFIMUTC", T::ftDateTime),
        Field("DTATUUTC", T::ftDateTime), StringField("IDSITTAREFA", 1),
        StringField("NMSALA", 30),        Field("NRSEQCALEND", T::ftInteger),
        StringField("IDPAPEL", 1),        StringField("CDOPERADOR", 12),
        StringField("NMOPERADOR", 40),    StringField("DSEMAIL", 100),
        Field("DTINICIO", T::ftDateTime), Field("DTFIM", T::ftDateTime),
        StringField("DSFUSO", 64),        StringField("IDRESPOSTA", 1),
        StringField("DSMOTCANCEL", 200)};
    return fields;
}

Variant Text(const std::string& s) {
    return s.empty() ? Variant() : Variant(s);
}

Variant GetCalendReuniao(CallContext& ctx, const MailSettings* mail) {
    const std::string branch = ctx.str(0), nr = ctx.str(1);
    // A meeting changed where no call saw it is brought up to date (and its people told).
    ReconcileMeetingCalendar(ctx.db(), branch, nr, ctx.now(), mail);
    const std::optional<MeetingCalendarState> s = ReadMeetingCalendarState(ctx.db(), branch, nr);
    if (!s)
        throw RpcError(code::kNotFound,
                       "Reunião " + nr + " não cadastrada na filial " + branch + ".");
    if (!s->hasStart)
        throw RpcError(code::kConflict, "Reunião " + nr + " sem data e hora de início.");
    const SqlResult stored = ctx.db().Exec(
        "SELECT NRSEQCALEND, DSLOCAL FROM CALENDREUNIAO WHERE CDFILIAL = ? AND NRTAREFA = ?",
        {branch, nr});
    const long long seq = stored.rows.empty() ? 0 : stored.rows[0][0].AsInteger();
    std::string room = s->roomName;
    if (room.empty() && !stored.rows.empty() && !stored.rows[0][1].IsNull())
        room = stored.rows[0][1].AsString();

    const Variant startUtc = Variant::FromDateTime(ZoneToUtc(s->start, s->zone));
    const Variant endUtc = Variant::FromDateTime(ZoneToUtc(s->End(), s->zone));
    const Variant stamp = Variant::FromDateTime(ServerUtc(ctx.now()));
    std::vector<SqlRow> rows;
    auto add = [&](const char* role, const CalendarPerson& p) {
        rows.push_back({Variant(branch), Variant(nr), Text(s->reference), Text(s->subject),
                        startUtc, endUtc, stamp, Variant(s->status), Text(room), Variant(seq),
                        Variant(role), Text(p.code), Text(p.name), Text(p.email),
                        Variant::FromDateTime(s->start), Variant::FromDateTime(s->End()),
                        Variant(s->zone), Text(p.answer), Text(s->cancelReason)});
    };
    add("R", s->organiser);
    for (const CalendarPerson& p : s->participants)
        add("P", p);
    return RowsPacket(CalendarFields(), rows);
}

}  // namespace

void RegisterCalendarMethods(MethodRegistry& registry, const MailSettings* mail) {
    registry.add(Method(
        "GetCalendReuniao",
        {{"CDFILIAL", ParamKind::String, 4}, {"NRTAREFA", ParamKind::String, 10}},
        [mail](CallContext& ctx) { return GetCalendReuniao(ctx, mail); }, Access::Write, 0));
    RegisterCalendarFeedMethods(registry);
    RegisterInvitationMethods(registry);
}

}  // namespace zel::appserver
