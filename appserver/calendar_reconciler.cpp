#include "appserver/calendar_reconciler.h"

#include <map>
#include <optional>
#include <set>
#include <utility>

#include "appserver/calendar_state.h"
#include "appserver/feed_stamps.h"
#include "appserver/mail_outbox.h"
#include "appserver/packet_builder.h"
#include "calendar/invitation_mail.h"
#include "platform/routines.h"

namespace zel::appserver {

namespace {

std::string Str(const Variant& v) {
    return v.IsNull() ? std::string() : TrimAll(v.AsString());
}

TDateTime Moment(const Variant& v) {
    return v.IsNull() ? 0 : FromSqlValue(Field("D", TFieldType::ftDateTime), v).AsDateTime();
}

Variant OrNull(const std::string& s) {
    return s.empty() ? Variant() : Variant(s);
}

// What calendars last heard of a meeting (CALENDREUNIAO).
struct Stored {
    long long sequence = -1;  // -1: the meeting was never reconciled
    std::string digest, roomName, roomCode, responsible, series, summary;
    Variant cancelledAt;
    TDateTime start = 0, end = 0;
};

// A person of the meeting as calendars last knew him (CALENDCONVIDADO).
struct StoredPerson {
    std::string code, name, email, method;
};

class MeetingReconciler {
  public:
    MeetingReconciler(SqlConnection& db, std::string branch, std::string nr, TDateTime now,
                      const MailSettings* mail, FeedStamps& stamps)
        : m_db(db),
          m_branch(std::move(branch)),
          m_nr(std::move(nr)),
          m_now(now),
          m_mail(mail && mail->Configured() ? mail : nullptr),
          m_stamps(stamps) {}

    int Run() {
        // The calendar row is locked before the meeting is read: a transaction that changed
        // the same meeting at the same time (another of its activities, its booking) has then
        // committed, and its change is part of what is compared and told here.
        const Stored before = lockStored();
        const std::optional<MeetingCalendarState> state =
            ReadMeetingCalendarState(m_db, m_branch, m_nr);
        if (!state)
            forgetDeleted(before);
        else
            follow(*state, before);
        return m_queued;
    }

  private:
    SqlParams key() const { return {m_branch, m_nr}; }

    // Locks the meeting's calendar row (PostgreSQL), creating it first (revision -1: never
    // reconciled), so two transactions reconciling one meeting take turns and the second sees
    // what the first did. A deleted meeting's row goes again in forgetDeleted.
    Stored lockStored() {
        m_db.Exec(
            "INSERT INTO CALENDREUNIAO (CDFILIAL, NRTAREFA, NRSEQCALEND, DSASSINATURA) "
            "VALUES (?, ?, -1, '') ON CONFLICT (CDFILIAL, NRTAREFA) DO NOTHING",
            key());
        const bool pg = m_db.dialect() == Dialect::PostgreSQL;
        const SqlResult r = m_db.Exec(
            std::string("SELECT NRSEQCALEND, DSASSINATURA, DSLOCAL, CDSALA, CDOPERRESP, "
                        "NRSERIETARE, DTCANCEL, DSRESUMO, DTINICIO, DTFIM FROM CALENDREUNIAO "
                        "WHERE CDFILIAL = ? AND NRTAREFA = ?") +
                (pg ? " FOR UPDATE" : ""),
            key());
        const SqlRow& row = r.rows.at(0);
        Stored s;
        s.sequence = row[0].AsInteger();
        s.digest = Str(row[1]);
        s.roomName = Str(row[2]);
        s.roomCode = Str(row[3]);
        s.responsible = Str(row[4]);
        s.series = Str(row[5]);
        s.cancelledAt = row[6];
        s.summary = Str(row[7]);
        s.start = Moment(row[8]);
        s.end = Moment(row[9]);
        return s;
    }

    std::vector<StoredPerson> storedPeople() {
        std::vector<StoredPerson> out;
        for (const SqlRow& row :
             m_db.Exec("SELECT C.CDOPERADOR, O.NMOPERADOR, C.DSEMAIL, C.IDMETODO FROM "
                       "CALENDCONVIDADO C LEFT JOIN OPERADOR O ON O.CDOPERADOR = C.CDOPERADOR "
                       "WHERE C.CDFILIAL = ? AND C.NRTAREFA = ? ORDER BY C.CDOPERADOR",
                       key())
                 .rows)
            out.push_back({Str(row[0]), Str(row[1]), Str(row[2]), Str(row[3])});
        return out;
    }

    void stampOld(const Stored& s, const std::vector<StoredPerson>& people) {
        m_stamps.Operator(s.responsible);
        m_stamps.Room(m_branch, s.roomCode);
        m_stamps.Series(m_branch, s.series);
        for (const StoredPerson& p : people)
            m_stamps.Operator(p.code);
    }

