// The participants grid: cells painted into an image (status colours, names for codes, the
// check-box pictures, the highlight), the check column's toggle and its permission messages,
// and the focus after a refused column exit with real message boxes in a real MDI area.
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <tuple>

#include "base/db_grid.h"
#include "base/dialogs.h"
#include "base/guard.h"
#include "base/qt_dialogs.h"
#include "base/routines.h"
#include "meeting/reuniao_pictures.h"
#include "tests/meeting/activities_fixture.h"

namespace {

const QColor kInfo(255, 255, 225);

class ParticipantsGridTest : public ActivitiesTest {
  protected:
    // The cell of `field` in display row `row`, painted alone into an image.
    QImage Paint(TfrmReuniao& w, int row, const char* field, bool selected = false) {
        const int column = GridColumnIndex(*w.dbgPadrao, field);
        const QRect rect(0, 0, 150, 18);
        QImage image(rect.size(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        QFont font = w.dbgPadrao->font();
        font.setStyleStrategy(QFont::NoAntialias);  // text pixels in the pen's colour only
        painter.setFont(font);
        w.dbgPadrao->PaintCell(&painter, rect, w.dbgPadrao->Model()->index(row, column), selected);
        return image;
    }

    static int Count(const QImage& image, const QColor& colour) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == colour) ++n;
        return n;
    }

    // The check cell as it must look: the info background and the picture over it.
    static QImage ExpectedBox(const QPixmap& picture) {
        QImage image(150, 18, QImage::Format_RGB32);
        image.fill(kInfo);
        QPainter painter(&image);
        QPixmap copy = picture.copy(0, 0, picture.width(), 18);
        copy.setMask(copy.createMaskFromColor(reuniao::TransparentColor(), Qt::MaskInColor));
        painter.drawPixmap(1, 0, copy);
        return image;
    }

    int RowOf(TfrmReuniao& w, const std::string& number) {
        EXPECT_TRUE(w.cdsAtividades.Locate("NRPLATIVTARE", {Variant(number)}));
        return w.cdsAtividades.DisplayRecordIndex();
    }

