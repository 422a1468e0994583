// Day navigation ("Ir Para", "Hoje"), the filter dialog, the refresh button on every page and
// the switching of pages.
#include <QAction>
#include <QLabel>

#include "base/busy_scope.h"
#include "base/buttons.h"
#include "base/db_grid.h"
#include "base/db_rich_edit.h"
#include "base/focus_events.h"
#include "base/guard.h"
#include "base/login_context.h"
#include "base/page_control_ex.h"
#include "base/routines.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "server/check_server_result.h"

using namespace Cli_zel00400;

void TfrmReuniao::attachListHandlers() {
    cdsControle.BeforeScroll = [this](TClientDataSet&) { cdsControleBeforeScroll(); };
    cdsControle.AfterScroll = [this](TClientDataSet&) { cdsControleAfterScroll(); };
    cdsControle.AfterOpen = [this](TClientDataSet&) { cdsControleAfterOpen(); };
    pgcReuniao->OnChanging = [this] { pgcReuniaoChanging(); };
    pgcReuniao->OnChange = [this] { pgcReuniaoChange(); };
    // Pages are also made active by code (activation, the status filter, "Ir Para", the page
    // menu items), which runs no OnChange: the standard buttons, the navigator and the
    // enabling rules must still work on the shown page's data set, or include on the agenda
    // page reached through the menu would insert a meeting.
    m_pageFollow =
        connect(pgcReuniao, &QTabWidget::currentChanged, this, [this] { followPageDataSet(); });
    const std::pair<TFlatButton*, QAction*> actions[] = {
        {btnIrParaDia, mnuIrPara}, {btnHojeDia, mnuHoje}, {btnFiltro, mnuFiltro}};
    const std::function<void()> handlers[] = {[this] { btnIrParaDiaClick(); },
                                              [this] { BtnHojeDiaClick(); },
                                              [this] { btnFiltroClick(); }};
    for (size_t i = 0; i < std::size(actions); ++i) {
        actions[i].first->OnClick = handlers[i];
        connect(actions[i].second, &QAction::triggered, this,
                [handler = handlers[i]] { Guard(handler); });
    }
}

void TfrmReuniao::btnIrParaDiaClick() {
    KeepPendingWork(TReload::Everything);
    const DateParts current = DecodeDate(dtInicial);
    uint16_t year = static_cast<uint16_t>(current.year);
    uint16_t month = static_cast<uint16_t>(current.month);
    uint16_t day = static_cast<uint16_t>(current.day);
    const auto& open = DialogHooks().irParaDia;
    const std::string chosen = open ? open(year, month, day) : std::string();
    if (chosen.empty()) return;

    dtInicial = StrToDate(chosen);
    for (TToolButtonEx* b : {tbtPendente, tbtAndamento, tbtCancelada, tbtConcluida})
        b->SetDown(true);
    ResetListParameters();
    dtFinal = dtInicial;
    stTData.clear();
    CarregaControle();
    boDiaExato = true;
    boFiltro = false;
    // The day is judged on every meeting loaded: the status filter still in place is the
    // previous one until FILTRA_CONTROLE applies the buttons just pressed, and a day whose
    // meetings it would hide is not a day without meetings.
    if (cdsControle.DataAsPacket().rows.empty()) ShowErrorMessage(Msg("Reuniao_ncad"), true);
    pgcReuniao->SetActivePage(tshReuniao);
    FILTRA_CONTROLE();
}

void TfrmReuniao::BtnHojeDiaClick() {
    KeepPendingWork(TReload::Everything);
    dtInicial = HoraServidor();
    dtFinal = dtInicial;
    stTData.clear();
    if (boDiaExato) {
        CarregaControle();
    } else {
        boFiltro = false;
        ResetListParameters();
        Atualiza();
    }
    cdsControleAfterScroll();
    SetFocus(dbgTarefas);
}

