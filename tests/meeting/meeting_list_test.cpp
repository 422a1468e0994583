// The meeting list against the real application server on the demo branch (30 meetings, one a
// day from 14 days ago to 15 days ahead, in every status): the status tool bar, "Ir Para",
// "Hoje", "Filtrar", refresh, page switching, what is loaded when the current meeting changes
// and the enabling that follows it.
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QThread>
#include <set>
#include <utility>

#include "base/buttons.h"
#include "base/canvas.h"
#include "base/date_picker_edit.h"
#include "base/db_edit.h"
#include "base/db_grid.h"
#include "base/lookup_button.h"
#include "base/mask_edit.h"
#include "base/page_control_ex.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "platform/routines.h"
#include "tests/meeting/meeting_fixture.h"

using namespace Cli_zel00400;

namespace {

struct ListRow {
    std::string nr, status, room, hora;
    TDateTime day = 0;
};

class MeetingListTest : public MeetingWindowTest {
  protected:
    void TearDown() override {
        SetDialogOpeners({});
        MeetingWindowTest::TearDown();
    }

    TfrmReuniao& Open() {
        CriaReuniao();
        EXPECT_NE(nullptr, Window());
        return *Window();
    }

    // Waits until the window is the active one, so focus moves are delivered.
    static bool Activate(TfrmReuniao& w) {
        w.activateWindow();
        for (int i = 0; i < 200 && QApplication::activeWindow() != &w; ++i) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        return QApplication::activeWindow() == &w;
    }

    // Presses the four status buttons as given and runs the tool bar's click.
    static void SetStatusButtons(TfrmReuniao& w, bool p, bool a, bool x, bool c) {
        w.tbtPendente->SetDown(p);
        w.tbtAndamento->SetDown(a);
        w.tbtCancelada->SetDown(x);
        w.tbtConcluida->SetDown(c);
        ASSERT_TRUE(w.tbtPendente->Click());
    }

    // The rows the list shows, read without moving the window's current meeting.
    static std::vector<ListRow> Rows(TfrmReuniao& w) {
        TClientDataSet& cds = w.cdsControle;
        auto before = std::exchange(cds.BeforeScroll, nullptr);
        auto after = std::exchange(cds.AfterScroll, nullptr);
        const TBookmark here = cds.GetBookmark();
        std::vector<ListRow> rows;
        for (cds.First(); !cds.Eof(); cds.Next())
            rows.push_back(
                {cds.FieldByName("NRTAREFA").AsString(), cds.FieldByName("IDSITTAREFA").AsString(),
                 cds.FieldByName("CDSALA").AsString(), cds.FieldByName("HORA").AsString(),
                 cds.FieldByName("DATA").AsDateTime()});
        if (!here.IsNull() && cds.BookmarkValid(here)) cds.GotoBookmark(here);
        cds.BeforeScroll = std::move(before);
        cds.AfterScroll = std::move(after);
        return rows;
    }

    static std::set<std::string> Statuses(TfrmReuniao& w) {
        std::set<std::string> s;
        for (const ListRow& r : Rows(w))
            s.insert(r.status);
        return s;
    }

    static std::string Current(TfrmReuniao& w) {
        return w.cdsControle.IsEmpty() ? std::string()
                                       : w.cdsControle.FieldByName("NRTAREFA").AsString();
    }

    // The go-to-day dialog answers `answer` and remembers the day it was opened with.
    void AnswerGoToDay(std::string answer) {
        DialogOpeners o = DialogHooks();
        o.irParaDia = [this, answer](uint16_t& y, uint16_t& m, uint16_t& d) {
            openedWith = {y, m, d};
            return answer;
        };
        SetDialogOpeners(o);
    }

    std::vector<const CallRecorder::Call*> CallsOf(const std::string& method) const {
        std::vector<const CallRecorder::Call*> calls;
        for (const CallRecorder::Call& c : recorder->Calls())
            if (SameText(c.method, method)) calls.push_back(&c);
        return calls;
    }

    static std::string CallText(const CallRecorder::Call& call) {
        std::string s = call.method + "(";
        for (size_t i = 0; i < call.args.size(); ++i)
            s += (i ? ", " : "") + std::string(call.byRef[i] ? "&" : "") +
                 call.args[i].DebugString();
        return s + ")";
    }