    void queue(InvitationKind kind, const CalendarMeeting& m, const CalendarPerson& to,
               const char* method) {
        InvitationMail mail;
        mail.from = {m_mail->fromName, m_mail->from};
        mail.to = {to.name, to.email};
        mail.messageId = NewMessageId(m_mail->from);
        mail.dateUtc = ServerUtc(m_now);
        mail.kind = kind;
        mail.meeting = m;
        mail.recipient = to;
        QueuedMail q;
        q.messageId = mail.messageId;
        q.to = to.email;
        q.subject = InvitationSubject(mail);
        q.text = InvitationMessage(mail);
        q.branch = m_branch;
        q.meeting = m_nr;
        q.recipientCode = to.code;
        q.method = method;
        q.sequence = m.sequence;
        QueueMail(m_db, q, m_now);
        ++m_queued;
    }

    void remember(const std::string& code, const std::string& sentTo, const std::string& method,
                  Variant sequence) {
        m_db.Exec(
            "INSERT INTO CALENDCONVIDADO (CDFILIAL, NRTAREFA, CDOPERADOR, DSEMAIL, IDMETODO, "
            "NRSEQENVIO) VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT (CDFILIAL, NRTAREFA, CDOPERADOR) "
            "DO UPDATE SET DSEMAIL = EXCLUDED.DSEMAIL, IDMETODO = EXCLUDED.IDMETODO, "
            "NRSEQENVIO = COALESCE(EXCLUDED.NRSEQENVIO, CALENDCONVIDADO.NRSEQENVIO)",
            {m_branch, m_nr, code, OrNull(sentTo), OrNull(method), std::move(sequence)});
    }

    // A meeting whose calendar texts changed: new revision, feeds told, people told.
    void follow(const MeetingCalendarState& now, const Stored& before) {
        const std::string digest = now.Digest();
        const bool fresh = before.sequence < 0;
        if (!fresh && digest == before.digest) return;
        const long long sequence = fresh ? (now.Cancelled() ? 1 : 0) : before.sequence + 1;
        MeetingCalendarState state = now;
        // A cancelled meeting's booking is gone; calendars keep naming where it was to be.
        if (state.roomName.empty() && state.Cancelled()) {
            state.roomName = before.roomName;
            state.roomCode = before.roomCode;
        }
        const CalendarMeeting m =
            ToCalendarMeeting(state, static_cast<int>(sequence), ServerUtc(m_now));
        record(state, before, digest, m);
        const std::vector<StoredPerson> people = storedPeople();
        stampOld(before, people);
        m_stamps.Operator(state.responsible);
        m_stamps.Room(m_branch, state.roomCode);
        m_stamps.Series(m_branch, state.series);
        tellPeople(state, m, people);
    }

    void record(const MeetingCalendarState& state, const Stored& before, const std::string& digest,
                const CalendarMeeting& m) {
        const Variant cancelledAt = !state.Cancelled()            ? Variant()
                                    : before.cancelledAt.IsNull() ? Variant::FromDateTime(m_now)
                                                                  : before.cancelledAt;
        m_db.Exec(
            "UPDATE CALENDREUNIAO SET NRSEQCALEND = ?, DSASSINATURA = ?, DSLOCAL = ?, CDSALA = ?, "
            "CDOPERRESP = ?, NRSERIETARE = ?, DTCANCEL = ?, DTALTERACAO = ?, DSRESUMO = ?, "
            "DTINICIO = ?, DTFIM = ? WHERE CDFILIAL = ? AND NRTAREFA = ?",
            {static_cast<long long>(m.sequence), digest,
             OrNull(std::string(Utf8Prefix(state.roomName, 30))), OrNull(state.roomCode),
             OrNull(state.responsible), OrNull(state.series), cancelledAt,
             Variant::FromDateTime(m_now), std::string(Utf8Prefix(m.Summary(), 100)),
             state.hasStart ? Variant::FromDateTime(state.start) : Variant(),
             state.hasStart ? Variant::FromDateTime(state.End()) : Variant(), m_branch, m_nr});
    }

    // Everyone who left the meeting is forgotten (and told, when he was invited); everyone in
    // it gets this revision when mail goes out for the meeting.
    void tellPeople(const MeetingCalendarState& state, const CalendarMeeting& m,
                    const std::vector<StoredPerson>& people) {
        // Mail only for a meeting still to come.
        const bool mail = m_mail && state.hasStart && state.End() >= m_now;
        std::set<std::string> current;
        for (const CalendarPerson& p : state.participants)
            current.insert(p.code);
        std::map<std::string, const StoredPerson*> known;
        for (const StoredPerson& p : people) {
            known[p.code] = &p;
            if (current.count(p.code)) continue;
            if (mail && p.method == "R" && !p.email.empty())
                queue(state.Cancelled() ? InvitationKind::Cancelled : InvitationKind::Uninvited, m,
                      {p.code, p.name, p.email, ""}, "C");
            m_db.Exec(
                "DELETE FROM CALENDCONVIDADO WHERE CDFILIAL = ? AND NRTAREFA = ? AND "
                "CDOPERADOR = ?",
                {m_branch, m_nr, p.code});
        }
        for (const CalendarPerson& p : state.participants) {
            const auto it = known.find(p.code);
            std::string method = it == known.end() ? "" : it->second->method;
            std::string sentTo = it == known.end() ? "" : it->second->email;
            Variant mailed;
            if (mail && p.code != state.responsible)
                tell(m, p, state.Cancelled(), method, sentTo, mailed);
            remember(p.code, sentTo, method, mailed);
        }
    }

