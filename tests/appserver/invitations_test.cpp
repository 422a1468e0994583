// Invitation mail queued by the server's own calls, on SQLite and PostgreSQL: who is told what
// (REQUEST, CANCEL), with which revision, and what is never sent; and the answers participants
// give from their inbox, told to the organiser. Delivery is not run here: the outbox is read.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <thread>

#include "appserver/calendar_reconciler.h"
#include "appserver/office_setup.h"
#include "calendar_test_support.h"
#include "meeting_fixture.h"

namespace zel::appserver::test {
namespace {

class InvitationsTest : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        srv = std::make_unique<CalendarServer>(
            GetParam() ? Backend::Postgres : Backend::SqliteMemory, [](AppServerOptions& o) {
                o.mail.url = "smtp://127.0.0.1:9";
                o.mail.from = "reunioes@empresa.test";
                o.deliverMail = false;
            });
        if (!srv->available()) GTEST_SKIP() << "ZEL_TEST_PG not set: PostgreSQL tests skipped";
    }
    // "address METHOD sequence" of every queued message, oldest first.
    Strings Outbox() {
        Strings out;
        for (const SqlRow& r : srv->Rows("SELECT DSDESTINO, IDMETODO, NRSEQCALEND FROM CAIXASAIDA "
                                         "ORDER BY NRMENSAGEM"))
            out.push_back(r[0].AsString() + " " + r[1].AsString() + " " +
                          std::to_string(r[2].AsInteger()));
        return out;
    }
    std::string Sequence(const std::string& nr) {
        return srv->Value("SELECT NRSEQCALEND FROM CALENDREUNIAO WHERE NRTAREFA = ?", {nr});
    }
    static TDateTime Day(int offset, int hour) { return DateOf(Now()) + offset + hour / 24.0; }

    std::unique_ptr<CalendarServer> srv;
};

TEST_P(InvitationsTest, ParticipantsWithAnAddressAreInvitedOncePerChangeWithARisingSequence) {
    const std::string nr = srv->NewMeeting(Day(40, 9), 1, "Comitê de obras");
    EXPECT_TRUE(Outbox().empty()) << "nobody takes part yet";
    srv->AddParticipant(nr, kAna);
    srv->AddParticipant(nr, kCarla);         // no address: never mailed
    srv->AddParticipant(nr, kDemoOperator);  // the organiser: never mailed
    EXPECT_EQ(Outbox(),
              (Strings{"ana@empresa.test R 1", "ana@empresa.test R 2", "ana@empresa.test R 3"}));

    // A call that changes nothing calendars show sends nothing and keeps the revision.
    srv->Result("GetCalendReuniao", {"0001", nr});
    srv->Result("GetPrxTarefa", {"0001"});
    EXPECT_EQ(Outbox().size(), 3u);
    EXPECT_EQ(Sequence(nr), "3");

    srv->Move(nr, Day(41, 15));
    EXPECT_EQ(Outbox().back(), "ana@empresa.test R 4");
    const std::string text =
        srv->Value("SELECT TXMENSAGEM FROM CAIXASAIDA ORDER BY NRMENSAGEM DESC LIMIT 1");
    EXPECT_NE(text.find("method=REQUEST"), std::string::npos);

    // A new address: the old one is told he is out, the new one invited, in one change.
    srv->Office(
        [](SqlConnection& c) { office::SetOperatorEmail(c, kAna, "ana.souza@empresa.test"); });
    srv->Move(nr, Day(41, 16));
    const Strings all = Outbox();
    EXPECT_EQ(Strings(all.end() - 2, all.end()),
              (Strings{"ana@empresa.test C 5", "ana.souza@empresa.test R 5"}));
}