    std::vector<int> openedWith;
};

// --- the status tool bar ---

TEST_F(MeetingListTest, EveryCombinationOfStatusButtonsShowsExactlyThoseStatuses) {
    TfrmReuniao& w = Open();
    const char* letters[] = {"P", "A", "X", "C"};
    for (int mask = 0; mask < 16; ++mask) {
        const bool p = mask & 1, a = mask & 2, x = mask & 4, c = mask & 8;
        SetStatusButtons(w, p, a, x, c);
        std::set<std::string> expected;
        for (int i = 0; i < 4; ++i)
            if (mask & (1 << i)) expected.insert(letters[i]);
        EXPECT_EQ(expected, Statuses(w)) << w.cdsControle.Filter();
    }
    SetStatusButtons(w, false, false, false, false);
    EXPECT_EQ("IDSITTAREFA IN (' ')", w.cdsControle.Filter());
    EXPECT_TRUE(w.cdsControle.IsEmpty());
    SetStatusButtons(w, true, false, true, true);
    EXPECT_EQ("IDSITTAREFA IN (' ', 'P', 'X', 'C')", w.cdsControle.Filter());
    SetStatusButtons(w, true, true, true, true);
    EXPECT_EQ("IDSITTAREFA IN (' ', 'P', 'A', 'X', 'C')", w.cdsControle.Filter());
    EXPECT_EQ(30u, Rows(w).size());
    EXPECT_EQ(1, CallCount("GetControle")) << "the tool bar filters the rows already loaded";
}

TEST_F(MeetingListTest, CurrentMeetingStaysWhenItPassesTheNewFilterAndDetailsFollowOtherwise) {
    TfrmReuniao& w = Open();
    ASSERT_TRUE(w.cdsControle.Locate("IDSITTAREFA", {Variant("A")}));
    const std::string inProgress = Current(w);
    SetStatusButtons(w, true, true, false, true);
    EXPECT_EQ(inProgress, Current(w));

    // Without "Em Andamento" the meeting is gone: the first pending one becomes current and
    // the details loaded are that meeting's.
    recorder->Clear();
    SetStatusButtons(w, true, false, false, false);
    ASSERT_FALSE(w.cdsControle.IsEmpty());
    EXPECT_EQ("P", w.cdsControle.FieldByName("IDSITTAREFA").AsString());
    // The details, then the room rules' look at the activities, both of the new meeting.
    const auto atividades = CallsOf("GetAtividades");
    ASSERT_EQ(2u, atividades.size());
    EXPECT_EQ(Current(w), atividades.front()->args[1].AsString());
    EXPECT_EQ(Current(w), atividades.back()->args[1].AsString());
}

TEST_F(MeetingListTest, StatusButtonOnAClosedListDoesNothing) {
    TfrmReuniao& w = Open();
    w.cdsControle.Close();
    recorder->Clear();
    EXPECT_FALSE(w.tbtCancelada->Click()) << "a silent abort";
    EXPECT_EQ("", dialogs->ShownText());
    EXPECT_TRUE(recorder->Calls().empty());
}

// --- "Ir Para" and "Hoje" ---

// Regression: the day was judged on the rows the previous status filter let through, so a day
// holding only a cancelled meeting was reported as a day without meetings.
TEST_F(MeetingListTest, GoToDayListsThatDayWithEveryStatusInExactDayMode) {
    TfrmReuniao& w = Open();
    ASSERT_EQ("IDSITTAREFA IN (' ', 'P', 'A')", w.cdsControle.Filter());
    stCodLocate = "x";
    const TDateTime day = Date() + 3;  // a cancelled meeting in the demo data
    AnswerGoToDay(DateToStr(day));
    ASSERT_TRUE(w.btnIrParaDia->Click()) << dialogs->ShownText();
    EXPECT_EQ((std::vector<int>{1899, 12, 30}), openedWith) << "the list's first day";

    const std::vector<ListRow> rows = Rows(w);
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ("X", rows[0].status);
    EXPECT_EQ(day, rows[0].day);
    EXPECT_TRUE(boDiaExato);
    EXPECT_FALSE(boFiltro);
    EXPECT_EQ("IDSITTAREFA IN (' ', 'P', 'A', 'X', 'C')", w.cdsControle.Filter());
    EXPECT_EQ(w.tshReuniao, w.pgcReuniao->ActivePage());
    const auto calls = CallsOf("GetControle");
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ("GetControle('0001', &'', &'T', &'_P_A_C_X', &'', &'T', &'', &'T', &" +
                  Variant(day).DebugString() + ", &" + Variant(day).DebugString() + ", &'')",
              CallText(*calls.back()));

    // The dialog opens on the list's day next time.
    AnswerGoToDay("");
    ASSERT_TRUE(w.mnuIrPara->isEnabled());
    w.mnuIrPara->trigger();
    const DateParts parts = DecodeDate(day);
    EXPECT_EQ((std::vector<int>{parts.year, parts.month, parts.day}), openedWith);
    EXPECT_EQ(2, CallCount("GetControle")) << "cancelled: nothing reloaded";
}

TEST_F(MeetingListTest, GoToAnEmptyDayShowsTheMessageAndLeavesPageAndFilterAlone) {
    TfrmReuniao& w = Open();
    w.pgcReuniao->SetActivePage(w.tshFormulario);
    const std::string filter = w.cdsControle.Filter();
    const int detailLoads = CallCount("GetAtividades");
    AnswerGoToDay(DateToStr(Date() + 40));
    EXPECT_FALSE(w.btnIrParaDia->Click());
    EXPECT_EQ("error: Não há reunião cadastrada para a data informada.", dialogs->ShownText());
    EXPECT_EQ(w.tshFormulario, w.pgcReuniao->ActivePage());
    EXPECT_EQ(filter, w.cdsControle.Filter());
    EXPECT_TRUE(w.cdsControle.IsEmpty());
    EXPECT_TRUE(boDiaExato);
    // No meeting, no details: nothing asked with a blank meeting key.
    EXPECT_EQ(detailLoads, CallCount("GetAtividades"));
    EXPECT_TRUE(w.cdsAtividades.IsEmpty() && w.cdsItemTarefa.IsEmpty());
}

TEST_F(MeetingListTest, GoToDayWithoutADialogOrCancelledChangesNothing) {
    TfrmReuniao& w = Open();
    const std::string current = Current(w);
    ASSERT_TRUE(w.btnIrParaDia->Click()) << "no dialog installed";
    AnswerGoToDay("");
    ASSERT_TRUE(w.btnIrParaDia->Click());
    EXPECT_EQ(1, CallCount("GetControle"));
    EXPECT_FALSE(boDiaExato);
    EXPECT_EQ(current, Current(w));
}

TEST_F(MeetingListTest, TodayAfterGoToDayKeepsExactDayModeWithTodaysDate) {
    TfrmReuniao& w = Open();
    AnswerGoToDay(DateToStr(Date() + 2));
    ASSERT_TRUE(w.btnIrParaDia->Click());
    stResp = "'000000000001'";  // a parameter the exact-day mode keeps
    stTResp = "";
    SetStatusButtons(w, true, true, false, false);

    ASSERT_TRUE(w.btnHojeDia->Click());
    EXPECT_TRUE(boDiaExato);
    EXPECT_FALSE(boFiltro);
    const auto calls = CallsOf("GetControle");
    const CallRecorder::Call& last = *calls.back();
    EXPECT_EQ("'000000000001'", last.args[4].AsString());
    EXPECT_EQ("", last.args[5].AsString());
    EXPECT_EQ(Date(), DateOf(last.args[8].AsFloat())) << "today, by the server's clock";
    EXPECT_NEAR(Now(), last.args[8].AsFloat(), 0.01) << "not truncated to the day";
    EXPECT_EQ("", last.args[10].AsString());
    for (const ListRow& r : Rows(w))
        EXPECT_EQ(Date(), r.day);
    EXPECT_FALSE(w.tbtCancelada->Down()) << "the tool bar is left as it was";
}

TEST_F(MeetingListTest, TodayOutsideExactDayModeDropsTheFilterDialogsChoices) {
    TfrmReuniao& w = Open();
    FilterChoices choices;
    choices.todosResp = false;
    choices.stFiltroResp = "'000000000002'";
    SetFilterChoicesProvider([choices] { return choices; });
    boFiltro = true;

    ASSERT_TRUE(Activate(w));
    w.pgcReuniao->SetActivePage(w.tshPauta);
    w.pgcReuniaoChange();
    EXPECT_TRUE(w.dsgAssunto->hasFocus());
    ASSERT_TRUE(w.mnuHoje->isEnabled());
    w.mnuHoje->trigger();
    EXPECT_TRUE(w.dbgTarefas->hasFocus()) << "the list grid";
    EXPECT_EQ(w.tshReuniao, w.pgcReuniao->ActivePage());
    EXPECT_FALSE(boFiltro);
    EXPECT_FALSE(boDiaExato);
    EXPECT_EQ("T", stTResp);
    EXPECT_EQ("", stResp);
    EXPECT_EQ("_P_A_C_X", stSituacao);
    EXPECT_EQ("", stTData);
    const std::vector<ListRow> rows = Rows(w);
    ASSERT_EQ(1u, rows.size()) << "the demo branch meets once a day";
    EXPECT_EQ(Date(), rows[0].day);
    EXPECT_EQ("", dialogs->ShownText());
}

// --- "Filtrar" and refresh ---

TEST_F(MeetingListTest, ConfirmedFilterSetsTheStatusButtonsFromTheDialogsChoices) {
    TfrmReuniao& w = Open();
    FilterChoices choices;
    choices.boPendente = choices.boAndamento = false;
    choices.boCancelado = choices.boConcluido = true;
    bool confirm = false;
    SetFilterChoicesProvider([&choices] { return choices; });
    DialogOpeners openers;
    openers.filtroReuniao = [&confirm] { return confirm; };
    SetDialogOpeners(openers);
    w.pgcReuniao->SetActivePage(w.tshPauta);

    ASSERT_TRUE(w.btnFiltro->Click());  // cancelled
    EXPECT_TRUE(boFiltro);
    EXPECT_EQ(w.tshPauta, w.pgcReuniao->ActivePage());
    EXPECT_TRUE(w.tbtPendente->Down());

    confirm = true;
    ASSERT_TRUE(w.btnFiltro->Click());
    EXPECT_EQ(w.tshReuniao, w.pgcReuniao->ActivePage());
    EXPECT_EQ(&w.cdsControle, w.dtsPadrao.DataSet());
    EXPECT_FALSE(w.tbtPendente->Down() || w.tbtAndamento->Down());
    EXPECT_TRUE(w.tbtCancelada->Down() && w.tbtConcluida->Down());
    EXPECT_EQ("IDSITTAREFA IN (' ', 'X', 'C')", w.cdsControle.Filter());

    // "Todas" presses every button; a refresh in filter mode reloads with the choices.
    choices.boTodas = true;
    ASSERT_TRUE(w.btnFiltro->Click());
    EXPECT_TRUE(w.tbtPendente->Down() && w.tbtAndamento->Down());
    recorder->Clear();
    ASSERT_TRUE(w.sbtVerificar->Click());
    ASSERT_EQ(1u, CallsOf("GetControle").size());
    EXPECT_EQ("_P_A_C_X_C_X", CallsOf("GetControle")[0]->args[3].AsString());
}

TEST_F(MeetingListTest, RefreshReloadsTheActivePagesDataAndKeepsTheMeeting) {
    TfrmReuniao& w = Open();
    SetStatusButtons(w, true, true, true, true);
    const std::vector<ListRow> rows = Rows(w);
    ASSERT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(rows[20].nr)}));
    recorder->Clear();
    ASSERT_TRUE(w.sbtVerificar->Click());
    EXPECT_EQ(1, CallCount("GetControle"));
    EXPECT_EQ(rows[20].nr, Current(w));

    w.pgcReuniao->SetActivePage(w.tshPauta);
    recorder->Clear();
    ASSERT_TRUE(w.sbtVerificar->Click());
    EXPECT_EQ((std::vector<std::string>{"GetItemTarefa"}), recorder->Methods());
    EXPECT_EQ(rows[20].nr, CallsOf("GetItemTarefa")[0]->args[1].AsString());
}

