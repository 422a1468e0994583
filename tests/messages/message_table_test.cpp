// TMessageTable: parsing, lookup without regard to case, and the dialog hook.
#include <gtest/gtest.h>

#include "messages/message_table.h"
#include "platform/exceptions.h"

namespace {

TEST(MessageTableParse, OnlyTheFirstBarSeparatesKeyAndText) {
    const TMessageTable table("T.msg", "Sep|a|b | c\nKey| lead and trail \n");
    EXPECT_EQ(table.Msg("Sep"), "a|b | c");
    EXPECT_EQ(table.Msg("key"), " lead and trail ") << "blanks of a text are kept";
}

TEST(MessageTableParse, KeepsOrderSkipsEmptyLinesAndAcceptsCrLf) {
    const TMessageTable table("T.msg", "b|2\r\n\r\na|1\nc|\n");
    EXPECT_EQ(table.Keys(), (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_EQ(table.Lines(), (std::vector<std::string>{"b|2", "a|1", "c|"}));
    EXPECT_EQ(table.Msg("c"), "");
    EXPECT_TRUE(table.Contains("C"));
}

TEST(MessageTableParse, RejectsLinesWithoutKey) {
    EXPECT_THROW(TMessageTable("T.msg", "ok|1\nno bar here\n"), Exception);
    EXPECT_THROW(TMessageTable("T.msg", "|text without key\n"), Exception);
}

TEST(MessageTableLookup, FirstEntryWinsAndMissingKeyIsEmpty) {
    const TMessageTable table("T.msg", "Dup|first\nDUP|second\n");
    EXPECT_EQ(table.Msg("dup"), "first");
    EXPECT_EQ(table.Msg("absent"), "");
    EXPECT_FALSE(table.Contains("absent"));
}

TEST(MessageTableLookup, MatchesAccentedKeysWithoutRegardToCase) {
    const TMessageTable table("T.msg", "Ação|feito\n");
    EXPECT_EQ(table.Msg("AÇÃO"), "feito");
}

class ShowMsgTest : public ::testing::Test {
  protected:
    void TearDown() override { SetMessageDialogHandler(nullptr); }

    const TMessageTable m_table{"T.msg", "Q|Deseja continuar?\n"};
};

TEST_F(ShowMsgTest, PassesTextTypeAndButtonsToTheHandlerAndReturnsItsAnswer) {
    std::string shown;
    TMsgDlgType shownType = TMsgDlgType::mtError;
    TMsgDlgButtons shownButtons = 0;
    SetMessageDialogHandler([&](const std::string& text, TMsgDlgType type, TMsgDlgButtons b) {
        shown = text;
        shownType = type;
        shownButtons = b;
        return static_cast<int>(mrNo);
    });
    EXPECT_EQ(m_table.ShowMsg("q", TMsgDlgType::mtConfirmation, mbYes | mbNo, 0), mrNo);
    EXPECT_EQ(shown, "Deseja continuar?");
    EXPECT_EQ(shownType, TMsgDlgType::mtConfirmation);
    EXPECT_EQ(shownButtons, mbYes | mbNo);
}

TEST_F(ShowMsgTest, WithoutHandlerThrowsInsteadOfAnswering) {
    EXPECT_THROW(m_table.ShowMsg("Q", TMsgDlgType::mtConfirmation, mbYes | mbNo), Exception);
}

TEST_F(ShowMsgTest, MissingKeyThrowsBeforeShowingAnything) {
    bool called = false;
    SetMessageDialogHandler([&](const std::string&, TMsgDlgType, TMsgDlgButtons) {
        called = true;
        return static_cast<int>(mrYes);
    });
    EXPECT_THROW(m_table.ShowMsg("absent", TMsgDlgType::mtConfirmation, mbYes | mbNo), Exception);
    EXPECT_FALSE(called);
}

TEST_F(ShowMsgTest, SetReturnsThePreviousHandler) {
    SetMessageDialogHandler([](const std::string&, TMsgDlgType, TMsgDlgButtons) { return 1; });
    MessageDialogHandler previous =
        SetMessageDialogHandler([](const std::string&, TMsgDlgType, TMsgDlgButtons) { return 2; });
    ASSERT_TRUE(previous);
    EXPECT_EQ(previous("", TMsgDlgType::mtInformation, mbOK), 1);
    EXPECT_EQ(m_table.ShowMsg("Q", TMsgDlgType::mtInformation, mbOK), 2);
}

}  // namespace