TEST_P(InvitationsTest, ARemovedParticipantACancellationAndADeletionSendCancels) {
    const std::string nr = srv->NewMeeting(Day(40, 9), 1, "Comitê de obras");
    const std::string ana = srv->AddParticipant(nr, kAna);
    srv->AddParticipant(nr, kBruno);
    const json acts = srv->Result("GetAtividades", {"0001", nr});
    size_t anaRow = 0;
    for (size_t i = 0; i < acts["rows"].size(); ++i)
        if (Cell(acts, i, "NRPLATIVTARE") == ana) anaRow = i;
    const json removed = srv->Call(
        "SetAtividades",
        {ChangesOf(ActivityLayout(), {Delete(ActivityLayout(), RowValues(acts, anaRow))})});
    ASSERT_FALSE(removed.contains("error")) << removed.dump();
    EXPECT_EQ(Outbox(),
              (Strings{"ana@empresa.test R 1", "ana@empresa.test R 2", "bruno@empresa.test R 2",
                       "ana@empresa.test C 3", "bruno@empresa.test R 3"}));

    srv->Result("GetUpdCancelTarefa", {"0001", nr});
    EXPECT_EQ(Outbox().back(), "bruno@empresa.test C 4");
    EXPECT_EQ(Outbox().size(), 6u) << "Ana, already out, is not told again";
    EXPECT_NE(srv->Value("SELECT DTCANCEL FROM CALENDREUNIAO WHERE NRTAREFA = ?", {nr}), "");

    // A pending meeting deleted with its activities: its invitees are called off too.
    const std::string other = srv->NewMeeting(Day(42, 9), 1, "Alinhamento");
    srv->AddParticipant(other, kBruno);
    srv->Delete(other);
    EXPECT_EQ(Outbox().back(), "bruno@empresa.test C 2");
    EXPECT_EQ(srv->Value("SELECT COUNT(*) FROM CALENDREUNIAO WHERE NRTAREFA = ?", {other}), "0");
}

TEST_P(InvitationsTest, WithoutMailSettingsNothingIsQueuedYetTheRevisionStillRises) {
    CalendarServer plain(GetParam() ? Backend::Postgres : Backend::SqliteMemory);
    const std::string nr = plain.NewMeeting(Day(40, 9), 1, "Sem e-mail");
    plain.AddParticipant(nr, kAna);
    plain.Move(nr, Day(40, 10));
    EXPECT_EQ(plain.Value("SELECT COUNT(*) FROM CAIXASAIDA"), "0");
    EXPECT_EQ(plain.Value("SELECT NRSEQCALEND FROM CALENDREUNIAO WHERE NRTAREFA = ?", {nr}), "2");
    // Ana's invitation exists in the host's inbox all the same.
    const Strings mine =
        Column(plain.Result("GetConvites", json::array(), plain.Login(kAna)), "NRTAREFA");
    EXPECT_NE(std::find(mine.begin(), mine.end(), nr), mine.end());
}