    const TColumn& CheckColumn(TfrmReuniao& w) {
        return w.dbgPadrao->Columns().at(GridColumnIndex(*w.dbgPadrao, "IDOPERPAREUNIAO"));
    }
};

TEST_F(ParticipantsGridTest, RowsAreDrawnInTheirStatusColourWithNamesAndBoxes) {
    TfrmReuniao& w = OpenOn("P", true);
    const std::pair<const char*, QColor> statuses[] = {
        {"P", QColor(0, 0, 128)},
        {"A", QColor(0, 128, 0)},
        {"X", QColor(128, 0, 0)},
        {"C", QColor(128, 128, 128)},
        {"I", w.dbgPadrao->palette().color(QPalette::WindowText)}};
    std::vector<std::string> numbers;
    for (const auto& s : statuses) {
        numbers.push_back(AddActivity(w, Today(10), "000000000002"));
        SetStatus(w, numbers.back(), s.first);
    }
    for (size_t i = 0; i < numbers.size(); ++i) {
        const QImage cell = Paint(w, RowOf(w, numbers[i]), "CDARVPROCESS");
        EXPECT_GT(Count(cell, statuses[i].second), 10) << statuses[i].first;
        EXPECT_GT(Count(cell, kInfo), 1000) << "info background";
    }
    const int row = RowOf(w, numbers[0]);
    // The participant's name stands for the code; the status label for the letter.
    EXPECT_EQ(Paint(w, row, "CDOPERRESP").pixelColor(0, 0), kInfo);
    EXPECT_NE(Paint(w, row, "CDOPERRESP"), Paint(w, row, "CDARVITTRAB"))
        << "a name against an empty work item";
    EXPECT_EQ(Count(Paint(w, row, "CDARVITTRAB"), kInfo), 150 * 18) << "no work item, no text";

    // "N" shows the empty box, anything else the ticked one; no text in that column.
    EXPECT_EQ(ExpectedBox(w.imgUnchecked->pixmap()), Paint(w, row, "IDOPERPAREUNIAO"));
    server->Impl().db().Transact(true, [&](zel::appserver::SqlConnection& c) {
        c.Exec("UPDATE PLANATIVTARE SET IDOPERPAREUNIAO = 'S' WHERE NRPLATIVTARE = ?",
               {numbers[0]});
        return true;
    });
    w.sbtVerificarClick();
    EXPECT_EQ(ExpectedBox(w.imgChecked->pixmap()),
              Paint(w, RowOf(w, numbers[0]), "IDOPERPAREUNIAO"));

    // The selected cell: white text on the highlight.
    const QImage selected = Paint(w, row, "CDARVPROCESS", true);
    EXPECT_GT(Count(selected, w.dbgPadrao->palette().color(QPalette::Highlight)), 1000);
    EXPECT_GT(Count(selected, Qt::white), 10);
    EXPECT_EQ(0, Count(selected, QColor(0, 0, 128)));
}

TEST_F(ParticipantsGridTest, ResponsibleOperatorTogglesTodaysActivityAndItIsPosted) {
    TfrmReuniao& w = OpenOn("P", true);
    const std::string number = AddActivity(w, Today(10), "000000000002");
    ASSERT_TRUE(w.cdsAtividades.Locate("NRPLATIVTARE", {Variant(number)}));
    EXPECT_FALSE(CheckColumn(w).ReadOnly) << "the row may be marked";
    recorder->Clear();
    w.dbgPadrao->OnCellClick(CheckColumn(w));
    EXPECT_EQ(1, CallCount("SetAtividades"));
    EXPECT_EQ(1, CallCount("GetAtividades")) << "reloaded";
    ASSERT_TRUE(w.cdsAtividades.Locate("NRPLATIVTARE", {Variant(number)}));
    EXPECT_EQ("S", w.cdsAtividades.FieldByName("IDOPERPAREUNIAO").AsString());
    EXPECT_EQ(dsBrowse, w.cdsAtividades.State());

    // The space bar on the check column toggles back; a letter is discarded.
    ASSERT_TRUE(w.dbgPadrao->SetSelectedField("IDOPERPAREUNIAO"));
    QTest::keyClick(w.dbgPadrao, Qt::Key_Space);
    ASSERT_TRUE(w.cdsAtividades.Locate("NRPLATIVTARE", {Variant(number)}));
    EXPECT_EQ("N", w.cdsAtividades.FieldByName("IDOPERPAREUNIAO").AsString());
    QChar letter('x');
    w.dbgPadraoKeyPress(letter);
    EXPECT_TRUE(letter.isNull());
    EXPECT_EQ("", dialogs->ShownText());
}

TEST_F(ParticipantsGridTest, OtherOperatorOrTomorrowCannotToggleAndDoubleClickSaysWhy) {
    {
        TfrmReuniao& w = OpenOn("P", true);
        const std::string number = AddActivity(w, Today(10) + 1, "000000000002");
        ASSERT_TRUE(w.cdsAtividades.Locate("NRPLATIVTARE", {Variant(number)}));
        EXPECT_TRUE(CheckColumn(w).ReadOnly);
        recorder->Clear();
        w.dbgPadrao->OnCellClick(CheckColumn(w));
        EXPECT_EQ(0, CallCount("SetAtividades"));
        EXPECT_EQ("N", w.cdsAtividades.FieldByName("IDOPERPAREUNIAO").AsString());
        EXPECT_EQ("", dialogs->ShownText());
        ASSERT_TRUE(w.dbgPadrao->SetSelectedField("IDOPERPAREUNIAO"));
        EXPECT_FALSE(Guard([&] { w.dbgPadraoDblClick(); }));
        EXPECT_EQ(
            "error: Campo não pode ser alterado, pois a Data/Hora Início da reunião é "
            "superior a data atual.",
            dialogs->ShownText());
        CloseWindow();
    }
    TfrmReuniao& w = OpenOn("P", false, true);
    EXPECT_TRUE(CheckColumn(w).ReadOnly);
    w.dbgPadrao->OnCellClick(CheckColumn(w));
    EXPECT_EQ(0, CallCount("SetAtividades"));
    EXPECT_EQ("", dialogs->ShownText());
    ASSERT_TRUE(w.dbgPadrao->SetSelectedField("IDOPERPAREUNIAO"));
    EXPECT_FALSE(Guard([&] { w.dbgPadraoDblClick(); }));
    EXPECT_EQ("error: Operador não tem permissão para alterar o campo.", dialogs->ShownText());
}

TEST_F(ParticipantsGridTest, LookupPicksAWorkItemIntoTheEditedRow) {
    TfrmReuniao& w = OpenOn("P", true);
    const std::string number = AddActivity(w, Today(10));
    ASSERT_TRUE(w.cdsAtividades.Locate("NRPLATIVTARE", {Variant(number)}));
    ASSERT_TRUE(w.dbgPadrao->SetSelectedField("CDARVITTRAB"));
    dialogs->AnswerSearch("CDARVITTRAB", "0101");
    w.dbgPadrao->RunEditButtonClick();
    EXPECT_EQ(dsEdit, w.cdsAtividades.State());
    EXPECT_EQ("0000000002", w.cdsAtividades.FieldByName("CDITEMTRAB").AsString());
    EXPECT_EQ("Preparação de Pauta", w.cdsAtividades.FieldByName("NMITEMTRAB").AsString());
    EXPECT_EQ("search: Item de Trabalho", dialogs->ShownText());
}

// The participants' answers to the invitation: a column of their own after the activity's
// columns, read with one call for the whole grid while the activities page is shown; a
// participant without an answer shows nothing. Elsewhere the answers are not read.
TEST_F(ParticipantsGridTest, AnswersColumnShowsEachReplyReadOnceForTheGrid) {
    TfrmReuniao& w = OpenOn("P", true);
    const std::string meeting = w.cdsControle.FieldByName("NRTAREFA").AsString();
    const std::string accepted = AddActivity(w, Today(10), "000000000002");
    const std::string maybe = AddActivity(w, Today(10), "000000000003");
    const std::string declined = AddActivity(w, Today(10), "000000000004");
    const std::string silent = AddActivity(w, Today(10), "000000000005");
    server->Impl().db().Transact(true, [&](zel::appserver::SqlConnection& c) {
        for (const auto& [activity, op, answer] :
             {std::tuple<std::string, const char*, const char*>{accepted, "000000000002", "A"},
              {maybe, "000000000003", "T"},
              {declined, "000000000004", "R"}})
            c.Exec(
                "INSERT INTO RESPCONVITE (CDFILIAL, NRTAREFA, NRPLATIVTARE, CDOPERADOR, "
                "IDRESPOSTA, DTHRRESPOSTA) VALUES ('0001', ?, ?, ?, ?, ?)",
                {meeting, activity, std::string(op), std::string(answer),
                 Variant::FromDateTime(clock)});
        return true;
    });
    recorder->Clear();
    w.sbtVerificarClick();
    EXPECT_EQ(1, CallCount("GetRespConvite"));
    EXPECT_EQ("Aceitou", w.RespostaAtividade(accepted));
    EXPECT_EQ("Talvez", w.RespostaAtividade(maybe));
    EXPECT_EQ("Recusou", w.RespostaAtividade(declined));
    EXPECT_EQ("", w.RespostaAtividade(silent));
    const TColumn& last = w.dbgPadrao->Columns().back();
    EXPECT_EQ("RESPOSTA", last.FieldName);
    EXPECT_EQ("Resposta", last.Title);
    EXPECT_EQ(GridColumnIndex(*w.dbgPadrao, "DTFIPATIVTAR") + 1,
              GridColumnIndex(*w.dbgPadrao, "RESPOSTA"));

    // Painted in the row's status colour; the cell of no answer is the background alone.
    const QImage answered = Paint(w, RowOf(w, accepted), "RESPOSTA");
    EXPECT_GT(Count(answered, QColor(0, 0, 128)), 10);
    const QImage blank = Paint(w, RowOf(w, silent), "RESPOSTA");
    EXPECT_EQ(blank.width() * blank.height(), Count(blank, kInfo));

    // Another page: the activities reloaded there read no answers, and keep none.
    recorder->Clear();
    w.pgcReuniao->SetActivePage(w.tshFormulario);
    w.pgcReuniaoChange();
    EXPECT_EQ(0, CallCount("GetRespConvite"));
    EXPECT_EQ("", w.RespostaAtividade(accepted));
    w.pgcReuniao->SetActivePage(w.tshParticipantes);
    w.pgcReuniaoChange();
    EXPECT_EQ(1, CallCount("GetRespConvite"));
    EXPECT_EQ("Recusou", w.RespostaAtividade(declined));
}

// With a real message box in a real MDI area: a refused column exit shows the box once, keeps
// the column, and the grid stays the window's focus control.
TEST_F(ParticipantsGridTest, RefusedColumnExitKeepsColumnAndFocusBehindARealBox) {
    MdiMainWindow host;
    ASSERT_TRUE(host.Activate());
    TfrmReuniao& w = OpenOn("P", true);
    InstallDialogs(std::make_unique<QtDialogs>());
    w.cdsAtividades.Insert();
    w.cdsAtividades.FieldByName("CDARVPROCESS").SetAsString("0999");
    w.dbgPadrao->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == w.dbgPadrao; }));
    QString shown;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return ADD_FAILURE() << "no message box";
        shown = box->text();
        box->accept();
    });
    QTest::keyClick(w.dbgPadrao, Qt::Key_Tab);
    EXPECT_EQ(QStringLiteral("Processo não cadastrado."), shown);
    EXPECT_EQ("CDARVPROCESS", w.dbgPadrao->SelectedField()->FieldName());
    // The grid stays the window's focus control (the offscreen platform gives the activation
    // back to no window; see the report on the MDI frame taking the focus).
    EXPECT_EQ(w.dbgPadrao, w.focusWidget());
    InstallDialogs(nullptr);
}

}  // namespace