// --- pages ---

TEST_F(MeetingListTest, PageChangeSwitchesTheDataSourceAndChecksItsMenuItem) {
    TfrmReuniao& w = Open();
    SetStatusButtons(w, true, true, true, true);
    ASSERT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(Rows(w)[0].nr)}));  // has an agenda

    w.pgcReuniao->SetActivePage(w.tshPauta);
    w.pgcReuniaoChange();
    EXPECT_EQ(&w.cdsItemTarefa, w.dtsPadrao.DataSet());
    EXPECT_TRUE(w.mnuPauta->isChecked());
    EXPECT_FALSE(w.mnuReuniao->isChecked());

    recorder->Clear();
    w.pgcReuniao->SetActivePage(w.tshAta);
    w.pgcReuniaoChange();
    EXPECT_EQ(&w.cdsDescItTare, w.dtsPadrao.DataSet());
    EXPECT_EQ((std::vector<std::string>{"getDescItTare", "GetAtividades"}), recorder->Methods())
        << "the minutes, then the room rules' look at the activities";
    EXPECT_EQ(QString::fromStdString(w.cdsItemTarefa.FieldByName("NRSEQUITTARE").AsString()) +
                  " - Abertura e informes",
              w.panAssunto->text());
    EXPECT_TRUE(w.mnuAta->isChecked());
    EXPECT_FALSE(w.sbtProcurar->isEnabled()) << "no find on the minutes page";

    w.pgcReuniao->SetActivePage(w.tshReuniao);
    w.pgcReuniaoChange();
    EXPECT_EQ(&w.cdsControle, w.dtsPadrao.DataSet());
    EXPECT_TRUE(w.mnuReuniao->isChecked() && !w.mnuAta->isChecked());
}

