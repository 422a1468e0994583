// Rooms that describe themselves: the free-room lists and the rooms' day carry places and
// tags and narrow and rank on request (called as before, they answer as before); the
// administration commands that set places, tags and working hours.
#include <gtest/gtest.h>

#include <filesystem>

#include "appserver/office_setup.h"
#include "appserver/room_catalog.h"
#include "appserver/rpc_error.h"
#include "meeting_fixture.h"
#include "server_process.h"

namespace zel::appserver::test {
namespace {

class RoomCatalogTest : public MeetingFixture {
  protected:
    static constexpr int kDay = 45;
    json Free(json extra = json::array()) {
        json params = {"0001", Day(kDay), "0900", "1000"};
        for (const json& e : extra)
            params.push_back(e);
        return srv->Result("GetSalas", params);
    }
};

TEST_P(RoomCatalogTest, FreeRoomListsCarryPlacesAndTagsAndNarrowOnRequest) {
    // As the window calls it today: every free room in code order, described at the end.
    const json all = Free();
    EXPECT_EQ(Layout(all),
              (Strings{"CDFILIAL:string:4", "CDSALA:string:5", "NMSALA:string:30",
                       "QTCAPACSALA:integer:0", "DSEQUIPSALA:string:700", "IDCABE:string:1"}));
    EXPECT_EQ(Column(all, "CDSALA"), (Strings{"00001", "00002", "00003", "00004", "00005"}));
    EXPECT_EQ(Column(all, "QTCAPACSALA"), (Strings{"8", "6", "80", "12", "24"}));
    EXPECT_EQ(Cell(all, 2, "DSEQUIPSALA"), "acessível, projetor, sistema de som, videoconferência");
    EXPECT_EQ(Column(all, "IDCABE"), (Strings{"S", "S", "S", "S", "S"}));

    // Narrowed: only the rooms that fit, the smallest first.
    EXPECT_EQ(Column(Free({10}), "CDSALA"), (Strings{"00004", "00005", "00003"}));
    EXPECT_EQ(Column(Free({0, "Quadro Branco", "S"}), "CDSALA"),
              (Strings{"00002", "00001", "00005"}));
    // Ranked only: the fitting rooms first, the others after them as they were.
    const json ranked = Free({10, "projetor", "N"});
    EXPECT_EQ(Column(ranked, "CDSALA"), (Strings{"00004", "00005", "00003", "00001", "00002"}));
    EXPECT_EQ(Column(ranked, "IDCABE"), (Strings{"S", "S", "S", "N", "N"}));

    // A booked room stays out; the meeting's own comes back with GetSalas2 if it fits.
    const std::string nr = NewMeeting("P", kDay);
    srv->Exec(
        "INSERT INTO AGEATIVISALA (CDFILIAL, DTATIAGESALA, NRSEQAGESALA, CDSALA, NRTAREFA, "
        "IDSITAGESALA, HRINIAGESALA, HRFINAGESALA) VALUES ('0001', ?, '90001', '00004', ?, 'A', "
        "'0900', '1000')",
        {Variant::FromDateTime(DateOf(Now()) + kDay), nr});
    EXPECT_EQ(Column(Free({10}), "CDSALA"), (Strings{"00005", "00003"}));
    EXPECT_EQ(Column(srv->Result("GetSalas2", {"0001", Day(kDay), "00004", "0900", "1000", 10}),
                     "CDSALA"),
              (Strings{"00004", "00005", "00003"}));

    EXPECT_EQ(srv->Error("GetSalas", {"0001", Day(kDay), "0900", "1000", 1.5}), "bad_arguments");
    EXPECT_EQ(srv->Error("GetSalas", {"0001", Day(kDay), "0900", "1000", 0, "", "X"}),
              "bad_arguments");
    const json tooMany =
        srv->Call("GetSalas", {"0001", Day(kDay), "0900", "1000", 0, "", "S", "extra"});
    EXPECT_EQ(tooMany["error"]["message"],
              "O método GetSalas espera de 4 a 7 argumento(s); "
              "recebeu 8.");
}

TEST_P(RoomCatalogTest, RoomsDayCarriesPlacesAndTagsAndKeepsItsOrderWhenNarrowed) {
    const json day = srv->Result("GetAgendaSalasDia", {Day(kDay)});
    EXPECT_EQ(FieldNames(day).back(), "IDCABE");
    EXPECT_EQ(Column(day, "QTCAPACSALA"), (Strings{"8", "6", "80", "12", "24"}));
    EXPECT_EQ(Column(srv->Result("GetAgendaSalasDia", {Day(kDay), 20}), "CDSALA"),
              (Strings{"00003", "00005"}));
    EXPECT_EQ(Column(srv->Result("GetAgendaSalasDia", {Day(kDay), 20, "", "N"}), "IDCABE"),
              (Strings{"N", "N", "S", "N", "S"}));
}

TEST_P(RoomCatalogTest, PlacesAndTagsAreKeptNormalisedAndChecked) {
    auto office = [&](const std::function<void(SqlConnection&)>& fn) {
        srv->Server().Impl().db().Transact(true, fn);
    };
    office([](SqlConnection& c) {
        office::SetRoomPlaces(c, "0001", "00002", 7);
        office::SetRoomTags(c, "0001", "00002", {"  Lousa   Digital ", "lousa digital", "TV"},
                            {"Quadro Branco"});
    });
    const json room = Free({0, "lousa digital, tv"});
    EXPECT_EQ(Column(room, "CDSALA"), Strings{"00002"});
    EXPECT_EQ(Cell(room, 0, "DSEQUIPSALA"), "lousa digital, tv, videoconferência");
    EXPECT_EQ(Cell(room, 0, "QTCAPACSALA"), 7);

    auto refused = [&](const std::function<void(SqlConnection&)>& fn) {
        try {
            office(fn);
        } catch (const RpcError& e) {
            return e.code();
        }
        return std::string("accepted");
    };
    EXPECT_EQ(refused([](SqlConnection& c) { office::SetRoomPlaces(c, "0001", "00002", 0); }),
              "bad_arguments");
    EXPECT_EQ(refused([](SqlConnection& c) { office::SetRoomPlaces(c, "0002", "00002", 5); }),
              "not_found");
    EXPECT_EQ(
        refused([](SqlConnection& c) { office::SetRoomTags(c, "0001", "00002", {}, {"som"}); }),
        "not_found");
    EXPECT_EQ(refused([](SqlConnection& c) {
                  office::SetRoomTags(c, "0001", "00002", {std::string(31, 'x')}, {});
              }),
              "bad_arguments");
    EXPECT_EQ(refused([](SqlConnection& c) {
                  std::vector<std::string> many;
                  for (int i = 0; i < 20; ++i)
                      many.push_back("item " + std::to_string(i));
                  office::SetRoomTags(c, "0001", "00002", many, {});
              }),
              "bad_arguments");
    EXPECT_EQ(
        refused([](SqlConnection& c) { office::SetWorkingHours(c, "0001", "18:00", "08:00", ""); }),
        "bad_arguments");
    EXPECT_EQ(refused([](SqlConnection& c) { office::SetWorkingHours(c, "0001", "", "", "1238"); }),
              "bad_arguments");
    // Nothing of a refused change stays.
    EXPECT_EQ(Cell(Free({0, "lousa digital"}), 0, "DSEQUIPSALA"),
              "lousa digital, tv, videoconferência");
    EXPECT_EQ(Cell(srv->Result("GetExpedienteFilial", {"0001"}), 0, "HRINIEXPFIL"), "0800");
}

INSTANTIATE_TEST_SUITE_P(Backends, RoomCatalogTest, ::testing::Values(false, true), EngineName);

// The administration commands as an administrator runs them, on a SQLite file.
TEST(RoomCatalogCommands, RoomSetAndBranchHoursChangeTheOffice) {
    const std::string dir =
        std::filesystem::temp_directory_path() / ("zel-rooms-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string db = "sqlite:" + dir + "/zel.db";
    auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--db", db});
        return RunAppServer(args).exitCode;
    };
    ASSERT_EQ(run({"seed-demo"}), 0);
    EXPECT_EQ(run({"room", "set", "0001", "00003", "--capacity", "120", "--tag", "Palco", "--untag",
                   "sistema de som"}),
              0);
    EXPECT_EQ(run({"room", "set", "0001", "00001", "--no-capacity"}), 0);
    EXPECT_EQ(run({"room", "set", "0001", "00003", "--untag", "som"}), 5);
    EXPECT_EQ(run({"room", "set", "0001", "00003"}), 2);
    EXPECT_EQ(run({"room", "set", "0001", "00003", "--capacity", "0"}), 2);
    EXPECT_EQ(run({"branch", "hours", "0001", "--start", "07:30", "--days", "123456"}), 0);
    EXPECT_EQ(run({"branch", "hours", "0001", "--end", "07:00"}), 5);

    auto database = Database::Open(db, 1);
    const auto rows = database->Transact(false, [](SqlConnection& c) {
        std::vector<std::string> out;
        for (const char* sql :
             {"SELECT QTCAPACSALA FROM SALA WHERE CDFILIAL = '0001' AND CDSALA = '00003'",
              "SELECT QTCAPACSALA FROM SALA WHERE CDFILIAL = '0001' AND CDSALA = '00001'",
              "SELECT NMEQUIPSALA FROM EQUIPSALA WHERE CDFILIAL = '0001' AND CDSALA = '00003' "
              "ORDER BY NMEQUIPSALA",
              "SELECT HRINIEXPFIL || HRFINEXPFIL || DSDIASEXPFIL FROM FILIAL WHERE "
              "CDFILIAL = '0001'"})
            for (const SqlRow& r : c.Exec(sql).rows)
                out.push_back(r[0].IsNull() ? "null" : r[0].AsString());
        return out;
    });
    EXPECT_EQ(rows, (std::vector<std::string>{"120", "null", "acessível", "palco", "projetor",
                                              "videoconferência", "07301800123456"}));
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zel::appserver::test
