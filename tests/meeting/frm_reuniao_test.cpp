// The meeting window against the real application server: its components, the list it loads
// on its first activation, the server clock and its message tables.
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QToolButton>

#include "base/buttons.h"
#include "base/db_grid.h"
#include "base/db_navigator.h"
#include "base/login_context.h"
#include "base/page_control_ex.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "tests/meeting/meeting_fixture.h"

using namespace Cli_zel00400;

namespace {

class FrmReuniaoTest : public MeetingWindowTest {
  protected:
    TfrmReuniao& Open() {
        CriaReuniao();
        EXPECT_NE(nullptr, Window());
        return *Window();
    }
};

TEST_F(FrmReuniaoTest, FirstActivationLoadsTheListWithTheDefaultParametersAndFilter) {
    TfrmReuniao& w = Open();
    ASSERT_EQ(1, CallCount("GetControle"));
    const CallRecorder::Call& call = recorder->Calls().front();
    ASSERT_EQ(11u, call.args.size());
    const std::string calls = recorder->ToString();
    EXPECT_EQ("GetControle('0001', &'', &'T', &'_P_A_C_X', &'', &'T', &'', &'T', &0.0, &0.0, &'T')",
              calls.substr(0, calls.find('\n')))
        << "the first meeting's details follow";
    EXPECT_TRUE(w.cdsControle.Active());
    EXPECT_GT(w.cdsControle.RecordCount(), 0) << "the demo branch has pending meetings";
    EXPECT_EQ("IDSITTAREFA IN (' ', 'P', 'A')", w.cdsControle.Filter());
    EXPECT_TRUE(w.cdsControle.Filtered());
    for (w.cdsControle.First(); !w.cdsControle.Eof(); w.cdsControle.Next()) {
        const std::string status = w.cdsControle.FieldByName("IDSITTAREFA").AsString();
        EXPECT_TRUE(status == "P" || status == "A" || status == " " || status.empty()) << status;
    }
    EXPECT_EQ(w.tshReuniao, w.pgcReuniao->ActivePage());
    EXPECT_EQ(CurrentOperator(), stOperador);
    EXPECT_EQ(Date(), stData);
    EXPECT_TRUE(w.netReuniao.Connected());
    EXPECT_EQ("", dialogs->ShownText());
}

TEST_F(FrmReuniaoTest, LoadedMeetingsKeepTheDeclaredFieldsAndShowStatusLabels) {
    TfrmReuniao& w = Open();
    ASSERT_EQ(25, w.cdsControle.FieldCount());
    EXPECT_EQ("HORA", w.cdsControle.Fields(22).FieldName());
    EXPECT_EQ("NRSERIETARE", w.cdsControle.Fields(23).FieldName());
    EXPECT_EQ("NMOPERULTALT", w.cdsControle.Fields(24).FieldName());
    EXPECT_EQ("Data/Hora Reunião", w.cdsControle.FieldByName("DTHRREUNIAO").DisplayLabel());
    ASSERT_TRUE(w.cdsControle.Locate("IDSITTAREFA", {Variant("P")}));
    EXPECT_EQ("Pe", w.cdsControle.FieldByName("IDSITTAREFA").DisplayText());
    // The activation gives the process-code fields the login's picture.
    EXPECT_EQ(PictureMask(13), w.cdsControle.FieldByName("CDARVPROCESS").EditMask());
    EXPECT_EQ(PictureMask(15), w.cdsAtividades.FieldByName("CDARVITTRAB").EditMask());
}

TEST_F(FrmReuniaoTest, StatusButtonsRefilterAndKeepTheCurrentMeeting) {
    TfrmReuniao& w = Open();
    ASSERT_TRUE(w.cdsControle.Locate("IDSITTAREFA", {Variant("P")}));
    const std::string current = w.cdsControle.FieldByName("NRTAREFA").AsString();
    w.tbtConcluida->SetDown(true);
    ASSERT_TRUE(w.tbtConcluida->Click());
    EXPECT_EQ("IDSITTAREFA IN (' ', 'P', 'A', 'C')", w.cdsControle.Filter());
    EXPECT_EQ(current, w.cdsControle.FieldByName("NRTAREFA").AsString());
    EXPECT_EQ(1, CallCount("GetControle")) << "the tool bar filters the loaded rows";

    for (TToolButtonEx* b : {w.tbtPendente, w.tbtAndamento, w.tbtConcluida})
        b->SetDown(false);
    ASSERT_TRUE(w.tbtPendente->Click());
    EXPECT_EQ("IDSITTAREFA IN (' ')", w.cdsControle.Filter());
}

TEST_F(FrmReuniaoTest, HoraServidorAsksTheServerOnEveryCall) {
    TfrmReuniao& w = Open();
    recorder->Clear();
    const TDateTime first = w.HoraServidor();
    const TDateTime second = w.HoraServidor();
    EXPECT_EQ(2, CallCount("getHoraServidor"));
    EXPECT_GT(first, 40000.0);
    EXPECT_GE(second, first);
    EXPECT_LT(std::abs(second - Now()), 1.0) << "the demo server's clock is today's";
}

TEST_F(FrmReuniaoTest, HoraServidorFailureRaisesInsteadOfReturningAStaleTime) {
    TfrmReuniao& w = Open();
    (void)w.HoraServidor();
    LoginContext expired = CurrentLogin();
    expired.token = "no-such-session";
    SetLoginContext(expired);
    EXPECT_THROW(w.HoraServidor(), EServerError);
}

TEST_F(FrmReuniaoTest, EveryMessageTableIsReachableByKeyInAnyCase) {
    TfrmReuniao& w = Open();
    for (const char* name : {"msgPadrao", "MSGPADRAO", "msgpadrao"}) {
        const TMessageTable* table = w.MessageTable(name);
        ASSERT_NE(nullptr, table) << name;
        for (const char* key : {"reun_dia", "REUN_DIA", "Reun_dia"})
            EXPECT_EQ("Reunião deve ser cadastrada para o mesmo dia", table->Msg(key)) << key;
        EXPECT_EQ("Hora inicial deve ser informada", table->Msg("HrIni_vaz"));
        EXPECT_EQ("Processo não cadastrado.", table->Msg("PROCNCAD"));
        EXPECT_EQ("Quantidade de horas informada incorretamente.", table->Msg("Qtde_Inv"));
        EXPECT_EQ("Pe", table->Msg("pend"));
    }
    const TMessageTable* standard = w.MessageTable("MsgMensagensPadroes");
    ASSERT_NE(nullptr, standard);
    EXPECT_TRUE(standard->Contains("canc"));
    EXPECT_TRUE(standard->Contains("EXCL"));
    EXPECT_EQ(nullptr, w.MessageTable("msgOutra"));
    EXPECT_EQ("Não há reunião cadastrada para a data informada.", w.Msg("reuniao_NCAD"));
}

TEST_F(FrmReuniaoTest, WindowCarriesItsCaptionsHintsPagesAndMenus) {
    TfrmReuniao& w = Open();
    EXPECT_EQ(QStringLiteral("Controle de Reunião"), w.windowTitle());
    EXPECT_EQ(QStringLiteral("ZEL00400"), w.lblCodTela->text());
    EXPECT_EQ("ZEL00400.rdmReuniao", w.netReuniao.ServerName);
    EXPECT_FALSE(w.netReuniao.ThrowException);

    QStringList hints;
    for (QWidget* b : {static_cast<QWidget*>(w.btnIrParaDia), static_cast<QWidget*>(w.btnHojeDia),
                       static_cast<QWidget*>(w.sbtImpArq), static_cast<QWidget*>(w.btnCadAuto),
                       static_cast<QWidget*>(w.btnCanReuniao), static_cast<QWidget*>(w.tbtPendente),
                       static_cast<QWidget*>(w.tbtAndamento), static_cast<QWidget*>(w.tbtCancelada),
                       static_cast<QWidget*>(w.tbtConcluida)})
        hints << b->toolTip();
    EXPECT_EQ(QStringLiteral("Ir Para|Hoje|Importar Reunião Anterior|Cadastro Automático de "
                             "Participantes|Cancela Reunião|Pendente|Em Andamento|Cancelada|"
                             "Concluída"),
              hints.join('|'));
    EXPECT_FALSE(w.btnCadAuto->isEnabled());
    EXPECT_TRUE(w.tbtPendente->Down() && w.tbtAndamento->Down());
    EXPECT_FALSE(w.tbtCancelada->Down() || w.tbtConcluida->Down());
    EXPECT_TRUE(w.imgChecked->isHidden() && w.imgUnchecked->isHidden());
    EXPECT_EQ(QSize(16, 16), w.imgChecked->pixmap().size());

    QStringList tabs;
    for (int i = 0; i < w.pgcReuniao->PageCount(); ++i)
        tabs << w.pgcReuniao->tabText(i);
    EXPECT_EQ(QStringLiteral("Reunião|Formulário|Atividades|Pauta|Ata"), tabs.join('|'));
    EXPECT_EQ(QStringLiteral("Default"), w.ntbReuniao->currentWidget()->objectName());

    QStringList columns;
    for (const TColumn& c : w.dbgTarefas->Columns())
        columns << QString::fromStdString(c.FieldName + " " + c.Title + " " +
                                          std::to_string(c.Width));
    EXPECT_EQ(
        QStringLiteral("IDSITTAREFA Sit. 27|NRTAREFA Reunião 75|DSREFETAREFA Referência "
                       "200|DTHRREUNIAO Data/Hora Reunião 120|CDOPERRESP Responsável "
                       "208|CDOPERABER Operador de Abertura 218|NRSERIETARE Série 75|NMOPERULTALT "
                       "Alterada por 180"),
        columns.join('|'));
    EXPECT_TRUE(w.dbgTarefas->ReadOnly());

    QStringList items;
    for (QAction* a :
         {w.mnuReuniao, w.mnuFormulario, w.mnuParticipantes, w.mnuPauta, w.mnuAta, w.mnuFiltro,
          w.mnuIrPara, w.mnuHoje, w.mnuImportar, w.mnuCadPart, w.mnuCanReuniao})
        items << a->text() + "=" + a->shortcut().toString();
    EXPECT_EQ(QStringLiteral("&Reunião=|&Formulário=|Part&icipantes=|&Pauta=|A&ta=|Filtrar=Ctrl+L|"
                             "Ir Para =Ctrl+I|Hoje=Ctrl+H|Importar Pauta=Ctrl+M|Cad. "
                             "Participante=Ctrl+A|Cancela Reunião="),
              items.join('|'));
    EXPECT_TRUE(w.mnuReuniao->isChecked());
}

TEST_F(FrmReuniaoTest, StandardMenuItemsFollowTheirButtonsAndActAsTheyDo) {
    TfrmReuniao& w = Open();
    const std::pair<QAction*, TFlatButton*> items[] = {
        {w.mnuConfirmar, w.sbtConfirmar}, {w.mnuCancelar, w.sbtCancelar},
        {w.mnuIncluir, w.sbtIncluir},     {w.mnuAlterar, w.sbtAlterar},
        {w.mnuExcluir, w.sbtExcluir},     {w.mnuProcurar, w.sbtProcurar},
        {w.mnuVerificar, w.sbtVerificar}};
    auto enabling = [&] {
        QString states;
        for (auto [item, button] : items) {
            EXPECT_EQ(button->isEnabled(), item->isEnabled()) << item->text().toStdString();
            states += item->isEnabled() ? '1' : '0';
        }
        return states;
    };
    QStringList captions;
    for (auto [item, button] : items) {
        EXPECT_EQ(static_cast<QObject*>(w.mnuManutencao), item->parent());
        captions << item->text();
    }
    EXPECT_EQ(QStringLiteral("Confirmar|Cancelar|Incluir|Alterar|Excluir|Procurar|Atualizar"),
              captions.join('|'));

    const QString browsing = enabling();
    EXPECT_TRUE(browsing.startsWith(QStringLiteral("001"))) << browsing.toStdString();
    w.mnuIncluir->trigger();
    EXPECT_EQ(dsInsert, w.cdsControle.State()) << dialogs->ShownText();
    EXPECT_EQ(w.tshFormulario, w.pgcReuniao->ActivePage());
    EXPECT_EQ(QStringLiteral("1100000"), enabling());
    dialogs->AnswerQuestion(true);
    w.mnuCancelar->trigger();
    EXPECT_EQ(dsBrowse, w.cdsControle.State()) << dialogs->ShownText();
    EXPECT_EQ(browsing, enabling());
}

TEST_F(FrmReuniaoTest, BottomBarShowsTheCurrentMeetingDescription) {
    TfrmReuniao& w = Open();
    ASSERT_FALSE(w.cdsControle.IsEmpty());
    // Already after the first load, which runs with the list's controls suspended.
    EXPECT_FALSE(w.dbtNavigator->text().isEmpty());
    EXPECT_EQ(QString::fromStdString(w.cdsControle.FieldByName("DESCRICAO").AsString()),
              w.dbtNavigator->text());
    w.cdsControle.Last();
    EXPECT_EQ(QString::fromStdString(w.cdsControle.FieldByName("DESCRICAO").AsString()),
              w.dbtNavigator->text());
    EXPECT_TRUE(w.dbtNavigator->font().bold());
}

// Every button of the window shows a picture, none a letter standing for one, and keeps its
// hint: the standard buttons, the navigator, the lookups, the date pickers, the tool bars.
TEST_F(FrmReuniaoTest, EveryButtonShowsAPictureAndKeepsItsHint) {
    TfrmReuniao& w = Open();
    QStringList standard;
    for (TFlatButton* b : {w.sbtConfirmar, w.sbtCancelar, w.sbtIncluir, w.sbtAlterar, w.sbtExcluir,
                           w.sbtProcurar, w.sbtVerificar, w.sbtImprimir, w.sbtAjuda, w.sbtFechar}) {
        standard << b->toolTip();
        EXPECT_TRUE(b->text().isEmpty()) << b->objectName().toStdString();
    }
    EXPECT_EQ(QStringLiteral("Confirmar|Cancelar|Incluir|Alterar|Excluir|Procurar|Atualizar|"
                             "Imprimir|Ajuda|Fechar"),
              standard.join('|'));
    QStringList navigator;
    for (TNavigateBtn id : {nbFirst, nbPrior, nbNext, nbLast}) {
        navigator << w.dbnPadrao->Button(id)->toolTip();
        EXPECT_TRUE(w.dbnPadrao->Button(id)->text().isEmpty());
    }
    EXPECT_EQ(QStringLiteral("Primeiro|Anterior|Próximo|Último"), navigator.join('|'));

    int checked = 0;
    for (QToolButton* b : w.findChildren<QToolButton*>()) {
        // Qt's own: a tab bar's scroll arrows, a tool bar's overflow button.
        if (b->arrowType() != Qt::NoArrow || b->objectName().startsWith("qt_")) continue;
        const std::string name =
            b->objectName().toStdString() + " in " + b->parentWidget()->objectName().toStdString();
        EXPECT_FALSE(b->icon().pixmap(16, 16).isNull()) << name << " shows no picture";
        EXPECT_FALSE(b->toolTip().isEmpty()) << name << " has no hint";
        ++checked;
    }
    EXPECT_GT(checked, 40);
}

// Design widths are pixels of a smaller font: the list's number and date columns still show
// their titles and values whole in the desktop's font.
TEST_F(FrmReuniaoTest, ListColumnsFitTheirTitlesAndValues) {
    TfrmReuniao& w = Open();
    TDBGrid& grid = *w.dbgTarefas;
    ASSERT_FALSE(w.cdsControle.IsEmpty());
    const QFontMetrics text = grid.fontMetrics();
    for (int c = 0; c < static_cast<int>(grid.Columns().size()); ++c) {
        const TColumn& column = grid.Columns()[c];
        EXPECT_GE(grid.columnWidth(c), grid.horizontalHeader()->sectionSizeHint(c))
            << column.Title << " cuts its title";
        if (column.FieldName == "DSREFETAREFA" || column.FieldName == "CDOPERRESP" ||
            column.FieldName == "CDOPERABER")
            continue;  // free text and names: as wide as designed, cut with an ellipsis
        TField& field = w.cdsControle.FieldByName(column.FieldName);
        for (w.cdsControle.First(); !w.cdsControle.Eof(); w.cdsControle.Next())
            EXPECT_LE(text.horizontalAdvance(QString::fromStdString(field.DisplayText())) + 4,
                      grid.columnWidth(c))
                << column.Title << " cuts " << field.DisplayText();
    }
}

}  // namespace