TEST_P(InvitationsTest, AnswersAreKeptPerActivityAndTheOrganiserIsToldOnce) {
    const std::string nr = srv->NewMeeting(Day(40, 9), 1.5, "Comitê de obras");
    srv->AddParticipant(nr, kAna);
    srv->AddParticipant(nr, kAna);  // a second activity of hers
    const std::string ana = srv->Login(kAna);
    // Her row of the invitations (the demo data invites her to others too).
    auto mine = [&] {
        const json list = srv->Result("GetConvites", json::array(), ana);
        for (size_t i = 0; i < list["rows"].size(); ++i)
            if (Cell(list, i, "NRTAREFA") == nr) return RowValues(list, i);
        return Values{};
    };
    ASSERT_EQ(mine()["NRTAREFA"], nr);
    EXPECT_TRUE(mine()["IDRESPOSTA"].is_null());
    EXPECT_EQ(mine()["NMOPERRESP"], "Operador Demonstração");

    EXPECT_EQ(srv->Result("SetRespConvite", {"0001", nr, "A"}, ana), 1);
    EXPECT_EQ(srv->Result("SetRespConvite", {"0001", nr, "A"}, ana), 0) << "the same answer again";
    EXPECT_EQ(srv->Result("SetRespConvite", {"0001", nr, "T"}, ana), 1);
    const json answers = srv->Result("GetRespConvite", {"0001", nr});
    EXPECT_EQ(Column(answers, "IDRESPOSTA"), (Strings{"T", "T"}));
    EXPECT_EQ(mine()["IDRESPOSTA"], "T");

    Strings told;
    for (const std::string& text : Column(srv->Result("GetAtivPessoal", {""}), "DSATIVPESSOAL"))
        if (text.find("convite") != std::string::npos) told.push_back(text);
    const std::string when = FormatDateTime("dd/mm/yyyy hh:nn", Day(40, 9));
    EXPECT_EQ(told, (Strings{"Ana Souza respondeu talvez ao convite para a reunião " + nr +
                                 " - Comitê de obras (" + when + ").",
                             "Ana Souza aceitou o convite para a reunião " + nr +
                                 " - Comitê de obras (" + when + ")."}));

    EXPECT_EQ(srv->Error("SetRespConvite", {"0001", nr, "X"}, ana), "bad_arguments");
    EXPECT_EQ(srv->Error("SetRespConvite", {"0001", nr, "A"}, srv->Login(kCarla)), "forbidden");
    EXPECT_EQ(srv->Error("SetRespConvite", {"0001", "9999999999", "A"}, ana), "not_found");
    srv->Result("GetUpdCancelTarefa", {"0001", nr});
    EXPECT_EQ(srv->Error("SetRespConvite", {"0001", nr, "R"}, ana), "conflict");
    EXPECT_TRUE(mine().empty()) << "a cancelled meeting is no invitation";
}

// Two transactions change one meeting at once (one adds Ana, the other makes it longer): the
// second reads the meeting only once the first committed, so nobody is called off by mistake
// and the last revision tells both changes.
TEST_P(InvitationsTest, TwoChangesOfOneMeetingAtOnceAreBothTold) {
    if (!GetParam()) GTEST_SKIP() << "SQLite has one writer at a time";
    const std::string nr = srv->NewMeeting(Day(40, 9), 1, "Comitê de obras");
    srv->AddParticipant(nr, kBruno);
    Database& db = srv->Impl().db();
    const MailSettings* mail = srv->Impl().calendar().mail();
    std::promise<void> firstReconciled, secondStarted;
    std::thread first([&] {
        db.Transact(true, [&](SqlConnection& c) {
            c.Exec(
                "INSERT INTO PLANATIVTARE (CDFILIAL, NRTAREFA, NRPLATIVTARE, CDOPERRESP, "
                "QTHRPATIVTAR, IDSITATIVTAR, IDOPERPAREUNIAO) VALUES ('0001', ?, '00099', ?, "
                "1, 'P', 'N')",
                {nr, kAna});
            ReconcileCalendars(c, Now(), mail);
            firstReconciled.set_value();
            secondStarted.get_future().wait();
            // The second transaction reaches the meeting's calendar row and waits there.
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        });
    });
    firstReconciled.get_future().wait();
    db.Transact(true, [&](SqlConnection& c) {
        c.Exec("UPDATE TAREFA SET QTHRREUNIAO = 2 WHERE CDFILIAL = '0001' AND NRTAREFA = ?", {nr});
        secondStarted.set_value();
        ReconcileCalendars(c, Now(), mail);
    });
    first.join();
    EXPECT_EQ(Outbox(),
              (Strings{"bruno@empresa.test R 1", "ana@empresa.test R 2", "bruno@empresa.test R 2",
                       "ana@empresa.test R 3", "bruno@empresa.test R 3"}));
    EXPECT_EQ(srv->Value("SELECT IDMETODO FROM CALENDCONVIDADO WHERE NRTAREFA = ? AND "
                         "CDOPERADOR = ?",
                         {nr, kAna}),
              "R");
}

INSTANTIATE_TEST_SUITE_P(Engines, InvitationsTest, ::testing::Values(false, true), EngineName);

}  // namespace
}  // namespace zel::appserver::test
