// The host's "Calendários" window and the invitations of its inbox, against the real
// application server in process: a feed is made, its address copied, remembered by this
// workstation and revoked; a participant answers an invitation and the organiser reads the
// answer among his notices.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "base/login_context.h"
#include "host/calendars_window.h"
#include "host/main_window.h"
#include "host/module_loader.h"
#include "host/notices_window.h"
#include "platform/series_dates.h"
#include "server/server_connection.h"
#include "tests/meeting/meeting_fixture.h"
#include "tests/meeting/meeting_seed.h"

namespace {

constexpr int kDay = 60;
constexpr const char* kAna = "000000000002";

class CalendarsWindowTest : public MeetingWindowTest {
  protected:
    void SetUp() override {
        MeetingWindowTest::SetUp();
        // Each test is a fresh workstation.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    }
    void LoginAs(const std::string& op) {
        TServerConnection net;
        net.SetTransport(transport);
        SetLoginContext(LoginContextFromPacket(
            net.AppServer().Call("Login", {Arg(op), Arg("demo"), Arg("0001")}), "127.0.0.1", 8400));
    }
    std::unique_ptr<MainWindow> Host() {
        return std::make_unique<MainWindow>(loader, QStringLiteral("sessão"),
                                            [this](TServerConnection& c) {
                                                c.SetTransport(transport);
                                                c.SetRecorder(recorder);
                                            });
    }
    static std::vector<std::string> Names(const CalendarsWindow& w) {
        std::vector<std::string> out;
        for (int r = 0; r < w.table()->rowCount(); ++r)
            out.push_back(w.table()->item(r, 0)->text().toStdString());
        return out;
    }
    static std::string Address(const CalendarsWindow& w, int row) {
        return w.table()->item(row, 1)->text().toStdString();
    }
    static QTreeWidgetItem* Invitation(const NoticesWindow& w, const QString& title) {
        for (int i = 0; i < w.invitationList()->topLevelItemCount(); ++i)
            if (w.invitationList()->topLevelItem(i)->text(1) == title)
                return w.invitationList()->topLevelItem(i);
        return nullptr;
    }

    QTemporaryDir settingsDir;
    meeting_seed::Seeder seed{server};
    ModuleLoader loader{QStringList{}};
};

TEST_F(CalendarsWindowTest, AFeedIsMadeItsAddressCopiedRememberedHereAndRevoked) {
    auto host = Host();
    host->show();
    host->openCalendars();
    CalendarsWindow& w = *host->calendarsWindow();
    ASSERT_TRUE(w.isVisible());
    EXPECT_EQ(w.errorText(), "");
    EXPECT_EQ(w.table()->rowCount(), 0);

    w.createButton()->click();
    ASSERT_EQ(Names(w), std::vector<std::string>{"Minhas reuniões"});
    const std::string mine = Address(w, 0);
    const std::string prefix = "http://127.0.0.1:8400/calendar/";
    ASSERT_EQ(mine.size(), prefix.size() + 64 + 4) << mine;
    EXPECT_EQ(mine.substr(0, prefix.size()), prefix);
    EXPECT_EQ(mine.substr(prefix.size() + 64), ".ics");
    EXPECT_EQ(mine.find_first_not_of("0123456789abcdef", prefix.size()), prefix.size() + 64)
        << "a 64-digit token";
    ASSERT_TRUE(w.copyButton(0)->isEnabled());
    w.copyButton(0)->click();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), mine);

    w.kindBox()->setCurrentIndex(1);
    EXPECT_TRUE(w.roomBox()->isVisible());
    EXPECT_EQ(w.roomBox()->count(), 5) << "the rooms of branch 0001";
    w.roomBox()->setCurrentIndex(w.roomBox()->findData(QStringLiteral("00003")));
    w.createButton()->click();
    EXPECT_EQ(Names(w),
              (std::vector<std::string>{"Minhas reuniões", "Sala Auditório (filial 0001)"}));

    w.kindBox()->setCurrentIndex(2);
    EXPECT_FALSE(w.createButton()->isEnabled()) << "a series needs its number";
    w.seriesEdit()->setText(QStringLiteral("99"));
    w.createButton()->click();
    EXPECT_EQ(w.errorText().toStdString(),
              "Não foi possível criar o calendário: Série 0000000099 não cadastrada na filial "
              "0001.");
    EXPECT_EQ(w.table()->rowCount(), 2);

    // The same workstation shows the addresses again later; another one cannot.
    auto again = Host();
    again->openCalendars();
    EXPECT_EQ(Address(*again->calendarsWindow(), 0), mine);
    QSettings(QSettings::UserScope, QStringLiteral("zel"), QStringLiteral("zel-host")).clear();
    auto elsewhere = Host();
    elsewhere->openCalendars();
    EXPECT_FALSE(elsewhere->calendarsWindow()->copyButton(0)->isEnabled());
    EXPECT_NE(Address(*elsewhere->calendarsWindow(), 0).find("outra estação"), std::string::npos);

