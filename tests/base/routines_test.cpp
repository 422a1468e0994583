// Guard, error messages, busy indicator balance, login context, key lists.
#include <gtest/gtest.h>

#include <QApplication>
#include <nlohmann/json.hpp>

#include "base/guard.h"
#include "base/login_context.h"
#include "base/multi_select_keys.h"
#include "base/routines.h"
#include "base/scripted_dialogs.h"
#include "messages/message_tables.h"
#include "server/check_server_result.h"

namespace {

class GuardTest : public ::testing::Test {
  protected:
    void SetUp() override { dialogs = &ScriptedDialogs::Install(); }
    ScriptedDialogs* dialogs = nullptr;
};

TEST_F(GuardTest, AbortIsSilentAlreadyShownIsNotShownTwiceOthersOnce) {
    EXPECT_FALSE(Guard([] { throw EAbort(); }));
    EXPECT_FALSE(Guard([] { ShowErrorMessage("Sala não cadastrada.", true); }));
    EXPECT_FALSE(Guard([] { throw EServerError("stale_row", "Registro alterado."); }));
    EXPECT_FALSE(Guard([] { throw std::runtime_error("falhou"); }));
    EXPECT_TRUE(Guard([] {}));
    EXPECT_EQ(dialogs->ShownText(),
              "error: Sala não cadastrada.\nerror: Registro alterado.\nerror: falhou");
}

TEST_F(GuardTest, ShownErrorStillRunsTheCallersCleanUp) {
    bool cleaned = false;
    Guard([&] {
        try {
            ShowErrorMessage("Data inválida.", true);
        } catch (...) {
            cleaned = true;
            throw;
        }
    });
    EXPECT_TRUE(cleaned);
    EXPECT_EQ(dialogs->Shown().size(), 1u);
}

TEST_F(GuardTest, ServerErrorDisplayAndMessageTablesGoThroughTheDialogs) {
    ShowServerError("Sem comunicação.");
    dialogs->AnswerQuestion(true);
    EXPECT_EQ(
        MeetingWindowStandardMessages().ShowMsg("excl", TMsgDlgType::mtConfirmation, mbYes | mbNo),
        mrYes);
    EXPECT_EQ(dialogs->ShownText(),
              "error: Sem comunicação.\nquestion: Deseja excluir o registro?");
}

TEST_F(GuardTest, BusyAnimationNestsAndBalances) {
    ShowBusyAnimation(nullptr, 1);
    ShowBusyAnimation(nullptr, 1);
    EXPECT_EQ(dialogs->BusyVisible(), 1);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    HideBusyAnimation();
    EXPECT_EQ(dialogs->BusyVisible(), 1);
    HideBusyAnimation();
    HideBusyAnimation();  // one too many: ignored
    EXPECT_EQ(dialogs->BusyVisible(), 0);
    EXPECT_EQ(BusyAnimationDepth(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(LoginContextTest, ReadsTheLoginRowAndTheCodePictures) {
    nlohmann::json packet = {{"fields",
                              {{{"name", "TOKEN"}, {"type", "string"}, {"size", 64}},
                               {{"name", "CDOPERADOR"}, {"type", "string"}, {"size", 12}},
                               {{"name", "NMOPERADOR"}, {"type", "string"}, {"size", 40}},
                               {{"name", "CDFILIAL"}, {"type", "string"}, {"size", 4}},
                               {{"name", "FILIAIS"}, {"type", "string"}, {"size", 100}},
                               {{"name", "MASCPROCESSO"}, {"type", "string"}, {"size", 30}},
                               {{"name", "MASCITTRAB"}, {"type", "string"}, {"size", 30}}}},
                             {"rows",
                              {{"tok", "000000000001", "Operador Demonstração", "0001",
                                "0001, '0002'", "99.99.999", "999.999"}}}};
    SetLoginContext(LoginContextFromPacket(Variant::FromPacket(packet), "127.0.0.1", 8401));
    EXPECT_EQ(CurrentOperator(), "000000000001");
    EXPECT_EQ(CurrentBranch(), "0001");
    EXPECT_EQ(ServerPort(), 8401);
    EXPECT_EQ(CurrentLogin().branches, (std::vector<std::string>{"0001", "0002"}));
    EXPECT_EQ(PictureMask(13), "99.99.999;1;_");
    EXPECT_EQ(PictureMaskObject(13).levels, 3);
    EXPECT_EQ(PictureMaskObject(15).levels, 2);
    EXPECT_EQ(PictureMask(99), "");

    packet["rows"] = nlohmann::json::array();
    EXPECT_THROW(LoginContextFromPacket(Variant::FromPacket(packet), "h", 1), Exception);
    EXPECT_EQ(CurrentOperator(), "000000000001") << "a bad packet leaves the context alone";
    ClearLoginContext();
}

TEST(KeyListTest, ParsesQuotedAndBareKeysAndFormatsThemBack) {
    EXPECT_EQ(ParseKeyList(" '0001', 0002 ,'O''Brien'"),
              (std::vector<std::string>{"0001", "0002", "O'Brien"}));
    EXPECT_EQ(FormatKeyList({"0001", "O'Brien"}), "'0001','O''Brien'");
    EXPECT_TRUE(ParseKeyList("").empty());
}

}  // namespace
