// Rooms and bookings over RPC: free rooms and collisions with half-open windows, the booking
// of a meeting, booking change packets with the overlap rule, sequences, freeing a room, and
// many clients racing for one room.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <set>
#include <thread>

#include <unistd.h>

#include "meeting_fixture.h"

namespace zel::appserver::test {
namespace {

class RoomsTest : public MeetingFixture {
  protected:
    static constexpr int kDay = 40;
    Values Booking(const std::string& nr, const std::string& room, const std::string& from,
                   const std::string& to, int day = kDay) {
        return {{"CDFILIAL", "0001"},
                {"NRTAREFA", nr},
                {"CDSALA", room},
                {"DTATIAGESALA", Day(day)},
                {"NRSEQAGESALA", HandedOutSequence(day)},
                {"IDSITAGESALA", "A"},
                {"DSAGENDASALA", "Teste"},
                {"HRINIAGESALA", from},
                {"HRFINAGESALA", to},
                {"CDOPERADOR", "000000000004"}};
    }
    json Book(const Values& b) {
        return srv->Call("SetSalas", {ChangesOf(BookingLayout(), {Insert(BookingLayout(), b)})});
    }
    Strings FreeRooms(const std::string& from, const std::string& to) {
        return Column(srv->Result("GetSalas", {"0001", Day(kDay), from, to}), "CDSALA");
    }
    std::string Bookings(const std::string& room) {
        return srv->Value(
            "SELECT COUNT(*) FROM AGEATIVISALA WHERE CDFILIAL = '0001' AND CDSALA = ? "
            "AND DTATIAGESALA >= ?",
            {room, Variant::FromDateTime(DateOf(Now()) + kDay)});
    }
};

TEST_P(RoomsTest, FreeRoomsLeaveOutOnlyRoomsBookedInsideTheHalfOpenWindow) {
    const std::string nr = NewMeeting("P");
    ASSERT_FALSE(Book(Booking(nr, "00002", "0900", "1000")).contains("error"));
    const Strings all = {"00001", "00002", "00003", "00004", "00005"};
    EXPECT_EQ(FreeRooms("0800", "0900"), all);  // ends where the booking starts
    EXPECT_EQ(FreeRooms("1000", "1100"), all);  // starts where it ends
    const Strings without2 = {"00001", "00003", "00004", "00005"};
    EXPECT_EQ(FreeRooms("0859", "0901"), without2);
    EXPECT_EQ(FreeRooms("0930", "0945"), without2);
    EXPECT_EQ(FreeRooms("0800", "1200"), without2);
    // Another day is not affected.
    EXPECT_EQ(Column(srv->Result("GetSalas", {"0001", Day(kDay + 1), "0900", "1000"}), "CDSALA"),
              all);
    const json salas = srv->Result("GetSalas", {"0001", Day(kDay), "0900", "1000"});
    EXPECT_EQ(Layout(salas),
              (Strings{"CDFILIAL:string:4", "CDSALA:string:5", "NMSALA:string:30",
                       "QTCAPACSALA:integer:0", "DSEQUIPSALA:string:700", "IDCABE:string:1"}));
    // The meeting's own room comes back with GetSalas2, other rooms stay as they are.
    const json own = srv->Call("GetSalas2", {"0001", Day(kDay), "00002", "0900", "1000"});
    EXPECT_EQ(Column(own["result"], "CDSALA"), all);
}

TEST_P(RoomsTest, FindSalaAndTheMeetingsBookingAreFoundByRoomDayAndWindow) {
    const std::string nr = NewMeeting("P");
    ASSERT_FALSE(Book(Booking(nr, "00003", "1400", "1530")).contains("error"));
    EXPECT_EQ(
        Column(srv->Result("getFindSala", {"0001", Day(kDay), "1500", "1600", "00003"}), "NMSALA"),
        Strings{"Auditório"});
    EXPECT_TRUE(
        srv->Result("getFindSala", {"0001", Day(kDay), "1530", "1600", "00003"})["rows"].empty());
    EXPECT_TRUE(
        srv->Result("getFindSala", {"0001", Day(kDay), "1400", "1530", "00001"})["rows"].empty());

    const json booking =
        srv->Result("GetAgeAtiviSala", {"0001", "00003", Day(kDay, 14), "1400", "1530"});
    EXPECT_EQ(Layout(booking), LayoutOf(BookingLayout()));
    ASSERT_EQ(booking["rows"].size(), 1u);
    EXPECT_EQ(Cell(booking, 0, "NRTAREFA"), nr);
    EXPECT_EQ(Cell(booking, 0, "NMSALA"), "Auditório");
    EXPECT_TRUE(srv->Result("GetAgeAtiviSala", {"0001", "", Day(kDay), "", ""})["rows"].empty());

    const json dados = srv->Result("GetDadosSalas", {"0001", "00003", Day(kDay), "1400", "1530"});
    EXPECT_EQ(Layout(dados),
              (Strings{"CDFILIAL:string:4", "CDSALA:string:5", "DTATIAGESALA:datetime:0",
                       "NRSEQAGESALA:string:5", "HRINIAGESALA:string:4", "HRFINAGESALA:string:4"}));
    ASSERT_EQ(dados["rows"].size(), 1u);

    // Freeing it by its key; a second time finds nothing and is no error.
    const json key = {"0001", "00003", Cell(dados, 0, "DTATIAGESALA"),
                      Cell(dados, 0, "NRSEQAGESALA")};
    EXPECT_EQ(srv->Result("GetDelSala", key), 1);
    EXPECT_EQ(srv->Result("GetDelSala", key), 0);
    EXPECT_EQ(Bookings("00003"), "0");
}

TEST_P(RoomsTest, RoomLookupsFindActiveRoomsOfTheBranch) {
    EXPECT_EQ(Column(srv->Result("getVdSala", {"0001", "00004"}), "NMSALA"),
              Strings{"Sala da Diretoria"});
    EXPECT_TRUE(srv->Result("getVdSala", {"0001", "99999"})["rows"].empty());
    EXPECT_EQ(srv->Result("GetPesqSala", {"0001", ""})["rows"].size(), 5u);
    EXPECT_EQ(Column(srv->Result("GetPesqSala", {"0002", "00001"}), "NMSALA"), Strings{"Sala Sul"});
    srv->Exec("UPDATE SALA SET IDATIVO = 'N' WHERE CDFILIAL = '0001' AND CDSALA = '00005'");
    EXPECT_TRUE(srv->Result("getVdSala", {"0001", "00005"})["rows"].empty());
    EXPECT_EQ(FreeRooms("0900", "1000").size(), 4u);
}

TEST_P(RoomsTest, MalformedTimesAndForeignBranchesAreRefused) {
    EXPECT_EQ(srv->Error("GetSalas", {"0001", Day(kDay), "9:00", "1000"}), "bad_arguments");
    EXPECT_EQ(srv->Error("GetSalas", {"0001", Day(kDay), "1000", "0900"}), "bad_arguments");
    EXPECT_EQ(srv->Error("getFindSala", {"0001", Day(kDay), "0900", "2460", "00001"}),
              "bad_arguments");
    EXPECT_EQ(srv->Error("GetSalas", {"0001", Day(kDay), "09000", "1000"}), "too_long");
    const std::string ana = srv->Login("000000000002", "0001");
    const json r = srv->Call("GetSalas", {"0002", Day(kDay), "0900", "1000"}, ana);
    EXPECT_EQ(r["error"]["code"], "forbidden");
}

TEST_P(RoomsTest, RoomsDayListsEveryRoomWithItsActiveBookingsOfTheSessionsBranchOnly) {
    const std::string a = NewMeeting("P", kDay, 9, 1.0, "Planejamento anual");
    const std::string b = NewMeeting("P", kDay, 14, 1.5, "Revisão");
    const std::string c = NewMeeting("P", kDay + 1);
    ASSERT_FALSE(Book(Booking(b, "00002", "1400", "1530")).contains("error"));
    ASSERT_FALSE(Book(Booking(a, "00002", "0900", "1000")).contains("error"));
    ASSERT_FALSE(Book(Booking(c, "00003", "0900", "1000", kDay + 1)).contains("error"));
    // A booking given up no longer shows.
    srv->Exec("UPDATE AGEATIVISALA SET IDSITAGESALA = 'C' WHERE NRTAREFA = ?", {c});
    ASSERT_FALSE(Book(Booking(c, "00004", "1000", "1100", kDay)).contains("error"));

    const json day = srv->Result("GetAgendaSalasDia", {Day(kDay, 15)});
    EXPECT_EQ(Column(day, "CDSALA"),
              (Strings{"00001", "00002", "00002", "00003", "00004", "00005"}));
    EXPECT_EQ(Column(day, "NRTAREFA"), (Strings{"null", a, b, "null", c, "null"}));
    EXPECT_EQ(Column(day, "DSREFETAREFA")[1], "Planejamento anual");
    EXPECT_EQ(Column(day, "HRINIAGESALA")[2], "1400");
    EXPECT_EQ(Column(day, "HRFINAGESALA")[2], "1530");
    // The branch is the session's: another branch's rooms, and no argument names a branch.
    const std::string bruno = srv->Login("000000000003", "0002");
    const json south = srv->Call("GetAgendaSalasDia", {Day(kDay)}, bruno)["result"];
    EXPECT_EQ(Column(south, "NMSALA"), Strings{"Sala Sul"});
    EXPECT_EQ(Column(south, "NRTAREFA"), Strings{"null"});
    // An inactive room still shows the booking it holds, and only then.
    srv->Exec(
        "UPDATE SALA SET IDATIVO = 'N' WHERE CDFILIAL = '0001' AND CDSALA IN ('00002', "
        "'00005')");
    EXPECT_EQ(Column(srv->Result("GetAgendaSalasDia", {Day(kDay)}), "CDSALA"),
              (Strings{"00001", "00002", "00002", "00003", "00004"}));

    EXPECT_EQ(srv->Error("GetAgendaSalasDia", {"amanhã"}), "bad_arguments");
    EXPECT_EQ(srv->Error("GetAgendaSalasDia", json::array()), "bad_arguments");
    EXPECT_EQ(srv->Call("GetAgendaSalasDia", {Day(kDay)}, "")["error"]["code"], "unauthenticated");
}

TEST_P(RoomsTest, OverlappingBookingIsRefusedWholeAndTouchingOnesAreAccepted) {
    const std::string a = NewMeeting("P"), b = NewMeeting("P"), c = NewMeeting("P");
    ASSERT_FALSE(Book(Booking(a, "00001", "0900", "1000")).contains("error"));
    // Back to back on both sides.
    EXPECT_FALSE(Book(Booking(b, "00001", "1000", "1100")).contains("error"));
    const json r = Book(Booking(c, "00001", "0800", "0901"));
    EXPECT_EQ(r["error"]["code"], "conflict");
    EXPECT_EQ(r["error"]["message"], "Sala já está reservada para este horário.");
    // A packet whose second row collides leaves its first row out too.
    const json packet =
        ChangesOf(BookingLayout(), {Insert(BookingLayout(), Booking(c, "00002", "0800", "0900")),
                                    Insert(BookingLayout(), Booking(c, "00001", "0930", "0945"))});
    EXPECT_EQ(srv->Call("SetSalas", {packet})["error"]["code"], "conflict");
    EXPECT_EQ(Bookings("00002"), "0");
    EXPECT_EQ(Bookings("00001"), "2");
}

TEST_P(RoomsTest, MovingABookingIsCheckedAgainstOthersButNotItself) {
    const std::string a = NewMeeting("P"), b = NewMeeting("P");
    ASSERT_FALSE(Book(Booking(a, "00001", "0900", "1000")).contains("error"));
    ASSERT_FALSE(Book(Booking(b, "00001", "1100", "1200")).contains("error"));
    const json read = srv->Result("GetAgeAtiviSala", {"0001", "00001", Day(kDay), "0900", "1000"});
    const Values old = RowValues(read, 0);
    Values longer = old;
    longer["HRFINAGESALA"] = "1030";  // grows into its own old window only
    EXPECT_FALSE(
        srv->Call("SetSalas", {ChangesOf(BookingLayout(), {Update(BookingLayout(), old, longer)})})
            .contains("error"));
    Values tooLong = longer;
    tooLong["HRFINAGESALA"] = "1130";
    const json r = srv->Call(
        "SetSalas", {ChangesOf(BookingLayout(), {Update(BookingLayout(), longer, tooLong)})});
    EXPECT_EQ(r["error"]["code"], "conflict");
    EXPECT_EQ(srv->Value("SELECT HRFINAGESALA FROM AGEATIVISALA WHERE NRTAREFA = ?", {a}), "1030");
}

TEST_P(RoomsTest, BookingIsStampedAndKeepsOneRoomPerMeeting) {
    FixClock("2026-12-07T08:30:00");
    const std::string nr = NewMeeting("P");
    ASSERT_FALSE(Book(Booking(nr, "00004", "0900", "1000")).contains("error"));
    const auto rows =
        srv->Rows("SELECT CDOPERADOR, DTINCAGESALA FROM AGEATIVISALA WHERE NRTAREFA = ?", {nr});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].AsString(), "000000000001");  // the session's, not the client's
    EXPECT_EQ(rows[0][1].AsString().substr(0, 19), "2026-12-07 08:30:00");
    EXPECT_EQ(Book(Booking(nr, "00005", "1400", "1500"))["error"]["code"], "conflict");
    EXPECT_EQ(Book(Booking(NewMeeting("X"), "00005", "1400", "1500"))["error"]["code"], "conflict");
    EXPECT_EQ(Book(Booking(nr, "99999", "1400", "1500"))["error"]["code"], "not_found");
    EXPECT_EQ(Book(Booking(NewMeeting("P"), "00005", "1500", "1400"))["error"]["code"],
              "bad_arguments");
}