    dialogs->AnswerQuestion(false);
    w.revokeButton(0)->click();
    EXPECT_EQ(w.table()->rowCount(), 2) << "not revoked without a yes";
    dialogs->AnswerQuestion(true);
    w.revokeButton(0)->click();
    EXPECT_EQ(Names(w), std::vector<std::string>{"Sala Auditório (filial 0001)"});
    EXPECT_EQ(seed.Rows("SELECT COUNT(*) FROM CALENDFEED")[0][0].AsInteger(), 1);
}

TEST_F(CalendarsWindowTest, AParticipantAnswersFromTheInboxAndTheOrganiserReadsTheAnswer) {
    seed.Meeting("0000900001", "Comitê de obras", kDay);
    seed.Activity("0000900001", "00001", kAna);
    LoginAs(kAna);
    auto host = Host();
    host->openNotices();
    NoticesWindow& inbox = *host->noticesWindow();
    inbox.pages()->setCurrentIndex(1);
    QTreeWidgetItem* item = Invitation(inbox, QStringLiteral("Comitê de obras"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(4), "sem resposta");
    EXPECT_TRUE(item->font(1).bold());
    EXPECT_TRUE(inbox.pages()->tabText(1).startsWith(QStringLiteral("Convites (")));
    EXPECT_FALSE(inbox.acceptButton()->isEnabled()) << "nothing chosen yet";
    item->setSelected(true);
    ASSERT_TRUE(inbox.acceptButton()->isEnabled());
    inbox.acceptButton()->click();
    EXPECT_EQ(inbox.errorText(), "");
    item = Invitation(inbox, QStringLiteral("Comitê de obras"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(4), "Aceito");
    EXPECT_FALSE(item->font(1).bold());
    EXPECT_EQ(seed.Rows("SELECT IDRESPOSTA FROM RESPCONVITE WHERE NRTAREFA = '0000900001'")[0][0]
                  .AsString(),
              "A");

    LoginAs("000000000001");
    auto organiser = Host();
    EXPECT_GE(organiser->openNoticesIfUnread(), 1);
    const QTreeWidget* notices = organiser->noticesWindow()->list();
    ASSERT_GE(notices->topLevelItemCount(), 1);
    EXPECT_TRUE(notices->topLevelItem(0)->text(1).startsWith(
        QStringLiteral("Ana Souza aceitou o convite para a reunião 0000900001 - Comitê de obras")))
        << notices->topLevelItem(0)->text(1).toStdString();
}

// Writes calendars.png and inbox-invitations.png into ZEL_SCREENSHOT_DIR when it is set: the
// demo operator's feeds (his meetings, a room, a series), and a participant's invitations.
TEST_F(CalendarsWindowTest, Screenshot) {
    const QString dir = qEnvironmentVariable("ZEL_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "ZEL_SCREENSHOT_DIR not set";
    seed.Meeting("0000900001", "Comitê semanal de obras", kDay, 10);
    seed.Activity("0000900001", "00001", kAna);
    TServerConnection net;
    net.SetTransport(transport);
    net.AppServer().Call("SetSerieReuniao", {Arg("0001"), Arg("0000900001"), Arg("S"),
                                             Arg(std::to_string(IsoWeekday(seed.Day(kDay)))),
                                             Arg(""), Arg(8), Arg("P")});
    auto host = std::make_unique<MainWindow>(
        loader,
        QStringLiteral("Operador Demonstração (000000000001) · Filial 0001 · "
                       "127.0.0.1:8400"),
        [this](TServerConnection& c) { c.SetTransport(transport); });
    host->resize(1100, 520);
    host->show();
    host->openCalendars();
    CalendarsWindow& w = *host->calendarsWindow();
    w.createButton()->click();
    w.kindBox()->setCurrentIndex(1);
    w.roomBox()->setCurrentIndex(w.roomBox()->findData(QStringLiteral("00003")));
    w.createButton()->click();
    w.kindBox()->setCurrentIndex(2);
    w.seriesEdit()->setText(QStringLiteral("900001"));
    w.createButton()->click();
    w.copyButton(2)->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(host->grab().save(dir + "/calendars.png"));

    LoginAs(kAna);
    auto ana = std::make_unique<MainWindow>(
        loader, QStringLiteral("Ana Souza (000000000002) · Filial 0001 · 127.0.0.1:8400"),
        [this](TServerConnection& c) { c.SetTransport(transport); });
    ana->resize(1000, 520);
    ana->show();
    ana->openNotices();
    NoticesWindow& inbox = *ana->noticesWindow();
    inbox.pages()->setCurrentIndex(1);
    if (QTreeWidgetItem* item = Invitation(inbox, QStringLiteral("Comitê semanal de obras"))) {
        item->setSelected(true);
        inbox.acceptButton()->click();
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(ana->grab().save(dir + "/inbox-invitations.png"));
}

}  // namespace
