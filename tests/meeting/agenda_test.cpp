// The agenda page against the real application server on the demo branch: which meetings take
// new or changed items, the note memo, numbering, the checks before a post, what a save
// stamps, that every change is sent at once, and the operator columns of the grid.
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTest>
#include <cmath>

#include "base/canvas.h"
#include "base/db_grid.h"
#include "base/db_rich_edit.h"
#include "base/login_context.h"
#include "base/routines.h"
#include "platform/date_time.h"
#include "platform/routines.h"
#include "tests/meeting/agenda_fixture.h"

namespace {

class AgendaTest : public AgendaWindowTest {
  protected:
    std::string StoredItem(const char* column, const std::string& meeting,
                           const std::string& item) {
        return DbText(std::string("SELECT ") + column +
                          " FROM ITEMTAREFA WHERE CDFILIAL = '0001' AND NRTAREFA = ? AND "
                          "NRSEQUITTARE = ?",
                      {meeting, item});
    }
    static std::string Memo(const TfrmReuniao& w) { return w.memObs->toPlainText().toStdString(); }
};

TEST_F(AgendaTest, InProgressMeetingTakesNewItemsWithTheirNoteButKeepsItsOldItems) {
    TfrmReuniao& w = Open();
    ASSERT_TRUE(GoToMeeting(w, "A", true));
    ShowPage(w, w.tshPauta);
    const std::string nr = Text(w.cdsControle, "NRTAREFA");
    const std::string note = Memo(w);
    ASSERT_FALSE(note.empty());

    EXPECT_THROW(w.cdsItemTarefa.Edit(), EAbort);
    QTest::keyClicks(w.memObs, "abc");
    QTest::keyClick(w.memObs, Qt::Key_Backspace);
    w.memObs->insertPlainText("colado");  // a paste, which no key filter sees
    EXPECT_EQ(dsBrowse, w.cdsItemTarefa.State());
    EXPECT_EQ(note, Memo(w)) << "the memo shows the stored note again";

    recorder->Clear();
    w.cdsItemTarefa.Insert();
    ASSERT_EQ(dsInsert, w.cdsItemTarefa.State());
    ASSERT_EQ(1u, recorder->Calls().size());
    EXPECT_EQ("GetPrxItemTarefa('0001')", recorder->ToString()) << "the branch only";
    const std::string seq = Text(w.cdsItemTarefa, "NRSEQUITTARE");
    EXPECT_EQ(10u, seq.size());
    EXPECT_EQ("", Memo(w)) << "a new item starts with an empty note";
    w.cdsItemTarefa.FieldByName("DSREFEITTARE").SetAsString("Orçamento do próximo ano");
    QTest::keyClicks(w.memObs, "Trazer os numeros");
    w.cdsItemTarefa.Post();

    EXPECT_EQ("", dialogs->ShownText());
    EXPECT_EQ("Trazer os numeros", StoredItem("TXPLANITTARE", nr, seq));
    EXPECT_EQ("", StoredItem("CDOPERRESP", nr, seq)) << "a blank responsible is accepted";
    EXPECT_EQ(3, w.cdsItemTarefa.RecordCount()) << "the agenda was read again";
    EXPECT_EQ(0, w.cdsItemTarefa.ChangeCount());
    EXPECT_EQ("ITEMTAREFA", RefreshedLocalCaches().back());
    EXPECT_TRUE(w.sbtIncluir->isEnabled());
}

TEST_F(AgendaTest, ClosedMeetingsTakeNoItemsAndNoMinutes) {
    for (const char* status : {"C", "X"}) {
        SCOPED_TRACE(status);
        TfrmReuniao& w = Open();
        ASSERT_TRUE(GoToMeeting(w, status, true));
        ShowPage(w, w.tshPauta);
        const std::string note = Memo(w);
        recorder->Clear();
        EXPECT_THROW(w.cdsItemTarefa.Insert(), EAbort);
        EXPECT_THROW(w.cdsItemTarefa.Edit(), EAbort);
        QTest::keyClicks(w.memObs, "abc");
        EXPECT_EQ(dsBrowse, w.cdsItemTarefa.State());
        EXPECT_EQ(note, Memo(w));

        ShowPage(w, w.tshAta);
        const QString minutes = w.dbrDescricao->toPlainText();
        recorder->Clear();
        EXPECT_THROW(w.cdsDescItTare.Insert(), EAbort);
        EXPECT_THROW(w.cdsDescItTare.Edit(), EAbort);
        QTest::keyClicks(w.dbrDescricao, "abc");
        EXPECT_EQ(dsBrowse, w.cdsDescItTare.State());
        EXPECT_EQ(minutes, w.dbrDescricao->toPlainText());
        EXPECT_EQ("", recorder->ToString()) << "refused without a call";
        EXPECT_EQ("", dialogs->ShownText()) << "and without a message";
        CloseWindow();
    }
}

TEST_F(AgendaTest, ScrollingNeverMarksAnItemChanged) {
    DbExec("UPDATE ITEMTAREFA SET TXPLANITTARE = 'Nota ' || NRSEQUITTARE", {});
    TfrmReuniao& w = Open();
    ASSERT_TRUE(GoToMeeting(w, "P", true));
    ShowPage(w, w.tshPauta);
    recorder->Clear();
    for (int i = 0; i < 2; ++i) {
        w.cdsItemTarefa.Next();
        EXPECT_EQ("Nota " + Text(w.cdsItemTarefa, "NRSEQUITTARE"), Memo(w));
        EXPECT_EQ(
            Text(w.cdsItemTarefa, "NRSEQUITTARE") + " - " + Text(w.cdsItemTarefa, "DSREFEITTARE"),
            w.panAssunto->text().toStdString());
        w.cdsItemTarefa.Prior();
        w.cdsControle.Next();
        w.cdsControle.Prior();
        EXPECT_EQ(dsBrowse, w.cdsItemTarefa.State());
        EXPECT_EQ(0, w.cdsItemTarefa.ChangeCount());
    }
    EXPECT_EQ(0, CallCount("SetItemTarefa"));
    EXPECT_EQ(dsBrowse, w.cdsControle.State());
}

// The memo is not bound to the item: a note typed alone must still count as a change.
TEST_F(AgendaTest, NoteTypedAloneIsSavedWhenMovingToAnotherItem) {
    TfrmReuniao& w = Open();
    ASSERT_TRUE(GoToMeeting(w, "P", true));
    ShowPage(w, w.tshPauta);
    const std::string nr = Text(w.cdsControle, "NRTAREFA");
    const std::string seq = Text(w.cdsItemTarefa, "NRSEQUITTARE");
    const std::string note = Memo(w);
    w.memObs->moveCursor(QTextCursor::End);
    QTest::keyClicks(w.memObs, " Revisar");
    EXPECT_EQ(dsEdit, w.cdsItemTarefa.State());
    w.cdsItemTarefa.Next();
    EXPECT_EQ(note + " Revisar", StoredItem("TXPLANITTARE", nr, seq));

    // Beyond the note's 2000 characters nothing is taken.
    w.memObs->moveCursor(QTextCursor::End);
    w.memObs->insertPlainText(QString(2100, QLatin1Char('x')));
    EXPECT_EQ(2000, w.memObs->toPlainText().size());
    EXPECT_EQ(Memo(w), Text(w.cdsItemTarefa, "TXPLANITTARE"));
    w.cdsItemTarefa.Cancel();
    EXPECT_EQ(0, w.cdsItemTarefa.ChangeCount());
}

TEST_F(AgendaTest, SubjectAndResponsibleAreCheckedAndTheCodeWidened) {
    TfrmReuniao& w = Open();
    ASSERT_TRUE(GoToMeeting(w, "P", true));
    ShowPage(w, w.tshPauta);
    const std::string nr = Text(w.cdsControle, "NRTAREFA");
    w.cdsItemTarefa.Insert();
    const std::string seq = Text(w.cdsItemTarefa, "NRSEQUITTARE");
    w.cdsItemTarefa.FieldByName("DSREFEITTARE").SetAsString("   ");
    EXPECT_THROW(w.cdsItemTarefa.Post(), EErrorShown);
    w.cdsItemTarefa.FieldByName("DSREFEITTARE").SetAsString("Fornecedores");
    w.cdsItemTarefa.FieldByName("CDOPERRESP").SetAsString("99");
    EXPECT_THROW(w.cdsItemTarefa.Post(), EErrorShown);
    EXPECT_EQ("error: Assunto deve ser informado.\nerror: Operador responsável não cadastrado.",
              dialogs->ShownText());
    EXPECT_EQ(dsInsert, w.cdsItemTarefa.State()) << "what was typed stays";
    EXPECT_EQ(0, CallCount("SetItemTarefa"));

    w.cdsItemTarefa.FieldByName("CDOPERRESP").SetAsString("5");
    w.cdsItemTarefa.Post();
    EXPECT_EQ("000000000005", StoredItem("CDOPERRESP", nr, seq));
    ASSERT_TRUE(w.cdsItemTarefa.Locate("NRSEQUITTARE", {Variant(seq)}));
    EXPECT_EQ("Diego Rocha", Text(w.cdsItemTarefa, "NMOPERRESP"));
}

TEST_F(AgendaTest, ChangingAnOldItemReplacesItsSavingTimeAndOperator) {
    DbExec("UPDATE ITEMTAREFA SET CDOPERADOR = '000000000002'", {});
    const TDateTime clock = std::floor((Now() + 1.0 / 1440) * 86400) / 86400;
    server->Impl().setClock([clock] { return clock; });
    TfrmReuniao& w = Open();
    ASSERT_TRUE(GoToMeeting(w, "P", true));
    ShowPage(w, w.tshPauta);
    const std::string nr = Text(w.cdsControle, "NRTAREFA");
    const std::string seq = Text(w.cdsItemTarefa, "NRSEQUITTARE");
    ASSERT_NE(DateTimeToStr(clock), Text(w.cdsItemTarefa, "DTINCLITTARE"));

    w.cdsItemTarefa.Edit();
    w.cdsItemTarefa.FieldByName("DSREFEITTARE").SetAsString("Abertura revisada");
    w.cdsItemTarefa.Post();
    EXPECT_EQ(CurrentOperator(), StoredItem("CDOPERADOR", nr, seq));
    ASSERT_TRUE(w.cdsItemTarefa.Locate("NRSEQUITTARE", {Variant(seq)}));
    EXPECT_EQ(DateTimeToStr(clock), Text(w.cdsItemTarefa, "DTINCLITTARE"));
    EXPECT_EQ("Operador Demonstração", Text(w.cdsItemTarefa, "NMOPERADOR"));
    EXPECT_EQ("Abertura revisada", Text(w.cdsItemTarefa, "DSREFEITTARE"));
}

TEST_F(AgendaTest, DeletingAnItemIsSentAtOnce) {
    TfrmReuniao& w = Open();
    ASSERT_TRUE(GoToMeeting(w, "P", true));
    ShowPage(w, w.tshPauta);
    const std::string nr = Text(w.cdsControle, "NRTAREFA");
    const std::string seq = Text(w.cdsItemTarefa, "NRSEQUITTARE");
    recorder->Clear();
    w.cdsItemTarefa.Delete();
    const std::vector<std::string> methods = recorder->Methods();
    ASSERT_GE(methods.size(), 2u);
    EXPECT_EQ("SetItemTarefa", methods[0]);
    EXPECT_EQ("GetItemTarefa", methods[1]) << "then the agenda is read again";
    EXPECT_EQ("", StoredItem("NRSEQUITTARE", nr, seq));
    EXPECT_EQ(1, w.cdsItemTarefa.RecordCount());
    EXPECT_EQ(0, w.cdsItemTarefa.ChangeCount());
    EXPECT_EQ("ITEMTAREFA", RefreshedLocalCaches().back());
}

TEST_F(AgendaTest, OperatorColumnsShowNamesAndTheEllipsisPicksTheResponsible) {
    TfrmReuniao& w = Open();
    ASSERT_TRUE(GoToMeeting(w, "P", true));
    ShowPage(w, w.tshPauta);
    TDBGrid& grid = *w.dsgAssunto;
    EXPECT_EQ(cbsEllipsis, grid.Columns()[GridColumnIndex(grid, "CDOPERRESP")].ButtonStyle);

    // Each operator cell is drawn as the name written over the cell.
    for (auto [code, name] :
         {std::pair{"CDOPERRESP", "NMOPERRESP"}, {"CDOPERADOR", "NMOPERADOR"}}) {
        const QRect rect(0, 0, 160, 18);
        QImage drawn(rect.size(), QImage::Format_RGB32),
            expected(rect.size(), QImage::Format_RGB32);
        {
            QPainter p(&drawn);
            TCanvas canvas(p);
            w.dsgAssuntoDrawColumnCell(canvas, rect, GridColumnIndex(grid, code),
                                       &w.cdsItemTarefa.FieldByName(code), 0);
            QPainter q(&expected);
            TCanvas plain(q);
            plain.TextRect(rect, 2, 2, Text(w.cdsItemTarefa, name));
        }
        ASSERT_FALSE(Text(w.cdsItemTarefa, name).empty()) << name;
        EXPECT_EQ(expected, drawn) << code;
    }

    w.cdsItemTarefa.Edit();
    grid.SetSelectedField("DSREFEITTARE");
    w.dsgAssuntoEditButtonClick();
    EXPECT_EQ(0, CallCount("GetPesqOper")) << "only the responsible's column has a pick list";
    grid.SetSelectedField("CDOPERRESP");
    dialogs->CancelSearch();
    dialogs->AnswerSearch("CDOPERADOR", "000000000003");
    const std::string before = Text(w.cdsItemTarefa, "CDOPERRESP");
    w.dsgAssuntoEditButtonClick();
    EXPECT_EQ(before, Text(w.cdsItemTarefa, "CDOPERRESP")) << "cancelled";
    w.dsgAssuntoEditButtonClick();
    EXPECT_EQ("000000000003", Text(w.cdsItemTarefa, "CDOPERRESP"));
    EXPECT_EQ("Bruno Lima", Text(w.cdsItemTarefa, "NMOPERRESP"));
    EXPECT_EQ("search: Operador Responsável\nsearch: Operador Responsável", dialogs->ShownText());
}

// Not a check: with ZEL_SCREENSHOT_DIR set, saves the agenda page with an item's note.
TEST_F(AgendaTest, Screenshot) {
    const QString dir = qEnvironmentVariable("ZEL_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "ZEL_SCREENSHOT_DIR not set";
    DbExec(
        "UPDATE ITEMTAREFA SET TXPLANITTARE = 'Trazer os indicadores do mês e a lista de "
        "pendências.' || char(10) || 'Tempo previsto: 20 minutos.' WHERE DSREFEITTARE = "
        "'Abertura e informes'",
        {});
    TfrmReuniao& w = Open();
    w.resize(1000, 620);
    ASSERT_TRUE(GoToMeeting(w, "P", true));
    ShowPage(w, w.tshPauta);
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.grab().save(dir + "/agenda-page.png"));
}

}  // namespace
