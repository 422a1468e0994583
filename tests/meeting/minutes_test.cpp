// The minutes page against the real application server on the demo branch: minutes written
// and formatted with the format bar, stored as the editor's HTML and shown back with their
// formatting, blank minutes refused, and minutes written by other tools as RTF shown as text.
#include <QAction>
#include <QLabel>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include "base/db_rich_edit.h"
#include "base/rich_format_bar.h"
#include "base/routines.h"
#include "tests/meeting/agenda_fixture.h"

namespace {

class MinutesTest : public AgendaWindowTest {
  protected:
    std::string StoredMinutes(const TfrmReuniao& w) {
        return DbText(
            "SELECT TXDESCITTARE FROM DESCITEMTARE WHERE CDFILIAL = ? AND NRTAREFA = ? AND "
            "NRSEQUITTARE = ?",
            {Text(w.cdsItemTarefa, "CDFILIAL"), Text(w.cdsItemTarefa, "NRTAREFA"),
             Text(w.cdsItemTarefa, "NRSEQUITTARE")});
    }
    static bool HasList(const QTextDocument& doc) {
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
            if (b.textList()) return true;
        return false;
    }
};

TEST_F(MinutesTest, FormattedMinutesAreStoredAsHtmlAndShownBackAndBlankOnesRefused) {
    TfrmReuniao& w = Open();
    ASSERT_TRUE(GoToMeeting(w, "P", true));
    ShowPage(w, w.tshAta);
    ASSERT_TRUE(w.cdsDescItTare.IsEmpty());
    EXPECT_TRUE(w.sbtIncluir->isEnabled());

    w.cdsDescItTare.Insert();
    w.dbrDescricao->setPlainText(QStringLiteral("  \n\t "));
    EXPECT_THROW(w.cdsDescItTare.Post(), EErrorShown);
    EXPECT_EQ("error: Ata da Reunião deve ser informada", dialogs->ShownText());
    EXPECT_EQ(dsInsert, w.cdsDescItTare.State());
    EXPECT_EQ(0, CallCount("SetDescItTare"));

    w.dbrDescricao->clear();
    QTest::keyClicks(w.dbrDescricao, "Decidido");
    w.dbrDescricao->selectAll();
    TRichFormatBar& bar = *w.FormatPanel2;
    bar.Button(TFormatButton::Bold)->trigger();
    bar.ApplyTextColor(Qt::red);
    bar.Button(TFormatButton::AlignCenter)->trigger();
    bar.Button(TFormatButton::Bullets)->trigger();
    EXPECT_TRUE(bar.Button(TFormatButton::Bold)->isChecked());
    w.cdsDescItTare.Post();

    EXPECT_EQ("error: Ata da Reunião deve ser informada", dialogs->ShownText());
    const std::string html = StoredMinutes(w);
    EXPECT_EQ(0u, html.find("<!DOCTYPE HTML")) << html;
    for (const char* part : {"Decidido", "font-weight:700", "#ff0000", "align=\"center\"", "<li"})
        EXPECT_NE(std::string::npos, html.find(part)) << part;
    EXPECT_EQ("DESCITEMTARE", RefreshedLocalCaches().back());

    // Read again from the server: the editor shows the text with its formatting.
    EXPECT_EQ(1, w.cdsDescItTare.RecordCount());
    EXPECT_EQ(0, w.cdsDescItTare.ChangeCount());
    EXPECT_EQ(QStringLiteral("Decidido"), w.dbrDescricao->toPlainText());
    QTextCursor cursor(w.dbrDescricao->document());
    cursor.setPosition(1);
    EXPECT_EQ(QFont::Bold, cursor.charFormat().fontWeight());
    EXPECT_EQ(QColor(Qt::red), cursor.charFormat().foreground().color());
    EXPECT_TRUE(HasList(*w.dbrDescricao->document()));
    EXPECT_FALSE(w.sbtIncluir->isEnabled()) << "the item has its minutes";
}

TEST_F(MinutesTest, FormatBarHasItsButtonsAndHintsButNoCut) {
    TfrmReuniao& w = Open();
    const TRichFormatBar& bar = *w.FormatPanel2;
    EXPECT_EQ(w.dbrDescricao, bar.Editor());
    const char* hints[] = {"Copiar",
                           "Colar",
                           "Voltar",
                           "Fonte",
                           "Tamanho",
                           "Negrito",
                           "Itálico",
                           "Sublinhado",
                           "Alinhar à esquerda",
                           "Alinhar centralizado",
                           "Alinhar à direita",
                           "Numerador",
                           "Cores"};
    EXPECT_FALSE(bar.Button(TFormatButton::Cut)->isVisible());
    for (int i = 1; i < kFormatButtonCount; ++i) {
        const auto button = static_cast<TFormatButton>(i);
        EXPECT_TRUE(bar.Button(button)->isVisible()) << i;
        EXPECT_EQ(QString::fromUtf8(hints[i - 1]), bar.Hint(button)) << i;
    }
}

TEST_F(MinutesTest, ConcludedMeetingsShowTheirDemoMinutesFormattedAndKeepThem) {
    TfrmReuniao& w = Open();
    ASSERT_TRUE(GoToMeeting(w, "C", true));
    ShowPage(w, w.tshAta);
    EXPECT_EQ(Text(w.cdsItemTarefa, "NRSEQUITTARE") + " - Abertura e informes",
              w.panAssunto->text().toStdString());
    const QString text = w.dbrDescricao->toPlainText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Abertura e informes\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Ata: assunto discutido e aprovado.")));
    EXPECT_FALSE(text.contains(QLatin1Char('<')));
    EXPECT_TRUE(HasList(*w.dbrDescricao->document()));

    const std::string stored = StoredMinutes(w);
    recorder->Clear();
    w.dbrDescricao->selectAll();
    w.FormatPanel2->Button(TFormatButton::Bold)->trigger();
    w.FormatPanel2->ApplyTextColor(Qt::blue);
    QTest::keyClicks(w.dbrDescricao, "x");
    EXPECT_EQ(dsBrowse, w.cdsDescItTare.State());
    EXPECT_EQ(text, w.dbrDescricao->toPlainText());
    EXPECT_EQ(stored, StoredMinutes(w));
    EXPECT_EQ("", recorder->ToString());
    EXPECT_EQ("", dialogs->ShownText());
}

TEST_F(MinutesTest, MinutesWrittenAsRtfShowTheirTextAndAreSavedAsHtmlOnceChanged) {
    TfrmReuniao& w = Open();
    ASSERT_TRUE(GoToMeeting(w, "P", true));
    DbExec(
        "INSERT INTO DESCITEMTARE (CDFILIAL, NRTAREFA, NRSEQUITTARE, TXDESCITTARE) "
        "VALUES (?, ?, ?, ?)",
        {Text(w.cdsItemTarefa, "CDFILIAL"), Text(w.cdsItemTarefa, "NRTAREFA"),
         Text(w.cdsItemTarefa, "NRSEQUITTARE"),
         std::string("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Tahoma;}}\\f0\\fs20 "
                     "\\b Decis\\'f5es\\b0 :\\par Aprovado.\\par}")});
    ShowPage(w, w.tshAta);
    EXPECT_EQ(QStringLiteral("Decisões:\nAprovado."), w.dbrDescricao->toPlainText());
    EXPECT_EQ(dsBrowse, w.cdsDescItTare.State()) << "showing it is no change";

    w.dbrDescricao->moveCursor(QTextCursor::End);
    QTest::keyClicks(w.dbrDescricao, " Sem ressalvas.");
    EXPECT_EQ(dsEdit, w.cdsDescItTare.State());
    w.cdsDescItTare.Post();
    const std::string html = StoredMinutes(w);
    EXPECT_EQ(0u, html.find("<!DOCTYPE HTML"));
    EXPECT_NE(std::string::npos, html.find("Aprovado. Sem ressalvas.")) << html;
    EXPECT_EQ("", dialogs->ShownText());
}

// Not a check: with ZEL_SCREENSHOT_DIR set, saves the minutes page with formatted minutes.
TEST_F(MinutesTest, Screenshot) {
    const QString dir = qEnvironmentVariable("ZEL_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "ZEL_SCREENSHOT_DIR not set";
    TfrmReuniao& w = Open();
    w.resize(1000, 620);
    ASSERT_TRUE(GoToMeeting(w, "C", true));
    ShowPage(w, w.tshAta);
    // The cursor in the bold, coloured word: the bar shows its format.
    QTextCursor cursor = w.dbrDescricao->document()->find(QStringLiteral("atingidas"));
    cursor.setPosition(cursor.selectionStart() + 2);
    w.dbrDescricao->setTextCursor(cursor);
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.grab().save(dir + "/minutes-page.png"));
}

}  // namespace
