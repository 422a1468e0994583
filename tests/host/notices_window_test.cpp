// The host's notices: a meeting cancelled in the meeting window by the demo operator leaves a
// notice for a participant; when she logs in, the host opens her notices, lists it, and marking
// it read lowers the unread count, on the real application server in process.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPushButton>
#include <QTreeWidget>

#include "base/buttons.h"
#include "base/login_context.h"
#include "host/main_window.h"
#include "host/module_loader.h"
#include "host/notices_window.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "server/server_connection.h"
#include "tests/meeting/meeting_fixture.h"
#include "tests/meeting/meeting_seed.h"

namespace {

constexpr int kDay = 60;  // days from today: beyond every demo meeting
constexpr const char* kAna = "000000000002";

class NoticesWindowTest : public MeetingWindowTest {
  protected:
    // The demo operator cancels meeting `nr` (Ana takes part) in the meeting window.
    void CancelInTheMeetingWindow(const std::string& nr, const std::string& ref) {
        seed.Meeting(nr, ref, kDay);
        seed.Activity(nr, "00001", CurrentOperator());
        seed.Activity(nr, "00002", kAna);
        Cli_zel00400::CriaReuniao();
        TfrmReuniao& w = *Window();
        w.tbtCancelada->SetDown(true);
        w.tbtConcluida->SetDown(true);
        ASSERT_TRUE(w.tbtPendente->Click());
        ASSERT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(nr)}));
        dialogs->AnswerQuestion(true);
        dialogs->AnswerInput("");
        ASSERT_TRUE(w.btnCanReuniao->Click());
        CloseWindow();
    }
    void LoginAs(const std::string& op) {
        TServerConnection net;
        net.SetTransport(transport);
        const Variant result = net.AppServer().Call("Login", {Arg(op), Arg("demo"), Arg("0001")});
        SetLoginContext(LoginContextFromPacket(result, "127.0.0.1", 8400));
    }
    std::unique_ptr<MainWindow> Host() {
        return std::make_unique<MainWindow>(loader, QStringLiteral("sessão"),
                                            [this](TServerConnection& c) {
                                                c.SetTransport(transport);
                                                c.SetRecorder(recorder);
                                            });
    }
    // The texts of the listed notices, "*" before the unread ones.
    static std::vector<std::string> Listed(const NoticesWindow& w) {
        std::vector<std::string> out;
        for (int i = 0; i < w.list()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = w.list()->topLevelItem(i);
            out.push_back((item->font(1).bold() ? "*" : "") + item->text(1).toStdString());
        }
        return out;
    }

    meeting_seed::Seeder seed{server};
    ModuleLoader loader{QStringList{}};
};

TEST_F(NoticesWindowTest, ACancellationsNoticeOpensAtLoginAndMarkingItReadLowersTheCount) {
    CancelInTheMeetingWindow("0000900001", "Comitê de obras");
    const std::string text = "Comitê de obras, agendada para " + DateToStr(seed.Day(kDay)) +
                             " foi cancelada por Operador Demonstraçã.";

    LoginAs(kAna);
    auto host = Host();
    host->show();
    EXPECT_EQ(host->openNoticesIfUnread(), 1);
    NoticesWindow& notices = *host->noticesWindow();
    EXPECT_TRUE(notices.isVisible()) << "unread notices open at the login";
    for (const QPushButton* b : notices.findChildren<QPushButton*>())
        EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString() << " is cut";
    EXPECT_EQ(host->noticesStatusText(), "1 aviso não lido");
    EXPECT_EQ(Listed(notices), std::vector<std::string>{"*" + text});
    EXPECT_FALSE(notices.markReadButton()->isEnabled()) << "nothing selected yet";

    notices.list()->topLevelItem(0)->setSelected(true);
    ASSERT_TRUE(notices.markReadButton()->isEnabled());
    notices.markReadButton()->click();
    EXPECT_EQ(notices.errorText(), "");
    EXPECT_EQ(Listed(notices), std::vector<std::string>{text});
    EXPECT_EQ(host->noticesStatusText(), "Nenhum aviso não lido");
    EXPECT_NE(notices.list()->topLevelItem(0)->text(2), "não lido");
    EXPECT_FALSE(seed.Rows("SELECT DTHRLEITURA FROM ATIVPESSOAL WHERE CDOPERADOR = ?", {kAna})
                     .at(0)
                     .at(0)
                     .IsNull());

    // Read, they no longer open the window at the next login; the cancelling operator had none.
    auto again = Host();
    EXPECT_EQ(again->openNoticesIfUnread(), 0);
    EXPECT_FALSE(again->noticesWindow()->isVisible());
    LoginAs("000000000001");
    auto demo = Host();
    EXPECT_EQ(demo->openNoticesIfUnread(), 0);
    EXPECT_TRUE(Listed(*demo->noticesWindow()).empty());
}

