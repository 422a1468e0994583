// The enabling of the standard buttons, the window's own buttons, the pages and the menu
// items for each page, data-set state and meeting status.
#include <QAction>

#include "base/page_control_ex.h"
#include "tests/meeting/meeting_edit_support.h"

using namespace Cli_zel00400;

namespace {

class MeetingEnablingTest : public MeetingEditFixture {
  protected:
    // "+" for every enabled control of the list, in order, "-" for a disabled one.
    static std::string Buttons(TfrmReuniao& w) {
        std::string s;
        for (QWidget* b : std::initializer_list<QWidget*>{
                 w.sbtIncluir, w.sbtAlterar, w.sbtExcluir, w.sbtProcurar, w.sbtVerificar,
                 w.sbtConfirmar, w.sbtCancelar, w.btnIrParaDia, w.btnHojeDia, w.sbtImpArq,
                 w.btnCadAuto, w.btnCanReuniao})
            s += b->isEnabled() ? '+' : '-';
        return s;
    }
    static std::string Pages(TfrmReuniao& w) {
        std::string s;
        for (QWidget* p : {w.tshReuniao, w.tshFormulario, w.tshParticipantes, w.tshPauta, w.tshAta})
            s += p->isEnabled() ? '+' : '-';
        return s;
    }
    static std::string Menu(TfrmReuniao& w) {
        std::string s;
        for (QAction* a :
             {w.mnuReuniao, w.mnuFormulario, w.mnuParticipantes, w.mnuPauta, w.mnuAta, w.mnuIrPara,
              w.mnuHoje, w.mnuImportar, w.mnuCanReuniao, w.mnuFiltro, w.mnuCadPart})
            s += a->isEnabled() ? '+' : '-';
        return s;
    }
    // A demo meeting of that status with agenda items (every third meeting has them).
    static void GoToMeeting(TfrmReuniao& w, const std::string& status, bool withAgenda) {
        for (w.cdsControle.First(); !w.cdsControle.Eof(); w.cdsControle.Next())
            if (w.cdsControle.FieldByName("IDSITTAREFA").AsString() == status &&
                w.cdsItemTarefa.IsEmpty() != withAgenda)
                return;
        FAIL() << "no meeting " << status;
    }
};

TEST_F(MeetingEnablingTest, ListAndFormPagesFollowTheMeetingsStateAndStatus) {
    TfrmReuniao& w = Open();
    SetStatusButtons(w, true, true, true, true);
    GoToMeeting(w, "P", true);
    //          incl alt excl proc verif conf canc ir hoje imp cad can
    EXPECT_EQ("+-+++--+++-+", Buttons(w)) << "change waits for a pending activity";
    EXPECT_EQ("+++++", Pages(w));
    EXPECT_EQ("+++++++++++", Menu(w));

    GoToMeeting(w, "C", false);
    EXPECT_EQ("+--++--+++--", Buttons(w)) << "a concluded meeting is neither deleted nor cancelled";
    GoToMeeting(w, "A", false);
    EXPECT_EQ("+--++--+++--", Buttons(w));

    ASSERT_TRUE(w.sbtIncluir->Click());
    EXPECT_EQ("-----++-----", Buttons(w)) << "inserting: confirm and cancel only";
    EXPECT_EQ("-+---", Pages(w));
    EXPECT_EQ("-+---", Menu(w).substr(0, 5));
    EXPECT_FALSE(w.mnuIrPara->isEnabled() || w.mnuImportar->isEnabled());
    EXPECT_TRUE(w.mnuFiltro->isEnabled() && w.mnuCadPart->isEnabled());
    dialogs->AnswerQuestion(true);
    ASSERT_TRUE(w.sbtCancelar->Click());
    EXPECT_EQ('+', Buttons(w)[0]);
}

TEST_F(MeetingEnablingTest, DetailPagesFollowTheirOwnDataSetAndTheMeetingsStatus) {
    TfrmReuniao& w = Open();
    SetStatusButtons(w, true, true, true, true);
    GoToMeeting(w, "P", true);
    w.pgcReuniao->SetActivePage(w.tshPauta);
    w.pgcReuniaoChange();
    ASSERT_EQ(&w.cdsItemTarefa, w.dtsPadrao.DataSet());
    EXPECT_EQ("+++++--+++-+", Buttons(w)) << "an agenda item may always be changed";

    w.pgcReuniao->SetActivePage(w.tshParticipantes);
    w.pgcReuniaoChange();
    EXPECT_TRUE(w.btnCadAuto->isEnabled()) << "registration on the participants page";
    EXPECT_FALSE(w.sbtAlterar->isEnabled()) << "no pending activity is current";

    w.pgcReuniao->SetActivePage(w.tshAta);
    w.pgcReuniaoChange();
    ASSERT_EQ(&w.cdsDescItTare, w.dtsPadrao.DataSet());
    EXPECT_EQ(w.cdsDescItTare.IsEmpty(), w.sbtIncluir->isEnabled())
        << "minutes are included only while the item has none";
    EXPECT_FALSE(w.sbtProcurar->isEnabled()) << "the minutes are not searched";

    GoToMeeting(w, "X", true);
    w.pgcReuniao->SetActivePage(w.tshPauta);
    w.pgcReuniaoChange();
    EXPECT_FALSE(w.sbtIncluir->isEnabled() || w.sbtExcluir->isEnabled())
        << "a cancelled meeting's agenda stays as it is";

    // The page menu items select their page through the guard.
    w.mnuFormulario->trigger();
    EXPECT_EQ(w.tshFormulario, w.pgcReuniao->ActivePage());
    EXPECT_TRUE(w.mnuFormulario->isChecked() && !w.mnuPauta->isChecked());
}

TEST_F(MeetingEnablingTest, PagesShownByMenuOrCodeMakeTheButtonsWorkOnTheirData) {
    TfrmReuniao& w = Open();
    GoToMeeting(w, "P", true);
    const std::string meeting = w.cdsControle.FieldByName("NRTAREFA").AsString();
    const int items = w.cdsItemTarefa.RecordCount();

    w.mnuPauta->trigger();
    EXPECT_EQ(w.tshPauta, w.pgcReuniao->ActivePage());
    ASSERT_EQ(&w.cdsItemTarefa, w.dtsPadrao.DataSet());
    ASSERT_TRUE(w.sbtIncluir->Click()) << dialogs->ShownText();
    EXPECT_EQ(dsInsert, w.cdsItemTarefa.State()) << "an agenda item, not a meeting, is new";
    EXPECT_EQ(dsBrowse, w.cdsControle.State());
    EXPECT_TRUE(w.sbtConfirmar->isEnabled() && w.sbtCancelar->isEnabled());
    dialogs->AnswerQuestion(true);
    ASSERT_TRUE(w.sbtCancelar->Click()) << dialogs->ShownText();
    EXPECT_EQ(items, w.cdsItemTarefa.RecordCount());
    EXPECT_EQ(meeting, w.cdsControle.FieldByName("NRTAREFA").AsString());

    w.mnuParticipantes->trigger();
    EXPECT_EQ(&w.cdsAtividades, w.dtsPadrao.DataSet());
    // A status button from another page shows the list, whose buttons act on the meetings.
    ASSERT_TRUE(w.tbtPendente->Click()) << dialogs->ShownText();
    EXPECT_EQ(w.tshReuniao, w.pgcReuniao->ActivePage());
    EXPECT_EQ(&w.cdsControle, w.dtsPadrao.DataSet());
    EXPECT_EQ(meeting, w.cdsControle.FieldByName("NRTAREFA").AsString());
}

}  // namespace