    // The mail one participant gets for this revision; updates what he was last sent.
    void tell(const CalendarMeeting& m, const CalendarPerson& p, bool cancelled,
              std::string& method, std::string& sentTo, Variant& mailed) {
        const bool invited = method == "R" && !sentTo.empty();
        CalendarPerson before = p;
        before.email = sentTo;
        if (cancelled) {
            if (!invited) return;
            queue(InvitationKind::Cancelled, m, before, "C");
            method = "C";
        } else if (!p.email.empty()) {
            // A new address: the old one is told he is out, the new one invited.
            if (invited && sentTo != p.email) queue(InvitationKind::Uninvited, m, before, "C");
            queue(invited ? InvitationKind::Update : InvitationKind::Invite, m, p, "R");
            method = "R";
            sentTo = p.email;
        } else if (invited) {
            // His address was removed: the invitation he holds is withdrawn.
            queue(InvitationKind::Uninvited, m, before, "C");
            method = "C";
        } else {
            return;
        }
        mailed = Variant(static_cast<long long>(m.sequence));
    }

    // A deleted meeting: everyone invited is told it is off, and calendars forget it.
    void forgetDeleted(const Stored& before) {
        const std::vector<StoredPerson> people = storedPeople();
        stampOld(before, people);
        if (m_mail && before.sequence >= 0 && before.end != 0 && before.end >= m_now) {
            MeetingCalendarState state;
            state.branch = m_branch;
            state.number = m_nr;
            state.reference = before.summary;
            state.status = "X";
            state.roomName = before.roomName;
            state.zone = BranchTimeZone(m_db, m_branch);
            state.hasStart = true;
            state.start = before.start;
            state.hours = (before.end - before.start) * 24.0;
            const SqlResult o = m_db.Exec(
                "SELECT CDOPERADOR, NMOPERADOR, DSEMAIL FROM OPERADOR WHERE CDOPERADOR = ?",
                {before.responsible});
            if (!o.rows.empty())
                state.organiser = {Str(o.rows[0][0]), Str(o.rows[0][1]), Str(o.rows[0][2]), ""};
            for (const StoredPerson& p : people)
                if (p.method == "R" || p.method.empty())
                    state.participants.push_back({p.code, p.name, p.email, ""});
            const CalendarMeeting m =
                ToCalendarMeeting(state, static_cast<int>(before.sequence + 1), ServerUtc(m_now));
            for (const StoredPerson& p : people)
                if (p.method == "R" && !p.email.empty())
                    queue(InvitationKind::Cancelled, m, {p.code, p.name, p.email, ""}, "C");
        }
        m_db.Exec("DELETE FROM CALENDCONVIDADO WHERE CDFILIAL = ? AND NRTAREFA = ?", key());
        m_db.Exec("DELETE FROM CALENDREUNIAO WHERE CDFILIAL = ? AND NRTAREFA = ?", key());
    }

    SqlConnection& m_db;
    std::string m_branch, m_nr;
    TDateTime m_now;
    const MailSettings* m_mail;
    FeedStamps& m_stamps;
    int m_queued = 0;
};

}  // namespace

bool CalendarMarksPending(SqlConnection& db) {
    return !db.Exec("SELECT 1 FROM CALENDMARCA LIMIT 1").rows.empty();
}

int ReconcileCalendars(SqlConnection& db, TDateTime now, const MailSettings* mail) {
    const bool pg = db.dialect() == Dialect::PostgreSQL;
    // On PostgreSQL a mark another transaction is reconciling is left to it.
    const SqlResult marks =
        db.Exec(std::string("SELECT NRMARCA, CDFILIAL, NRTAREFA FROM CALENDMARCA ORDER BY "
                            "NRMARCA") +
                (pg ? " FOR UPDATE SKIP LOCKED" : ""));
    if (marks.rows.empty()) return 0;
    std::set<std::pair<std::string, std::string>> meetings;
    for (const SqlRow& row : marks.rows) {
        meetings.emplace(row[1].AsString(), row[2].AsString());
        if (pg) db.Exec("DELETE FROM CALENDMARCA WHERE NRMARCA = ?", {row[0]});
    }
    // SQLite has one writer at a time: every mark there is this transaction's to take.
    if (!pg) db.Exec("DELETE FROM CALENDMARCA WHERE NRMARCA <= ?", {marks.rows.back()[0]});
    FeedStamps stamps;
    int queued = 0;
    for (const auto& [branch, nr] : meetings)
        queued += MeetingReconciler(db, branch, nr, now, mail, stamps).Run();
    stamps.Bump(db, now);
    return queued;
}

int ReconcileMeetingCalendar(SqlConnection& db, const std::string& branch, const std::string& nr,
                             TDateTime now, const MailSettings* mail) {
    FeedStamps stamps;
    const int queued = MeetingReconciler(db, branch, nr, now, mail, stamps).Run();
    stamps.Bump(db, now);
    return queued;
}

}  // namespace zel::appserver