TEST_P(RoomsTest, BookingSequencesAreFreshOnEveryCall) {
    std::set<int> seen;
    for (int i = 0; i < 4; ++i) {
        const json p = srv->Result("GetSeqSalas", {Day(kDay, 10)});
        EXPECT_EQ(Layout(p), Strings{"NRSEQAGESALA:float:0"});
        EXPECT_TRUE(seen.insert(Cell(p, 0, "NRSEQAGESALA").get<int>()).second);
    }
    // Sequences already stored that day (by another program of the suite) are never handed
    // out again.
    srv->Exec(
        "INSERT INTO AGEATIVISALA (CDFILIAL, DTATIAGESALA, NRSEQAGESALA, CDSALA, NRTAREFA, "
        "IDSITAGESALA, HRINIAGESALA, HRFINAGESALA) VALUES ('0001', ?, '00500', '00001', ?, "
        "'A', '0900', '1000')",
        {Variant::FromDateTime(DateOf(Now()) + kDay + 1), NewMeeting("P")});
    EXPECT_GT(Cell(srv->Result("GetSeqSalas", {Day(kDay + 1)}), 0, "NRSEQAGESALA").get<int>(), 500);
}

TEST_P(RoomsTest, DeletingAMeetingTakesItsBookingAgendaAndMinutesAlong) {
    const std::string nr = NewMeeting("P");
    ASSERT_FALSE(Book(Booking(nr, "00001", "0900", "1000")).contains("error"));
    srv->Exec(
        "INSERT INTO ITEMTAREFA (CDFILIAL, NRTAREFA, NRSEQUITTARE, DSREFEITTARE) VALUES "
        "('0001', ?, '9999999999', 'Pauta')",
        {nr});
    srv->Exec(
        "INSERT INTO DESCITEMTARE (CDFILIAL, NRTAREFA, NRSEQUITTARE, TXDESCITTARE) VALUES "
        "('0001', ?, '9999999999', 'Ata')",
        {nr});
    NewActivity(nr, "00001", "000000000002", "P");
    EXPECT_EQ(srv->Result("GetDelAtiv", {"0001", nr}), 1);
    const json list =
        srv->Result("GetControle", {"0001", "'" + nr + "'", "", "_P", "", "T", "", "T", 0, 0, "T"});
    ASSERT_EQ(list["rows"].size(), 1u);
    json fields = list["fields"];
    const json del = {{"fields", fields},
                      {"changes", {{{"op", "delete"}, {"old", list["rows"][0]}}}}};
    const json r = srv->Call("SetControle", {del});
    ASSERT_FALSE(r.contains("error")) << r.dump();
    for (const char* table : {"AGEATIVISALA", "ITEMTAREFA", "DESCITEMTARE", "PLANATIVTARE"})
        EXPECT_EQ(
            srv->Value(std::string("SELECT COUNT(*) FROM ") + table + " WHERE NRTAREFA = ?", {nr}),
            "0")
            << table;
    EXPECT_EQ(FreeRooms("0900", "1000").size(), 5u);
}