TEST_F(NoticesWindowTest, NewestComeFirstMarkAllReadsThemAndAFailureIsShown) {
    CancelInTheMeetingWindow("0000900002", "Primeira reunião");
    CancelInTheMeetingWindow("0000900003", "Segunda reunião");
    LoginAs(kAna);
    auto host = Host();
    EXPECT_EQ(host->openNoticesIfUnread(), 2);
    NoticesWindow& notices = *host->noticesWindow();
    ASSERT_EQ(Listed(notices).size(), 2u);
    EXPECT_EQ(Listed(notices)[0].rfind("*Segunda reunião", 0), 0u) << Listed(notices)[0];
    EXPECT_EQ(host->noticesStatusText(), "2 avisos não lidos");

    // The session ends on the server: the marking is refused and nothing changes on screen.
    TServerConnection net;
    net.SetTransport(transport);
    net.AppServer().Call("Logout");
    notices.markAllButton()->click();
    EXPECT_TRUE(notices.errorText().startsWith("Não foi possível marcar os avisos como lidos: "))
        << notices.errorText().toStdString();
    EXPECT_EQ(host->noticesStatusText(), "2 avisos não lidos");
    EXPECT_EQ(
        seed.Rows("SELECT COUNT(*) FROM ATIVPESSOAL WHERE DTHRLEITURA IS NULL")[0][0].AsInteger(),
        2);

    LoginAs(kAna);
    EXPECT_EQ(host->refreshNotices(), 2);
    recorder->Clear();
    notices.markAllButton()->click();
    EXPECT_EQ(notices.errorText(), "");
    EXPECT_EQ(host->noticesStatusText(), "Nenhum aviso não lido");
    EXPECT_FALSE(notices.markAllButton()->isEnabled());
    EXPECT_EQ(CallCount("SetAvisoLido"), 2);
}

// Writes inbox.png into ZEL_SCREENSHOT_DIR when it is set: a participant's host after two of
// her meetings were cancelled, one notice already read.
TEST_F(NoticesWindowTest, Screenshot) {
    const QString dir = qEnvironmentVariable("ZEL_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "ZEL_SCREENSHOT_DIR not set";
    CancelInTheMeetingWindow("0000900004", "Comitê de obras");
    CancelInTheMeetingWindow("0000900005", "Revisão do orçamento anual");
    LoginAs(kAna);
    MainWindow host(loader,
                    QStringLiteral("Ana Souza (000000000002) · Filial 0001 · 127.0.0.1:8400"),
                    [this](TServerConnection& c) { c.SetTransport(transport); });
    host.resize(1000, 520);
    host.show();
    ASSERT_EQ(host.openNoticesIfUnread(), 2);
    NoticesWindow& notices = *host.noticesWindow();
    notices.list()->topLevelItem(1)->setSelected(true);
    notices.markReadButton()->click();
    notices.list()->clearSelection();
    QCoreApplication::processEvents();
    EXPECT_TRUE(host.grab().save(dir + "/inbox.png"));
}

}  // namespace
