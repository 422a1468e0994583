#include "appserver/series_occurrences.h"

#include <cmath>
#include <cstdio>

#include "appserver/activity_rules.h"
#include "appserver/meeting_record.h"
#include "appserver/method_support.h"
#include "appserver/methods_rooms.h"
#include "appserver/rpc_error.h"
#include "appserver/sql_value.h"

namespace zel::appserver {

namespace {

TDateTime DateValue(const Variant& v) {
    return ParseSqlDateTime(v.AsString());
}

}  // namespace

SeriesModel ReadSeriesModel(SqlConnection& db, const std::string& branch,
                            const std::string& meeting) {
    SeriesModel m;
    m.branch = branch;
    m.number = meeting;
    m.status = RequireMeeting(db, branch, meeting);  // locks the row on PostgreSQL
    const SqlRow row =
        db.Exec(
              "SELECT DSREFETAREFA, CDPROCESSO, CDOPERRESP, CDPROJETO, CDASSUNTO, DTHRREUNIAO, "
              "QTHRREUNIAO, NRSERIETARE FROM TAREFA WHERE CDFILIAL = ? AND NRTAREFA = ?",
              {branch, meeting})
            .rows.at(0);
    m.header.assign(row.begin(), row.begin() + 5);
    if (row[5].IsNull() || row[6].IsNull() || !(row[6].AsFloat() > 0))
        throw RpcError(code::kBadArguments,
                       "A reunião " + meeting + " não tem data, hora e duração informadas.");
    m.start = DateValue(row[5]);
    m.hours = row[6].AsFloat();
    m.series = row[7].IsNull() ? std::string() : row[7].AsString();
    RequireSameDay(m.start, m.hours, meeting);
    const SqlResult booking = db.Exec(
        "SELECT CDSALA, DSAGENDASALA FROM AGEATIVISALA WHERE CDFILIAL = ? AND NRTAREFA = ? "
        "AND IDSITAGESALA = 'A' ORDER BY DTATIAGESALA, NRSEQAGESALA",
        {branch, meeting});
    if (!booking.rows.empty()) {
        m.room = booking.rows[0][0].AsString();
        m.bookingText = booking.rows[0][1];
    }
    // The activities go along with every occurrence, pending; a cancelled meeting's were
    // cancelled with it, so then all of them are the model.
    m.activities = db.Exec(std::string("SELECT CDPROCESSO, CDOPERRESP, DTINPATIVTAR, "
                                       "DTFIPATIVTAR, QTHRPATIVTAR, CDITEMTRAB FROM PLANATIVTARE "
                                       "WHERE CDFILIAL = ? AND NRTAREFA = ?") +
                               (m.status == "X" ? ""
                                                : " AND (IDSITATIVTAR IS NULL OR "
                                                  "IDSITATIVTAR <> 'X')") +
                               " ORDER BY NRPLATIVTARE",
                           {branch, meeting})
                       .rows;
    return m;
}

std::string RoomName(SqlConnection& db, const std::string& branch, const std::string& room) {
    const SqlResult r =
        db.Exec("SELECT NMSALA FROM SALA WHERE CDFILIAL = ? AND CDSALA = ?", {branch, room});
    return r.rows.empty() ? std::string() : r.rows[0][0].AsString();
}

std::string CreateOccurrence(SqlConnection& db, const SeriesModel& model, TDateTime start,
                             const std::string& series, const Writer& w) {
    const std::string nr = NextMeetingNumber(db, model.branch);
    const SqlRow& h = model.header;
    db.Exec(
        "INSERT INTO TAREFA (CDFILIAL, NRTAREFA, DSREFETAREFA, CDPROCESSO, CDOPERRESP, "
        "CDPROJETO, CDASSUNTO, CDOPERABER, DTABERTAREFA, IDSITTAREFA, IDORIGTARE, DTHRREUNIAO, "
        "QTHRREUNIAO, NRSERIETARE) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, 'P', '4', ?, ?, ?)",
        {model.branch, nr, h[0], h[1], h[2], h[3], h[4], w.op, Variant::FromDateTime(w.now),
         Variant::FromDateTime(start), model.hours, series});
    const double shift = start - model.start;
    auto moved = [shift](const Variant& v) {
        return v.IsNull() ? v : Variant::FromDateTime(DateValue(v) + shift);
    };
    for (const SqlRow& a : model.activities)
        db.Exec(
            "INSERT INTO PLANATIVTARE (CDFILIAL, NRTAREFA, NRPLATIVTARE, CDPROCESSO, CDOPERRESP, "
            "DTINPATIVTAR, DTFIPATIVTAR, QTHRPATIVTAR, DTINCATIVTAR, CDOPERINCL, IDSITATIVTAR, "
            "IDOPERPAREUNIAO, CDITEMTRAB) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 'P', 'N', ?)",
            {model.branch, nr, NextPlanActivityNumber(db, model.branch, nr), a[0], a[1],
             moved(a[2]), moved(a[3]), a[4], Variant::FromDateTime(w.now), w.op, a[5]});
    return nr;
}

bool TryBookRoom(SqlConnection& db, const std::string& branch, const std::string& meeting,
                 const std::string& room, TDateTime start, double hours, const Variant& text,
                 const Writer& w) {
    const BookingHours bh = HoursOf(start, hours);
    if (RoomTaken(db, branch, room, start, bh.from, bh.to)) return false;
    const TDateTime day = DateOf(start);
    const bool savepoint = db.dialect() == Dialect::PostgreSQL;
    if (savepoint) db.ExecScript("SAVEPOINT ZEL_RESERVA");
    try {
        db.Exec(
            "INSERT INTO AGEATIVISALA (CDFILIAL, DTATIAGESALA, NRSEQAGESALA, CDSALA, NRTAREFA, "
            "IDSITAGESALA, DSAGENDASALA, DTINCAGESALA, HRINIAGESALA, HRFINAGESALA, CDOPERADOR) "
            "VALUES (?, ?, ?, ?, ?, 'A', ?, ?, ?, ?, ?)",
            {branch, Variant::FromDateTime(day), NextBookingSequence(db, branch, day), room,
             meeting, text, Variant::FromDateTime(w.now), bh.from, bh.to, w.op});
    } catch (const DbError& e) {
        if (e.kind() != DbError::Kind::ConstraintViolation) throw;
        // SQLite's overlap trigger undoes only its statement; PostgreSQL needs the savepoint.
        if (savepoint) db.ExecScript("ROLLBACK TO SAVEPOINT ZEL_RESERVA");
        return false;
    }
    if (savepoint) db.ExecScript("RELEASE SAVEPOINT ZEL_RESERVA");
    return true;
}

void DropOccurrence(SqlConnection& db, const std::string& branch, const std::string& meeting) {
    const SqlParams k = {branch, meeting};
    db.Exec("DELETE FROM PLANATIVTARE WHERE CDFILIAL = ? AND NRTAREFA = ?", k);
    db.Exec("DELETE FROM TAREFA WHERE CDFILIAL = ? AND NRTAREFA = ?", k);
}

void MoveOccurrence(SqlConnection& db, const std::string& branch, const std::string& meeting,
                    TDateTime newStart, double days, const Writer& w) {
    const SqlParams k = {branch, meeting};
    db.Exec("DELETE FROM AGEATIVISALA WHERE CDFILIAL = ? AND NRTAREFA = ?", k);
    db.Exec("UPDATE TAREFA SET DTHRREUNIAO = ?, CDOPERABER = ? WHERE CDFILIAL = ? AND NRTAREFA = ?",
            {Variant::FromDateTime(newStart), w.op, branch, meeting});
    if (days == 0) return;
    const SqlResult acts = db.Exec(
        "SELECT NRPLATIVTARE, DTINPATIVTAR, DTFIPATIVTAR FROM PLANATIVTARE WHERE CDFILIAL = ? "
        "AND NRTAREFA = ? AND IDSITATIVTAR = 'P'",
        k);
    auto moved = [days](const Variant& v) {
        return v.IsNull() ? v : Variant::FromDateTime(DateValue(v) + days);
    };
    for (const SqlRow& a : acts.rows)
        db.Exec(
            "UPDATE PLANATIVTARE SET DTINPATIVTAR = ?, DTFIPATIVTAR = ?, DTINCATIVTAR = ?, "
            "CDOPERINCL = ? WHERE CDFILIAL = ? AND NRTAREFA = ? AND NRPLATIVTARE = ?",
            {moved(a[1]), moved(a[2]), Variant::FromDateTime(w.now), w.op, branch, meeting, a[0]});
}

}  // namespace zel::appserver
