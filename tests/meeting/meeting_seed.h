// Meetings for the window tests, written straight into the in-process server's database on
// days far beyond the demo data's weeks, so no demo booking or meeting is in the way.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "appserver/app_server.h"
#include "appserver/app_server_impl.h"
#include "platform/date_time.h"

namespace meeting_seed {

class Seeder {
  public:
    // `server` is the fixture's, made in its SetUp: read at every use.
    explicit Seeder(const std::unique_ptr<zel::appserver::AppServer>& server) : m_server(server) {}

    void Exec(const std::string& sql, const zel::appserver::SqlParams& params = {}) {
        m_server->Impl().db().Transact(true, [&](zel::appserver::SqlConnection& c) {
            c.Exec(sql, params);
            return 0;
        });
    }
    std::vector<zel::appserver::SqlRow> Rows(const std::string& sql,
                                             const zel::appserver::SqlParams& params = {}) {
        return m_server->Impl().db().Transact(
            false, [&](zel::appserver::SqlConnection& c) { return c.Exec(sql, params).rows; });
    }

    // Day `offset` from the server's today at hh:mm.
    TDateTime Day(int offset, int hh = 0, int mm = 0) {
        return DateOf(m_server->Impl().now()) + offset + (hh * 60 + mm) / 1440.0;
    }

    // A pending meeting of branch 0001 with the demo operator responsible, day `offset` at
    // hh:00 for `hours`, process "Participar de Reunião".
    void Meeting(const std::string& nr, const std::string& ref, int offset, int hh = 9,
                 double hours = 1.0, const std::string& status = "P") {
        Exec(
            "INSERT INTO TAREFA (CDFILIAL, NRTAREFA, DSREFETAREFA, CDPROCESSO, CDOPERRESP, "
            "CDOPERABER, DTABERTAREFA, IDSITTAREFA, IDORIGTARE, DTHRREUNIAO, QTHRREUNIAO) "
            "VALUES ('0001', ?, ?, '0000000002', '000000000001', '000000000001', ?, ?, '4', ?, "
            "?)",
            {nr, ref, Variant::FromDateTime(Day(0)), status, Variant::FromDateTime(Day(offset, hh)),
             hours});
    }
    // A participation activity of `resp` in meeting `nr`.
    void Activity(const std::string& nr, const std::string& number, const std::string& resp,
                  const std::string& status = "P") {
        Exec(
            "INSERT INTO PLANATIVTARE (CDFILIAL, NRTAREFA, NRPLATIVTARE, CDPROCESSO, "
            "CDOPERRESP, QTHRPATIVTAR, IDSITATIVTAR, IDOPERPAREUNIAO) "
            "VALUES ('0001', ?, ?, '0000000002', ?, 1, ?, 'N')",
            {nr, number, resp, status});
    }
    // A booking of room `room` for meeting `nr` on day `offset`, "hhmm" to "hhmm".
    void Booking(const std::string& nr, const std::string& room, int offset,
                 const std::string& start, const std::string& end, const std::string& seq) {
        Exec(
            "INSERT INTO AGEATIVISALA (CDFILIAL, DTATIAGESALA, NRSEQAGESALA, CDSALA, NRTAREFA, "
            "IDSITAGESALA, HRINIAGESALA, HRFINAGESALA) VALUES ('0001', ?, ?, ?, ?, 'A', ?, ?)",
            {Variant::FromDateTime(Day(offset)), seq, room, nr, start, end});
    }
    // An agenda item of meeting `nr`.
    void AgendaItem(const std::string& nr, const std::string& item, const std::string& subject) {
        Exec(
            "INSERT INTO ITEMTAREFA (CDFILIAL, NRTAREFA, NRSEQUITTARE, DSREFEITTARE, "
            "NRPRIOITTARE, CDOPERRESP, DTINCLITTARE, TXPLANITTARE, CDOPERADOR) "
            "VALUES ('0001', ?, ?, ?, '1', '000000000002', ?, 'Nota', '000000000001')",
            {nr, item, subject, Variant::FromDateTime(Day(-3))});
    }

  private:
    const std::unique_ptr<zel::appserver::AppServer>& m_server;
};

}  // namespace meeting_seed