// --- the current meeting's details ---

TEST_F(MeetingListTest, ScrollingLoadsAgendaActivitiesMinutesAndBookingInOrder) {
    TfrmReuniao& w = Open();
    // Two days ago: concluded, 14:00 for 1:30 in room 00003, with an agenda, its minutes and
    // activities.
    SetStatusButtons(w, true, true, true, true);
    const TDateTime day = Date() - 2;
    ListRow target;
    for (const ListRow& r : Rows(w))
        if (r.day == day) target = r;
    ASSERT_EQ("C", target.status);

    recorder->Clear();
    ASSERT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(target.nr)}));
    const std::string seq = w.cdsItemTarefa.FieldByName("NRSEQUITTARE").AsString();
    EXPECT_EQ("GetItemTarefa('0001', '" + target.nr + "', &'', &'T')\n" +
                  "GetAtividades('0001', '" + target.nr + "')\n" + "getDescItTare('0001', '" +
                  target.nr + "', '" + seq + "')\n" + "GetAgeAtiviSala('0001', '00003', #" +
                  DateTimeToIso(day) + "#, '1400', '1530')",
              recorder->ToString());

    EXPECT_EQ(2, w.cdsItemTarefa.RecordCount());
    EXPECT_EQ(QStringLiteral("Pauta preparada pela coordenação."), w.memObs->toPlainText());
    EXPECT_EQ(2, w.cdsAtividades.RecordCount());
    EXPECT_EQ(1, w.cdsAgeAtiviSala.RecordCount());
    EXPECT_EQ(day, w.depDataIni->GetDate());
    EXPECT_EQ(day, w.depDataFin->GetDate());
    EXPECT_EQ("14:00", w.medHoraIni->Text());
    EXPECT_EQ("01:30", w.medQtdeHoras->Text());
    EXPECT_EQ("15:30", w.medHoraFin->Text());
    EXPECT_EQ(1, w.cdsDescItTare.RecordCount());
}

