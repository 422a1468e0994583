// TfrmFiltroReuniao: construction (controls, pick-list queries, handlers) and the unit's
// routines (CriaFiltroReuniao and the meeting window's access to the last choices).
#include "dialogs/frm_filtro_reuniao.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QRadioButton>

#include "base/application_window.h"
#include "base/busy_scope.h"
#include "base/date_picker_edit.h"
#include "base/guard.h"
#include "base/lookup_button.h"
#include "messages/message_tables.h"

namespace {

constexpr TFieldType S = TFieldType::ftString;

QRadioButton* radio(QWidget* parent, const char* name, const char* text, bool checked) {
    auto* r = new QRadioButton(QString::fromUtf8(text), parent);
    r->setObjectName(QString::fromLatin1(name));
    r->setChecked(checked);
    return r;
}

QCheckBox* check(QWidget* parent, const char* name, const char* text, bool checked) {
    auto* c = new QCheckBox(QString::fromUtf8(text), parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setChecked(checked);
    return c;
}

QGroupBox* group(QWidget* parent, const char* name, const char* title) {
    auto* g = new QGroupBox(QString::fromUtf8(title), parent);
    g->setObjectName(QString::fromLatin1(name));
    return g;
}

// A "Todos" / "Lista" pair with its lookup button, disabled until "Lista" is chosen.
TLookupButton* lookup(QWidget* parent, const char* name, const char* title,
                      const char* emptyError) {
    auto* b = new TLookupButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(QString::fromUtf8(title));
    b->Captions = std::string(title) + "|" + emptyError;
    b->setEnabled(false);
    return b;
}

void declare(TClientDataSet& ds, const char* name, int size, const char* label,
             bool visible = true) {
    TField& f = ds.AddField(name, S, size);
    f.SetDisplayLabel(label);
    f.SetVisible(visible);
}

}  // namespace

TfrmFiltroReuniao::TfrmFiltroReuniao(QWidget* parent) : TFilterFormBase(parent) {
    setObjectName("frmFiltroReuniao");
    setWindowTitle(QStringLiteral("Filtro de Controle de Reunião"));
    lblCodTela->setText(QStringLiteral("ZEL00404"));
    msgPadrao = &FilterDialogMessages();

    auto* body = new QWidget(grbFiltroPadrao);
    auto* grid = new QGridLayout(body);
    grid->setContentsMargins(0, 0, 0, 0);
    grbFiltroPadraoLayout->addWidget(body);
    buildReuniaoGroup();
    buildSituacaoGroup();
    buildAberturaGroup();
    buildResponsavelGroup();
    buildPautaGroup();
    grid->addWidget(grbReuniao, 0, 0);
    grid->addWidget(grbSituacao, 0, 1, 2, 1);
    grid->addWidget(grbResponsavel, 1, 0);
    grid->addWidget(grbPauta, 2, 0);
    grid->addWidget(grbAbertura, 2, 1);

    declareQueries();
    attachHandlers();
    resize(440, 330);
    Create();
}

TfrmFiltroReuniao::~TfrmFiltroReuniao() = default;

void TfrmFiltroReuniao::buildReuniaoGroup() {
    grbReuniao = group(grbFiltroPadrao, "grbReuniao", "Reunião");
    auto* row = new QHBoxLayout(grbReuniao);
    rbtTdReuniao = radio(grbReuniao, "rbtTdReuniao", "Todos", true);
    rbtListaReuniao = radio(grbReuniao, "rbtListaReuniao", "Lista", false);
    btpReuniao = lookup(grbReuniao, "btpReuniao", "Reunião", "Não há reunião cadastrada.");
    row->addWidget(rbtTdReuniao);
    row->addWidget(rbtListaReuniao);
    row->addWidget(btpReuniao);
    row->addStretch(1);
}

void TfrmFiltroReuniao::buildSituacaoGroup() {
    grbSituacao = group(grbFiltroPadrao, "grbSituacao", "Situação");
    auto* column = new QVBoxLayout(grbSituacao);
    ckbTodas = check(grbSituacao, "ckbTodas", "Todas", false);
    ckbAndamento = check(grbSituacao, "ckbAndamento", "Em Andamento", true);
    ckbConcluido = check(grbSituacao, "ckbConcluido", "Concluído", false);
    ckbPendente = check(grbSituacao, "ckbPendente", "Pendente", true);
    ckbCancelado = check(grbSituacao, "ckbCancelado", "Cancelado", false);
    for (QCheckBox* c : {ckbTodas, ckbAndamento, ckbConcluido, ckbPendente, ckbCancelado})
        column->addWidget(c);
    column->addStretch(1);
}

void TfrmFiltroReuniao::buildAberturaGroup() {
    grbAbertura = group(grbFiltroPadrao, "grbAbertura", "Abertura");
    auto* grid = new QGridLayout(grbAbertura);
    lblDe = new QLabel(QStringLiteral("De"), grbAbertura);
    lblAte = new QLabel(QStringLiteral("Até"), grbAbertura);
    depDtAberturaDe = new TDatePickerEdit(grbAbertura);
    depDtAberturaDe->setObjectName("depDtAberturaDe");
    depDtAberturaAte = new TDatePickerEdit(grbAbertura);
    depDtAberturaAte->setObjectName("depDtAberturaAte");
    grid->addWidget(lblDe, 0, 0);
    grid->addWidget(depDtAberturaDe, 0, 1);
    grid->addWidget(lblAte, 1, 0);
    grid->addWidget(depDtAberturaAte, 1, 1);
}

void TfrmFiltroReuniao::buildResponsavelGroup() {
    grbResponsavel = group(grbFiltroPadrao, "grbResponsavel", "Responsável");
    auto* row = new QHBoxLayout(grbResponsavel);
    rbtTdResp = radio(grbResponsavel, "rbtTdResp", "Todos", true);
    rbtListaResp = radio(grbResponsavel, "rbtListaResp", "Lista", false);
    btpResp = lookup(grbResponsavel, "btpResp", "Responsável", "Não há responsável cadastrado.");
    row->addWidget(rbtTdResp);
    row->addWidget(rbtListaResp);
    row->addWidget(btpResp);
    row->addStretch(1);
}

void TfrmFiltroReuniao::buildPautaGroup() {
    grbPauta = group(grbFiltroPadrao, "grbPauta", "Pauta");
    auto* row = new QHBoxLayout(grbPauta);
    rbtTdPauta = radio(grbPauta, "rbtTdPauta", "Todos", true);
    rbtListaPauta = radio(grbPauta, "rbtListaPauta", "Lista", false);
    btpPauta = lookup(grbPauta, "btpPauta", "Pauta", "Não há pauta cadastrada.");
    row->addWidget(rbtTdPauta);
    row->addWidget(rbtListaPauta);
    row->addWidget(btpPauta);
    row->addStretch(1);
}

// The statements run on the server; the texts here say what each query returns.
void TfrmFiltroReuniao::declareQueries() {
    qryReuniao.SQL =
        "SELECT NRTAREFA, DSREFETAREFA FROM TAREFA WHERE IDORIGTARE = '4' ORDER BY NRTAREFA";
    declare(qryReuniao, "NRTAREFA", 10, "Código        ");
    declare(qryReuniao, "DSREFETAREFA", 100, "Referência");
    qryReuniao.AddParam("P_CDFILIAL");

    qryResp.SQL = "SELECT CDOPERADOR, NMOPERADOR FROM OPERADOR ORDER BY CDOPERADOR";
    declare(qryResp, "CDOPERADOR", 12, "Código");
    declare(qryResp, "NMOPERADOR", 40, "Nome");

    qryPauta.SQL =
        "SELECT CDFILIAL || NRTAREFA || NRSEQUITTARE CODIGO, NRSEQUITTARE, DSREFEITTARE "
        "FROM ITEMTAREFA WHERE CDFILIAL = :P_CDFILIAL AND (INSTR(:P_NRTAREFA, NRTAREFA) > 0 "
        "OR :P_TNRTAREFA = 'T') ORDER BY NRSEQUITTARE";
    declare(qryPauta, "CODIGO", 24, "CODIGO", false);
    declare(qryPauta, "NRSEQUITTARE", 10, "Código         ");
    declare(qryPauta, "DSREFEITTARE", 100, "Referência");
    qryPauta.AddParam("P_NRTAREFA");
    qryPauta.AddParam("P_TNRTAREFA");
    qryPauta.AddParam("P_CDFILIAL");
}

void TfrmFiltroReuniao::attachHandlers() {
    // A check box or radio button runs its handler also when set from code, as on the
    // platform; a radio button only when it becomes checked.
    connect(ckbTodas, &QCheckBox::toggled, this, [this] { Guard([this] { ckbTodasClick(); }); });
    for (QCheckBox* c : {ckbAndamento, ckbConcluido, ckbPendente, ckbCancelado})
        connect(c, &QCheckBox::toggled, this, [this] { Guard([this] { ckbStatusClick(); }); });
    const auto onChecked = [this](QRadioButton* r, void (TfrmFiltroReuniao::*handler)()) {
        connect(r, &QRadioButton::toggled, this, [this, handler](bool checked) {
            if (checked) Guard([this, handler] { (this->*handler)(); });
        });
    };
    onChecked(rbtTdReuniao, &TfrmFiltroReuniao::rbtTdReuniaoClick);
    onChecked(rbtListaReuniao, &TfrmFiltroReuniao::rbtListaReuniaoClick);
    onChecked(rbtTdResp, &TfrmFiltroReuniao::rbtTdRespClick);
    onChecked(rbtListaResp, &TfrmFiltroReuniao::rbtListaRespClick);
    onChecked(rbtTdPauta, &TfrmFiltroReuniao::rbtTdPautaClick);
    onChecked(rbtListaPauta, &TfrmFiltroReuniao::rbtListaPautaClick);
    btpReuniao->OnClick = [this] { btpReuniaoClick(); };
    btpResp->OnClick = [this] { btpRespClick(); };
    btpPauta->OnClick = [this] { btpPautaClick(); };
    depDtAberturaDe->OnExit = [this] { depDtAberturaExit(depDtAberturaDe); };
    depDtAberturaAte->OnExit = [this] { depDtAberturaExit(depDtAberturaAte); };
}

Cli_zel00400::FilterChoices TfrmFiltroReuniao::UltimoFiltro() const {
    Cli_zel00400::FilterChoices c;
    c.stFiltroReuniao = rfUltimoFiltro.stFiltroReuniao;
    c.stFiltroResp = rfUltimoFiltro.stFiltroResp;
    c.stFiltroPauta = rfUltimoFiltro.stFiltroPauta;
    c.boTodas = rfUltimoFiltro.boTodas;
    c.boAndamento = rfUltimoFiltro.boAndamento;
    c.boPendente = rfUltimoFiltro.boPendente;
    c.boConcluido = rfUltimoFiltro.boConcluido;
    c.boCancelado = rfUltimoFiltro.boCancelado;
    c.dtAberturaDe = rfUltimoFiltro.dtAberturaDe;
    c.dtAberturaAte = rfUltimoFiltro.dtAberturaAte;
    c.todosReuniao = rbtTdReuniao->isChecked();
    c.todosResp = rbtTdResp->isChecked();
    c.todosPauta = rbtTdPauta->isChecked();
    return c;
}

namespace Cli_zel00404 {

QPointer<TfrmFiltroReuniao> frmFiltroReuniao;
bool boConfirma = false;

bool CriaFiltroReuniao() {
    {
        HourglassCursor hourglass;
        if (!frmFiltroReuniao) frmFiltroReuniao = new TfrmFiltroReuniao(ApplicationMainWindow());
        // The meeting window's reload in filter mode reads the choices kept here.
        Cli_zel00400::SetFilterChoicesProvider([] { return UltimoFiltro(); });
    }
    frmFiltroReuniao->exec();
    return boConfirma;
}

bool AbreFiltroReuniao() {
    CriaFiltroReuniao();
    return frmFiltroReuniao && frmFiltroReuniao->boConfirmado;
}

std::optional<Cli_zel00400::FilterChoices> UltimoFiltro() {
    if (!frmFiltroReuniao) return std::nullopt;
    return frmFiltroReuniao->UltimoFiltro();
}

void Finalization() {
    if (frmFiltroReuniao && QCoreApplication::instance()) delete frmFiltroReuniao.data();
    frmFiltroReuniao = nullptr;
    boConfirma = false;
}

}  // namespace Cli_zel00404