void TfrmReuniao::btnFiltroClick() {
    // Asked before the dialog opens: confirmed, the dialog itself reloads the list.
    KeepPendingWork(TReload::Everything);
    boDiaExato = false;
    boFiltro = true;
    const auto& open = DialogHooks().filtroReuniao;
    const bool boConfirmado = open && open();
    if (!boConfirmado) return;
    pgcReuniao->SetActivePage(tshReuniao);
    pgcReuniaoChange();
    if (const auto choices = LastFilterChoices()) {
        tbtPendente->SetDown(choices->boPendente || choices->boTodas);
        tbtAndamento->SetDown(choices->boAndamento || choices->boTodas);
        tbtCancelada->SetDown(choices->boCancelado || choices->boTodas);
        tbtConcluida->SetDown(choices->boConcluido || choices->boTodas);
    }
    tbtPendenteClick();
    tbtAndamentoClick();
    tbtCanceladaClick();
    tbtConcluidaClick();
}

void TfrmReuniao::sbtVerificarClick() {
    QWidget* page = pgcReuniao->ActivePage();
    const std::string meeting = cdsControle.Active() && !cdsControle.IsEmpty()
                                    ? cdsControle.FieldByName("NRTAREFA").AsString()
                                    : std::string();
    KeepPendingWork(page == tshParticipantes ? TReload::Activities
                    : page == tshPauta       ? TReload::Agenda
                    : page == tshAta         ? TReload::Minutes
                                             : TReload::Everything);
    if (page == tshReuniao || page == tshFormulario) {
        stCodLocate = meeting;
        if (boDiaExato)
            CarregaControle();
        else
            Atualiza();
        cdsControle.Locate("NRTAREFA", {Variant(stCodLocate)}, {loCaseInsensitive});
    } else if (page == tshParticipantes) {
        // The activity is found again by its number: the reload replaces every row.
        const std::string activity = cdsAtividades.Active() && !cdsAtividades.IsEmpty()
                                         ? cdsAtividades.FieldByName("NRPLATIVTARE").AsString()
                                         : std::string();
        cdsAtividades.SetData(CheckServerResult(
            netReuniao.AppServer().Call("GetAtividades", {Arg(CurrentBranch()), Arg(meeting)}),
            true, 0));
        if (!activity.empty()) cdsAtividades.Locate("NRPLATIVTARE", {Variant(activity)});
    } else if (page == tshPauta) {
        cdsItemTarefa.SetData(CheckServerResult(
            netReuniao.AppServer().Call("GetItemTarefa", {Arg(CurrentBranch()), Arg(meeting),
                                                          ArgRef(stPauta), ArgRef(stTPauta)}),
            true, 0));
    } else if (page == tshAta) {
        loadMinutes();
    }
}

void TfrmReuniao::followPageDataSet() {
    QWidget* page = pgcReuniao->ActivePage();
    TClientDataSet* d = &cdsControle;  // the list and form pages
    if (page == tshParticipantes)
        d = &cdsAtividades;
    else if (page == tshPauta)
        d = &cdsItemTarefa;
    else if (page == tshAta)
        d = &cdsDescItTare;
    dtsPadrao.SetDataSet(d);
}

void TfrmReuniao::pgcReuniaoChange() {
    BusyScope busy(this, 1);
    if (cdsControle.Active() && !cdsControle.IsEmpty())
        stCodLocate = cdsControle.FieldByName("NRTAREFA").AsString();
    QWidget* page = pgcReuniao->ActivePage();
    followPageDataSet();
    if (page == tshReuniao) {
        if (cdsControle.State() == dsBrowse)
            cdsControle.Locate("NRTAREFA", {Variant(stCodLocate)}, {loCaseInsensitive});
        verificaSala();
        if (cdsControle.Active()) SetFocus(dbgTarefas);
    } else if (page == tshPauta) {
        SetFocus(dsgAssunto);
    } else if (page == tshFormulario) {
        verificaSala();
    } else if (page == tshAta) {
        loadMinutes();
        const bool hasItem = cdsItemTarefa.Active() && !cdsItemTarefa.IsEmpty();
        panAssunto->setText(hasItem
                                ? QString::fromStdString(
                                      cdsItemTarefa.FieldByName("NRSEQUITTARE").AsString() + " - " +
                                      cdsItemTarefa.FieldByName("DSREFEITTARE").AsString())
                                : QString());
        SetFocus(dbrDescricao);
    }
    for (auto [item, p] : pageMenuItems())
        item->setChecked(p == page);
    AfterScroll();
    // The room rules reload the activities of an open meeting, and their answers with them.
    if (page == tshParticipantes && !m_respostasLidas) CarregaRespostas();
}
