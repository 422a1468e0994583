// End to end over HTTP: the meeting window, talking to the real zel-appserver executable as
// one operator, cancels a meeting; the participants then log in themselves and read the
// notice it left them (GetAtivPessoal), and only their own.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <filesystem>
#include <random>

#include "appserver/sqlite_storage.h"
#include "base/buttons.h"
#include "base/login_context.h"
#include "base/scripted_dialogs.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "platform/date_time.h"
#include "server/server_connection.h"
#include "server_process.h"

namespace zel::appserver::test {
namespace {

constexpr const char* kMeeting = "0000950001";

class E2eNoticesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::mt19937_64 rng{std::random_device{}()};
        m_dir = std::filesystem::temp_directory_path() / ("zel-notices-" + std::to_string(rng()));
        std::filesystem::create_directories(m_dir);
        // A first run creates the database with the demo data; the meeting is added while no
        // server holds the file, then the server is started again on it.
        { ServerProcess seeding(ServerArgs()); }
        SeedMeeting();
        m_server = std::make_unique<ServerProcess>(ServerArgs());
        ASSERT_GT(m_server->Port(), 0) << "zel-appserver did not start";
        m_dialogs = &ScriptedDialogs::Install();
        Cli_zel00400::Initialization();
    }
    void TearDown() override {
        if (Cli_zel00400::frmReuniao) Cli_zel00400::frmReuniao->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ClearLoginContext();
        Cli_zel00400::Finalization();
        InstallDialogs(nullptr);
        m_server.reset();
        std::filesystem::remove_all(m_dir);
    }
    std::string DbPath() const { return (m_dir / "zel.db").string(); }
    std::vector<std::string> ServerArgs() const {
        return {"--db", "sqlite:" + DbPath(), "--demo", "--log-level", "warn"};
    }

    // A pending meeting fifty days ahead, 09:00 to 10:00 in room 00002, with the demo
    // operator and two colleagues taking part.
    void SeedMeeting() {
        auto db = OpenSqliteFile(DbPath());
        const TDateTime day = DateOf(Now()) + 50;
        db->Exec(
            "INSERT INTO TAREFA (CDFILIAL, NRTAREFA, DSREFETAREFA, CDPROCESSO, CDOPERRESP, "
            "CDOPERABER, DTABERTAREFA, IDSITTAREFA, IDORIGTARE, DTHRREUNIAO, QTHRREUNIAO) "
            "VALUES ('0001', ?, 'Revisão de metas', '0000000002', '000000000001', "
            "'000000000001', ?, 'P', '4', ?, 1)",
            {kMeeting, Variant::FromDateTime(day - 50), Variant::FromDateTime(day + 0.375)});
        int n = 0;
        for (const char* op : {"000000000001", "000000000002", "000000000003"})
            db->Exec(
                "INSERT INTO PLANATIVTARE (CDFILIAL, NRTAREFA, NRPLATIVTARE, CDPROCESSO, "
                "CDOPERRESP, QTHRPATIVTAR, IDSITATIVTAR, IDOPERPAREUNIAO) VALUES ('0001', "
                "?, ?, '0000000002', ?, 1, 'P', 'N')",
                {kMeeting, "0000" + std::to_string(++n), op});
        db->Exec(
            "INSERT INTO AGEATIVISALA (CDFILIAL, DTATIAGESALA, NRSEQAGESALA, CDSALA, "
            "NRTAREFA, IDSITAGESALA, HRINIAGESALA, HRFINAGESALA) VALUES ('0001', ?, "
            "'00950', '00002', ?, 'A', '0900', '1000')",
            {Variant::FromDateTime(day), kMeeting});
    }

    // A connection of its own over HTTP, logged in as `op`.
    std::unique_ptr<TServerConnection> LoginAs(const std::string& op, Variant* login = nullptr) {
        auto net = std::make_unique<TServerConnection>();
        net->Host = "127.0.0.1";
        net->Port = m_server->Port();
        const Variant result = net->AppServer().Call("Login", {Arg(op), Arg("demo"), Arg("0001")});
        TClientDataSet row;
        row.SetData(result);
        net->Token = row.FieldByName("TOKEN").AsString();
        if (login) *login = result;
        return net;
    }
    // The notices `op` reads with his own session.
    std::vector<std::string> NoticesOf(const std::string& op) {
        auto net = LoginAs(op);
        TClientDataSet notices;
        notices.SetData(net->AppServer().Call("GetAtivPessoal", {Arg(op)}));
        std::vector<std::string> out;
        for (notices.First(); !notices.Eof(); notices.Next())
            out.push_back(notices.FieldByName("DSATIVPESSOAL").AsString());
        return out;
    }

    std::filesystem::path m_dir;
    std::unique_ptr<ServerProcess> m_server;
    ScriptedDialogs* m_dialogs = nullptr;
};

TEST_F(E2eNoticesTest, CancelledByOneOperatorReadByTheOthers) {
    Variant login;
    auto operatorSession = LoginAs("000000000001", &login);
    SetLoginContext(LoginContextFromPacket(login, "127.0.0.1", m_server->Port()));
    Cli_zel00400::CriaReuniao();
    TfrmReuniao* w = Cli_zel00400::frmReuniao;
    ASSERT_NE(nullptr, w);
    ASSERT_NE(std::string::npos,
              w->netReuniao.Address().find(":" + std::to_string(m_server->Port())))
        << "the window talks HTTP to the started server";
    ASSERT_TRUE(w->cdsControle.Locate("NRTAREFA", {Variant(kMeeting)}));
    m_dialogs->AnswerQuestion(true);
    m_dialogs->AnswerInput("");
    ASSERT_TRUE(w->btnCanReuniao->Click());
    ASSERT_EQ(
        "question: Deseja cancelar a reunião?\ninput: Motivo do cancelamento (opcional): -> \n"
        "notice: Cancelamento realizado com sucesso.",
        m_dialogs->ShownText());

    const std::string text = "Revisão de metas, agendada para " + DateToStr(DateOf(Now()) + 50) +
                             " foi cancelada por Operador Demonstraçã.";
    EXPECT_EQ(std::vector<std::string>{text}, NoticesOf("000000000002"));
    EXPECT_EQ(std::vector<std::string>{text}, NoticesOf("000000000003"));
    EXPECT_TRUE(NoticesOf("000000000001").empty()) << "the cancelling operator gets none";
    // A notice is its receiver's own.
    auto bruno = LoginAs("000000000003");
    EXPECT_THROW(bruno->AppServer().Call("GetAtivPessoal", {Arg("000000000002")}), EServerError);
}

}  // namespace
}  // namespace zel::appserver::test