TEST_F(MeetingListTest, FillingTheDateTimeRowDoesNotRunItsChangeHandlers) {
    TfrmReuniao& w = Open();
    int changes = 0;
    w.depDataIni->OnChange = [&changes] { ++changes; };
    w.medHoraIni->OnChange = [&changes] { ++changes; };
    SetStatusButtons(w, true, true, true, true);
    w.cdsControle.Last();
    EXPECT_EQ(0, changes);
    ASSERT_TRUE(w.depDataIni->OnChange && w.medHoraIni->OnChange) << "attached again";
    EXPECT_FALSE(w.medHoraIni->Text() == "  :  ");
}

TEST_F(MeetingListTest, MeetingWithoutAgendaAsksForNoMinutes) {
    TfrmReuniao& w = Open();
    SetStatusButtons(w, true, true, true, true);
    const ListRow second = Rows(w)[1];  // 13 days ago: no agenda items
    recorder->Clear();
    ASSERT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(second.nr)}));
    EXPECT_EQ((std::vector<std::string>{"GetItemTarefa", "GetAtividades", "GetAgeAtiviSala"}),
              recorder->Methods());
    EXPECT_TRUE(w.cdsDescItTare.IsEmpty());
    EXPECT_TRUE(w.memObs->toPlainText().isEmpty());
    EXPECT_FALSE(w.tshAta->isEnabled()) << "no agenda item, no minutes page";
}

