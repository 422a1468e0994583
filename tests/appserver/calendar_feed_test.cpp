// Calendar feeds over real HTTP, read back with python3-icalendar and dateutil: a weekly series
// keeps its local hour across a change of summer time, a cancelled meeting is marked and then
// drops out, answers show as PARTSTAT, an unchanged feed is answered 304 and a revoked one 404,
// and a token never shows what its owner may not see.
#include <gtest/gtest.h>
#include <httplib.h>

#include <set>

#include "appserver/app_server_impl.h"
#include "appserver/http_encoding.h"
#include "appserver/http_server.h"
#include "appserver/office_setup.h"
#include "calendar_test_support.h"
#include "platform/series_dates.h"

namespace zel::appserver::test {
namespace {

TDateTime Day(int offset, int hour) {
    return DateOf(Now()) + offset + hour / 24.0;
}

class CalendarFeedTest : public ::testing::Test {
  protected:
    void SetUp() override {
        HttpServerOptions h;
        h.port = 0;
        h.threads = 4;
        http = std::make_unique<HttpServer>(srv.Server(), h);
        http->Start();
    }
    // A new feed of the session `token`; returns its token.
    std::string NewFeed(const std::string& kind, const std::string& key = "",
                        const std::string& token = "") {
        const json made = srv.Result("SetCalendario", {kind, "0001", key}, token);
        return Cell(made, 0, "TOKEN").get<std::string>();
    }
    httplib::Result Get(const std::string& token, const std::string& ifNoneMatch = "",
                        const std::string& acceptEncoding = "") {
        httplib::Client client("127.0.0.1", http->Port());
        client.set_decompress(false);  // the bytes as they travel
        httplib::Headers headers;
        if (!ifNoneMatch.empty()) headers.emplace("If-None-Match", ifNoneMatch);
        if (!acceptEncoding.empty()) headers.emplace("Accept-Encoding", acceptEncoding);
        return client.Get(("/calendar/" + token + ".ics").c_str(), headers);
    }
    // The feed as python3-icalendar reads it, rules expanded over the next year.
    json Read(const std::string& token) {
        const auto res = Get(token);
        EXPECT_TRUE(res && res->status == 200) << (res ? res->status : -1);
        if (!res) return nullptr;
        EXPECT_EQ(res->get_header_value("Content-Type"), "text/calendar; charset=utf-8");
        const std::string from = DateTimeToIso(DateOf(Now()) - 40).substr(0, 10);
        const std::string to = DateTimeToIso(DateOf(Now()) + 400).substr(0, 10);
        return ReadCalendarText(res->body, from, to);
    }
    static const json* EventOf(const json& feed, const std::string& nr) {
        for (const json& e : feed.at("events"))
            if (e.at("uid") == "zel-0001-" + nr + "@zel00400") return &e;
        return nullptr;
    }
    static std::set<std::string> Uids(const json& feed) {
        std::set<std::string> out;
        for (const json& e : feed.at("events"))
            out.insert(e.at("uid").get<std::string>());
        return out;
    }