INSTANTIATE_TEST_SUITE_P(Backends, RoomsTest, ::testing::Values(false, true), EngineName);

// Sixteen clients book the same room for overlapping windows at the same moment, each for
// its own meeting: exactly one booking exists afterwards, the others are told the room is
// taken. SQLite runs on a file with a pool of connections, PostgreSQL on its own database.
class RoomRaceTest : public ::testing::TestWithParam<bool> {};

TEST_P(RoomRaceTest, SixteenClientsBookingOneRoomLeaveExactlyOneBooking) {
    constexpr int kClients = 16;
    std::unique_ptr<RpcTestServer> pg;
    std::unique_ptr<AppServer> own;
    std::filesystem::path file;
    AppServer* server = nullptr;
    std::string token;
    auto call = [&](const std::string& method, json params) {
        const json req = {{"method", method}, {"params", std::move(params)}, {"id", 1}};
        return json::parse(server->HandleRpc(req.dump(), token));
    };
    if (GetParam()) {
        if (!RpcTestServer::PostgresAvailable()) GTEST_SKIP() << "ZEL_TEST_PG is not set";
        pg = std::make_unique<RpcTestServer>(true);
        server = &pg->Server();
        token = pg->Token();
    } else {
        file = std::filesystem::temp_directory_path() /
               ("zel_room_race_" + std::to_string(::getpid()) + ".db");
        std::filesystem::remove(file);
        AppServerOptions opts;
        opts.db = "sqlite:" + file.string();
        opts.demo = true;
        opts.fastPasswordHashing = true;
        opts.poolSize = 8;
        own = std::make_unique<AppServer>(opts);
        server = own.get();
        const json login = call("Login", {"000000000001", "demo", "0001"});
        token = Cell(login["result"], 0, "TOKEN");
    }
    const json day = Dt(DateTimeToIso(DateOf(Now()) + 50));
    std::vector<std::string> meetings;
    for (int i = 0; i < kClients; ++i) {
        const std::string nr = call("GetPrxTarefa", {"0001"})["result"];
        server->Impl().db().Transact(true, [&](SqlConnection& c) {
            c.Exec(
                "INSERT INTO TAREFA (CDFILIAL, NRTAREFA, DSREFETAREFA, IDSITTAREFA, "
                "IDORIGTARE, DTHRREUNIAO, QTHRREUNIAO) VALUES ('0001', ?, 'Corrida', 'P', "
                "'4', ?, 1)",
                {nr, Variant::FromDateTime(DateOf(Now()) + 50 + 9 / 24.0)});
        });
        meetings.push_back(nr);
    }

    std::atomic<int> ready{0}, booked{0}, refused{0};
    std::vector<std::thread> clients;
    for (int i = 0; i < kClients; ++i) {
        clients.emplace_back([&, i] {
            const json seq = call("GetSeqSalas", {day})["result"];
            char buf[8];
            std::snprintf(buf, sizeof buf, "%05d", Cell(seq, 0, "NRSEQAGESALA").get<int>());
            char from[8], to[8];
            std::snprintf(from, sizeof from, "09%02d", i * 3);  // 0900 .. 0945
            std::snprintf(to, sizeof to, "10%02d", i * 3);      // 1000 .. 1045
            const Values b = {{"CDFILIAL", "0001"},   {"NRTAREFA", meetings[i]},
                              {"CDSALA", "00003"},    {"DTATIAGESALA", day},
                              {"NRSEQAGESALA", buf},  {"IDSITAGESALA", "A"},
                              {"HRINIAGESALA", from}, {"HRFINAGESALA", to}};
            const json packet = ChangesOf(BookingLayout(), {Insert(BookingLayout(), b)});
            ++ready;
            while (ready < kClients)
                std::this_thread::yield();
            const json r = call("SetSalas", {packet});
            if (!r.contains("error")) {
                ++booked;
            } else if (r["error"]["code"] == "conflict") {
                ++refused;
            } else {
                ADD_FAILURE() << r.dump();
            }
        });
    }
    for (std::thread& t : clients)
        t.join();
    EXPECT_EQ(booked, 1);
    EXPECT_EQ(refused, kClients - 1);
    const json found = call("getFindSala", {"0001", day, "0000", "2359", "00003"})["result"];
    EXPECT_EQ(found["rows"].size(), 1u);
    own.reset();
    if (!file.empty()) {
        std::filesystem::remove(file);
        std::filesystem::remove(file.string() + "-wal");
        std::filesystem::remove(file.string() + "-shm");
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, RoomRaceTest, ::testing::Values(false, true), EngineName);

}  // namespace
}  // namespace zel::appserver::test