TEST_F(MeetingListTest, HeaderAndButtonsFollowTheCurrentMeetingsStatus) {
    TfrmReuniao& w = Open();
    SetStatusButtons(w, true, true, true, true);
    const auto go = [&w](const char* status) {
        ASSERT_TRUE(w.cdsControle.Locate("IDSITTAREFA", {Variant(status)})) << status;
    };
    go("P");
    EXPECT_TRUE(w.dbeDsReferencia->isEnabled() && w.dbeResp->isEnabled());
    EXPECT_TRUE(w.panDtHr->isEnabled());
    EXPECT_FALSE(w.dbeNmResp->isEnabled() || w.dbeProcesso->isEnabled());
    EXPECT_TRUE(w.sbtExcluir->isEnabled() && w.btnCanReuniao->isEnabled());
    EXPECT_TRUE(w.mnuCanReuniao->isEnabled());

    go("A");
    EXPECT_FALSE(w.dbeDsReferencia->isEnabled() || w.dbeResp->isEnabled() ||
                 w.btnAssunto->isEnabled());
    EXPECT_EQ(boEdit, w.panDtHr->isEnabled()) << "free while no activity has started";
    EXPECT_FALSE(w.sbtExcluir->isEnabled() || w.btnCanReuniao->isEnabled());

    for (const char* closed : {"C", "X"}) {
        go(closed);
        EXPECT_FALSE(w.dbeDsReferencia->isEnabled() || w.panDtHr->isEnabled() ||
                     w.panHoras->isEnabled())
            << closed;
        EXPECT_FALSE(w.sbtExcluir->isEnabled() || w.btnCanReuniao->isEnabled()) << closed;
        EXPECT_TRUE(w.sbtIncluir->isEnabled() && w.btnIrParaDia->isEnabled()) << closed;
    }
    EXPECT_FALSE(w.sbtConfirmar->isEnabled() || w.sbtCancelar->isEnabled());
}

TEST_F(MeetingListTest, StatusCellsShowLabelsAndAreDrawnInTheStatusColours) {
    TfrmReuniao& w = Open();
    SetStatusButtons(w, true, true, true, true);
    QImage image(200, 20, QImage::Format_RGB32);
    QPainter painter(&image);
    const std::pair<const char*, const char*> labels[] = {
        {"P", "Pe"}, {"A", "An"}, {"X", "Ca"}, {"C", "Co"}};
    const QColor colours[] = {QColor(0, 0, 128), QColor(0, 128, 0), QColor(128, 0, 0),
                              QColor(128, 128, 128)};
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(w.cdsControle.Locate("IDSITTAREFA", {Variant(labels[i].first)}));
        TField& status = w.cdsControle.FieldByName("IDSITTAREFA");
        EXPECT_EQ(labels[i].second, status.DisplayText());
        TCanvas canvas(painter);
        w.dbgTarefasDrawColumnCell(canvas, QRect(0, 0, 200, 20), 0, &status, 0);
        EXPECT_EQ(colours[i], canvas.Font.Color) << labels[i].first;
        w.dbgTarefasDrawColumnCell(canvas, QRect(0, 0, 200, 20), 0, &status, gdSelected);
        EXPECT_EQ(QColor(Qt::white), canvas.Font.Color);
    }
}

// Not a check: with ZEL_SCREENSHOT_DIR set, saves the list with every status shown.
TEST_F(MeetingListTest, Screenshot) {
    const QString dir = qEnvironmentVariable("ZEL_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "ZEL_SCREENSHOT_DIR not set";
    TfrmReuniao& w = Open();
    w.resize(1000, 620);
    SetStatusButtons(w, true, true, true, true);
    // The grid returns to stCodLocate when it gets the focus.
    stCodLocate = Rows(w)[12].nr;
    ASSERT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(stCodLocate)}));
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.grab().save(dir + "/meeting-list.png"));
}

}  // namespace