    CalendarServer srv{Backend::SqliteMemory};
    std::unique_ptr<HttpServer> http;
};

TEST_F(CalendarFeedTest, AWeeklySeriesKeepsItsLocalHourAcrossSummerTimeInNewYork) {
    srv.Office([](SqlConnection& c) { office::SetBranchTimeZone(c, "0001", "America/New_York"); });
    const std::string first = srv.NewMeeting(Day(3, 10), 1, "Comitê semanal");
    srv.AddParticipant(first, kAna);
    // Thirty weeks always take in a change of summer time.
    const std::string weekday = std::to_string(IsoWeekday(Day(3, 10)));
    srv.Result("SetSerieReuniao", {"0001", first, "S", weekday, "", 30, "P"});
    const json feed = Read(NewFeed("R", first));
    EXPECT_EQ(feed.at("name"), "Série " + first + " (filial 0001)");
    ASSERT_EQ(feed.at("events").size(), 30u);
    std::set<std::string> utcHours;
    for (const json& e : feed.at("events")) {
        EXPECT_EQ(e.at("tzid"), "America/New_York");
        EXPECT_EQ(e.at("start_local").get<std::string>().substr(11), "10:00:00") << e.dump();
        utcHours.insert(e.at("start_utc").get<std::string>().substr(11));
    }
    EXPECT_EQ(utcHours, (std::set<std::string>{"14:00:00", "15:00:00"}))
        << "the same local hour is another UTC hour in summer";
    // Ana's own feed shows the same meetings on the same clock.
    const json hers = Read(NewFeed("O", "", srv.Login(kAna)));
    const json* one = EventOf(hers, first);
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->at("start_local"), DateTimeToIso(Day(3, 10)));
}

TEST_F(CalendarFeedTest, ACancelledMeetingIsMarkedForThirtyDaysAndAnswersShowAsPartstat) {
    const std::string kept = srv.NewMeeting(Day(40, 9), 1, "Mantida");
    srv.AddParticipant(kept, kAna);
    const std::string dropped = srv.NewMeeting(Day(41, 9), 1, "Cancelada");
    srv.AddParticipant(dropped, kAna);
    srv.Result("SetRespConvite", {"0001", kept, "A"}, srv.Login(kAna));
    srv.Result("GetUpdCancelTarefa", {"0001", dropped});
    const std::string token = NewFeed("O");

    json feed = Read(token);
    EXPECT_EQ(feed.at("name"), "Reuniões de Operador Demonstração");
    const json* a = EventOf(feed, kept);
    const json* x = EventOf(feed, dropped);
    ASSERT_TRUE(a && x) << feed.dump();
    EXPECT_EQ(a->at("status"), "CONFIRMED");
    EXPECT_EQ(a->at("attendees").at(0).at("partstat"), "ACCEPTED");
    EXPECT_EQ(a->at("attendees").at(0).at("address"), "mailto:ana@empresa.test");
    EXPECT_EQ(x->at("status"), "CANCELLED");
    EXPECT_EQ(x->at("sequence"), 2);

    const TDateTime later = Now() + 31;
    srv.Impl().setClock([later] { return later; });
    feed = Read(token);
    EXPECT_NE(EventOf(feed, kept), nullptr);
    EXPECT_EQ(EventOf(feed, dropped), nullptr) << "gone thirty days after its cancellation";
}

TEST_F(CalendarFeedTest, AnUnchangedFeedIs304AChangeIsSeenAndARevokedTokenIs404) {
    const std::string nr = srv.NewMeeting(Day(40, 9), 1, "Alinhamento");
    const std::string token = NewFeed("O");
    const auto first = Get(token);
    ASSERT_TRUE(first && first->status == 200);
    const std::string etag = first->get_header_value("ETag");
    EXPECT_FALSE(etag.empty());
    EXPECT_NE(first->get_header_value("Last-Modified").find(" GMT"), std::string::npos);
    EXPECT_EQ(first->get_header_value("Cache-Control"), "private, no-cache");

    const auto same = Get(token, etag);
    ASSERT_TRUE(same);
    EXPECT_EQ(same->status, 304);
    EXPECT_TRUE(same->body.empty());
    EXPECT_EQ(same->get_header_value("ETag"), etag);
    EXPECT_EQ(Get(token, "\"other\", W/" + etag)->status, 304) << "a weak or listed tag matches";

    srv.Move(nr, Day(40, 11));
    const auto changed = Get(token, etag);
    ASSERT_TRUE(changed);
    EXPECT_EQ(changed->status, 200);
    EXPECT_NE(changed->get_header_value("ETag"), etag);
    EXPECT_EQ(EventOf(ReadCalendarText(changed->body), nr)->at("start_local"),
              DateTimeToIso(Day(40, 11)));

    const json list = srv.Result("GetCalendarios", json::array());
    ASSERT_EQ(list["rows"].size(), 1u);
    EXPECT_EQ(Cell(list, 0, "DSCALEND"), "Minhas reuniões");
    srv.Result("DelCalendario", {Cell(list, 0, "NRCALEND")});
    EXPECT_EQ(Get(token)->status, 404);
    EXPECT_EQ(Get(token, changed->get_header_value("ETag"))->status, 404);
    EXPECT_EQ(Get(std::string(64, '0'))->status, 404);
    EXPECT_EQ(Get("../../etc/passwd")->status, 404);
}

// The server alone decides how answers are compressed: the feed gzipped when the client admits
// gzip (its own tag, 304 for either), nothing else compressed, brotli never (the library's
// brotli would spend half a second of CPU on a large feed, for any client that asks).
TEST_F(CalendarFeedTest, OnlyTheFeedIsCompressedAndOnlyWithGzip) {
    EXPECT_TRUE(AcceptsGzip("gzip"));
    EXPECT_TRUE(AcceptsGzip("br;q=1.0, GZIP;q=0.5"));
    EXPECT_TRUE(AcceptsGzip("deflate, *"));
    EXPECT_FALSE(AcceptsGzip(""));
    EXPECT_FALSE(AcceptsGzip("br, deflate"));
    EXPECT_FALSE(AcceptsGzip("gzip;q=0, br"));
    EXPECT_FALSE(AcceptsGzip("*;q=1, gzip; q=0.000"));

    const std::string nr = srv.NewMeeting(Day(40, 9), 1, "Alinhamento");
    const std::string token = NewFeed("O");
    const auto plain = Get(token);
    ASSERT_TRUE(plain && plain->status == 200);
    EXPECT_FALSE(plain->has_header("Content-Encoding"));
    EXPECT_EQ(plain->get_header_value("Vary"), "Accept-Encoding");

    const auto zipped = Get(token, "", "br, gzip");
    ASSERT_TRUE(zipped && zipped->status == 200);
    EXPECT_EQ(zipped->get_header_value("Content-Encoding"), "gzip");
    EXPECT_EQ(zipped->get_header_value("Vary"), "Accept-Encoding");
    ASSERT_GE(zipped->body.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(zipped->body[0]), 0x1f);
    EXPECT_EQ(static_cast<unsigned char>(zipped->body[1]), 0x8b);
    EXPECT_LT(zipped->body.size(), plain->body.size());
    const std::string zipTag = zipped->get_header_value("ETag");
    EXPECT_NE(zipTag, plain->get_header_value("ETag")) << "two forms, two strong tags";
    {
        httplib::Client inflating("127.0.0.1", http->Port());
        const auto read =
            inflating.Get(("/calendar/" + token + ".ics").c_str(), {{"Accept-Encoding", "gzip"}});
        ASSERT_TRUE(read && read->status == 200);
        EXPECT_EQ(read->body, plain->body);
        EXPECT_NE(EventOf(ReadCalendarText(read->body), nr), nullptr);
    }
    for (const std::string& tag : {zipTag, plain->get_header_value("ETag")}) {
        const auto same = Get(token, tag, "gzip");
        ASSERT_TRUE(same);
        EXPECT_EQ(same->status, 304) << tag;
        EXPECT_EQ(same->get_header_value("ETag"), zipTag);
    }

    for (const char* refused : {"br", "gzip;q=0", "identity"}) {
        const auto r = Get(token, "", refused);
        ASSERT_TRUE(r && r->status == 200);
        EXPECT_FALSE(r->has_header("Content-Encoding")) << refused;
        EXPECT_EQ(r->body, plain->body) << refused;
    }
    // Nothing else is compressed, whatever the client asks.
    httplib::Client client("127.0.0.1", http->Port());
    client.set_decompress(false);
    const httplib::Headers both = {{"Accept-Encoding", "br, gzip"}};
    const auto health = client.Get("/health", both);
    ASSERT_TRUE(health);
    EXPECT_FALSE(health->has_header("Content-Encoding"));
    const auto rpc = client.Post(
        "/rpc", both, R"({"method":"GetAssunto","params":["00001"],"id":1})", "application/json");
    ASSERT_TRUE(rpc);
    EXPECT_FALSE(rpc->has_header("Content-Encoding"));
    EXPECT_EQ(rpc->body.front(), '{');
}

TEST_F(CalendarFeedTest, ATokenNeverShowsWhatItsOwnerMayNotSee) {
    const std::string theirs = srv.NewMeeting(Day(40, 9), 1, "Sem a Carla");
    srv.AddParticipant(theirs, kAna);
    const std::string hers = srv.NewMeeting(Day(41, 9), 1, "Com a Carla");
    srv.AddParticipant(hers, kCarla);
    const std::string carla = srv.Login(kCarla);
    const std::string carlaFeed = NewFeed("O", "", carla);
    const json feed = Read(carlaFeed);
    EXPECT_NE(EventOf(feed, hers), nullptr);
    EXPECT_EQ(EventOf(feed, theirs), nullptr);
    for (const json& e : feed.at("events"))
        EXPECT_TRUE(srv.Value("SELECT COUNT(*) FROM TAREFA T WHERE 'zel-' || T.CDFILIAL || '-' || "
                              "T.NRTAREFA || '@zel00400' = ? AND (T.CDOPERRESP = ? OR EXISTS "
                              "(SELECT 1 FROM PLANATIVTARE P WHERE P.CDFILIAL = T.CDFILIAL AND "
                              "P.NRTAREFA = T.NRTAREFA AND P.CDOPERRESP = ?))",
                              {e.at("uid").get<std::string>(), kCarla, kCarla}) == "1")
            << e.at("uid");
    EXPECT_EQ(srv.Error("SetCalendario", {"S", "0002", "00001"}, carla), "forbidden");
    EXPECT_EQ(srv.Error("SetCalendario", {"S", "0001", "99999"}, carla), "not_found");

    // Bruno's room feed lists exactly the room's meetings, until he loses the branch.
    const std::string bruno = srv.Login(kBruno);
    const std::string roomFeed = NewFeed("S", "00003", bruno);
    const json room = Read(roomFeed);
    EXPECT_EQ(room.at("name"), "Sala Auditório (filial 0001)");
    std::set<std::string> booked;
    for (const SqlRow& r :
         srv.Rows("SELECT DISTINCT B.NRTAREFA FROM AGEATIVISALA B JOIN TAREFA T ON T.CDFILIAL = "
                  "B.CDFILIAL AND T.NRTAREFA = B.NRTAREFA WHERE B.CDFILIAL = '0001' AND B.CDSALA = "
                  "'00003' AND B.IDSITAGESALA = 'A' AND T.DTHRREUNIAO >= ? AND T.DTHRREUNIAO < ?",
                  {Variant::FromDateTime(DateOf(Now()) - 30),
                   Variant::FromDateTime(DateOf(Now()) + 366)}))
        booked.insert("zel-0001-" + r[0].AsString() + "@zel00400");
    EXPECT_FALSE(booked.empty());
    EXPECT_EQ(Uids(room), booked);

    // Another operator cannot revoke his feed: to her it does not exist.
    const json brunos = srv.Result("GetCalendarios", json::array(), bruno);
    EXPECT_EQ(srv.Error("DelCalendario", {Cell(brunos, 0, "NRCALEND")}, carla), "not_found");
    EXPECT_EQ(Get(roomFeed)->status, 200);
    srv.Office([](SqlConnection& c) { office::RevokeBranch(c, kBruno, "0001"); });
    EXPECT_EQ(Get(roomFeed)->status, 404);
    srv.Office([](SqlConnection& c) { office::SetOperatorActive(c, kCarla, false); });
    EXPECT_EQ(Get(carlaFeed)->status, 404);
}

}  // namespace
}  // namespace zel::appserver::test
