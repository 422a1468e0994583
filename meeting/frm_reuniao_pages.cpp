// The page control and its five pages: the meeting list, the meeting form (header, date/time
// row, room row), the participants' activities, the agenda and the minutes.
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>

#include "base/buttons.h"
#include "base/date_picker_edit.h"
#include "base/db_edit.h"
#include "base/db_grid.h"
#include "base/db_rich_edit.h"
#include "base/lookup_button.h"
#include "base/mask_edit.h"
#include "base/page_control_ex.h"
#include "base/rich_format_bar.h"
#include "meeting/frm_reuniao.h"

namespace {

// Width of a grid column of a date-time field left at its default width: room for
// "dd/mm/yyyy hh:nn:ss".
constexpr int kDateTimeColumnWidth = 120;

// Background colours of the window's controls.
QColor InfoBackground() {
    return QColor(255, 255, 225);
}  // info tip
QColor ButtonFace() {
    return QColor(240, 240, 240);
}

void SetBackground(QWidget* w, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::Base, colour);
    w->setPalette(p);
}

QWidget* NewPage(TPageControlEx* pages, const char* name, const QString& caption) {
    auto* page = new QWidget;
    page->setObjectName(name);
    pages->addTab(page, caption);
    return page;
}

TDBEdit* NewDBEdit(QWidget* parent, const char* name, TDataSource* source, const char* field,
                   const QColor& background) {
    auto* edit = new TDBEdit(parent);
    edit->setObjectName(name);
    edit->SetDataSource(source);
    edit->SetDataField(field);
    SetBackground(edit, background);
    return edit;
}

// A name shown beside a code: read-only look, never a tab stop, always disabled.
TDBEdit* NewNameEdit(QWidget* parent, const char* name, TDataSource* source, const char* field) {
    TDBEdit* edit = NewDBEdit(parent, name, source, field, ButtonFace());
    edit->setEnabled(false);
    edit->setFocusPolicy(Qt::NoFocus);
    return edit;
}

TLookupButton* NewLookup(QWidget* parent, const char* name, TDataSource* source,
                         const std::string& captions, const QString& hint) {
    auto* button = new TLookupButton(parent);
    button->setObjectName(name);
    button->LookupSource = source;
    button->Captions = captions;
    button->setToolTip(hint);
    return button;
}

QLabel* NewLabel(QWidget* parent, const char* name, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

// An hh:mm edit: "!90:00;1; ", five characters, "  :  " when empty.
TMaskEdit* NewTimeEdit(QWidget* parent, const char* name) {
    auto* edit = new TMaskEdit(parent);
    edit->setObjectName(name);
    edit->SetEditMask("!90:00;1; ");
    edit->setMaxLength(5);
    edit->setFixedWidth(52);
    return edit;
}

}  // namespace

void TfrmReuniao::buildPages() {
    pgcReuniao = new TPageControlEx(this);
    pgcReuniao->setObjectName("pgcReuniao");
    m_clientLayout->addWidget(pgcReuniao, 1);
    buildListPage();
    buildFormPage();
    buildActivitiesPage();
    buildAgendaPage();
    buildMinutesPage();
    pgcReuniao->SetActivePage(tshReuniao);
}

void TfrmReuniao::buildListPage() {
    tshReuniao = NewPage(pgcReuniao, "tshReuniao", QStringLiteral("Reunião"));
    auto* layout = new QVBoxLayout(tshReuniao);
    layout->setContentsMargins(0, 0, 0, 0);
    ntbReuniao = new QStackedWidget(tshReuniao);
    ntbReuniao->setObjectName("ntbReuniao");
    layout->addWidget(ntbReuniao);
    auto* page = new QWidget;
    page->setObjectName("Default");
    ntbReuniao->addWidget(page);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);

    dbgTarefas = new TSortableDBGrid(page);
    dbgTarefas->setObjectName("dbgTarefas");
    dbgTarefas->SetDataSource(&dtsControle);
    dbgTarefas->SetReadOnly(true);
    SetBackground(dbgTarefas, InfoBackground());
    dbgTarefas->SetColumns({
        {"IDSITTAREFA", "Sit.", 27},
        {"NRTAREFA", "Reunião", 75},
        {"DSREFETAREFA", "Referência", 200},
        {"DTHRREUNIAO", "Data/Hora Reunião", kDateTimeColumnWidth},
        {"CDOPERRESP", "Responsável", 208},
        {"CDOPERABER", "Operador de Abertura", 218},
        {"NRSERIETARE", "Série", 75},
        {"NMOPERULTALT", "Alterada por", 180},
    });
    pageLayout->addWidget(dbgTarefas);
}

void TfrmReuniao::buildFormPage() {
    tshFormulario = NewPage(pgcReuniao, "tshFormulario", QStringLiteral("Formulário"));
    auto* pageLayout = new QVBoxLayout(tshFormulario);
    grbFormulario = new QGroupBox(tshFormulario);
    grbFormulario->setObjectName("grbFormulario");
    pageLayout->addWidget(grbFormulario);
    pageLayout->addStretch(1);

    auto* grid = new QGridLayout(grbFormulario);
    QWidget* g = grbFormulario;
    const QColor info = InfoBackground();
    const QColor window(Qt::white);

    lblReferencia = NewLabel(g, "lblReferencia", QStringLiteral("Referência"));
    dbeDsReferencia = NewDBEdit(g, "dbeDsReferencia", &dtsControle, "DSREFETAREFA", info);
    grid->addWidget(lblReferencia, 0, 0);
    grid->addWidget(dbeDsReferencia, 0, 1, 1, 3);

    lblProcesso = NewLabel(g, "lblProcesso", QStringLiteral("Processo"));
    dbeProcesso = NewDBEdit(g, "dbeProcesso", &dtsControle, "CDARVPROCESS", info);
    btnProcesso = NewLookup(g, "btnProcesso", &dtsProcesso, "Processo", QStringLiteral("Processo"));
    dbeNmProcesso = NewNameEdit(g, "dbeNmProcesso", &dtsControle, "NMPROCESSO");

    lblAssuTare = NewLabel(g, "lblAssuTare", QStringLiteral("Assunto"));
    dbeAssunto = NewDBEdit(g, "dbeAssunto", &dtsControle, "CDASSUNTO", info);
    btnAssunto = NewLookup(g, "btnAssunto", &dtsAssunto, "Assunto|Não há assunto cadastrado.",
                           QStringLiteral("Assunto"));
    dbeNmAssunto = NewNameEdit(g, "dbeNmAssunto", &dtsControle, "NMASSUNTO");

    lblProjeto = NewLabel(g, "lblProjeto", QStringLiteral("Projeto"));
    dbeCDProjeto = NewDBEdit(g, "dbeCDProjeto", &dtsControle, "CDPROJETO", window);
    btnProjeto = NewLookup(g, "btnProjeto", &dtsProjeto, "Projeto|Não há projeto cadastrado.",
                           QStringLiteral("Projeto"));
    dbeNMProjeto = NewNameEdit(g, "dbeNMProjeto", &dtsControle, "NMPROJETO");

    lblFuncTare = NewLabel(g, "lblFuncTare", QStringLiteral("Responsável"));
    dbeResp = NewDBEdit(g, "dbeResp", &dtsControle, "CDOPERRESP", info);
    btnRespon = NewLookup(g, "btnRespon", &dtsResp, "Responsável", QStringLiteral("Responsável"));
    dbeNmResp = NewNameEdit(g, "dbeNmResp", &dtsControle, "NMOPERADOR");

    int row = 1;
    for (auto [label, code, button, name] :
         {std::tuple<QLabel*, TDBEdit*, TLookupButton*, TDBEdit*>{lblProcesso, dbeProcesso,
                                                                  btnProcesso, dbeNmProcesso},
          {lblAssuTare, dbeAssunto, btnAssunto, dbeNmAssunto},
          {lblProjeto, dbeCDProjeto, btnProjeto, dbeNMProjeto},
          {lblFuncTare, dbeResp, btnRespon, dbeNmResp}}) {
        code->setFixedWidth(150);
        grid->addWidget(label, row, 0);
        grid->addWidget(code, row, 1);
        grid->addWidget(button, row, 2);
        grid->addWidget(name, row, 3);
        ++row;
    }
    grid->setColumnStretch(3, 1);

    // The process is chosen only for a new meeting (AfterScroll enables it while inserting).
    btnProcesso->setEnabled(false);
    dbeProcesso->setEnabled(false);

    buildDateTimeRow(g);
    grid->addWidget(panDtHr, row++, 0, 1, 4);
    buildRepeatRow(g);
    grid->addWidget(panRepete, row++, 0, 1, 4);
    buildRoomRow(g);
    grid->addWidget(panHoras, row++, 0, 1, 4);
    buildRoomNeedsRow(g);
    grid->addWidget(panSalaPedido, row, 0, 1, 4);

    setTabOrder(dbeDsReferencia, dbeProcesso);
    setTabOrder(dbeProcesso, dbeAssunto);
    setTabOrder(dbeAssunto, dbeCDProjeto);
    setTabOrder(dbeCDProjeto, dbeResp);
}

void TfrmReuniao::buildDateTimeRow(QWidget* parent) {
    panDtHr = new QFrame(parent);
    panDtHr->setObjectName("panDtHr");
    auto* row = new QHBoxLayout(panDtHr);
    row->setContentsMargins(0, 0, 0, 0);

    depDataIni = new TDatePickerEdit(panDtHr);
    depDataIni->setObjectName("depDataIni");
    medHoraIni = NewTimeEdit(panDtHr, "medHoraIni");
    medQtdeHoras = NewTimeEdit(panDtHr, "medQtdeHoras");
    depDataFin = new TDatePickerEdit(panDtHr);
    depDataFin->setObjectName("depDataFin");
    depDataFin->setEnabled(false);
    medHoraFin = new TMaskEdit(panDtHr);  // display only, no mask
    medHoraFin->setObjectName("medHoraFin");
    medHoraFin->setFixedWidth(52);
    medHoraFin->setEnabled(false);

    row->addWidget(new QLabel(QStringLiteral("Data Início"), panDtHr));
    row->addWidget(depDataIni);
    row->addWidget(new QLabel(QStringLiteral("Hora Início"), panDtHr));
    row->addWidget(medHoraIni);
    row->addWidget(new QLabel(QStringLiteral("Qtde. Horas"), panDtHr));
    row->addWidget(medQtdeHoras);
    row->addWidget(new QLabel(QStringLiteral("Data Fim"), panDtHr));
    row->addWidget(depDataFin);
    row->addWidget(new QLabel(QStringLiteral("Hora Fim"), panDtHr));
    row->addWidget(medHoraFin);
    row->addStretch(1);
}

void TfrmReuniao::buildRoomRow(QWidget* parent) {
    panHoras = new QFrame(parent);
    panHoras->setObjectName("panHoras");
    auto* row = new QHBoxLayout(panHoras);
    row->setContentsMargins(0, 0, 0, 0);
    dbeCdSalas = NewDBEdit(panHoras, "dbeCdSalas", &dtsAgeAtiviSala, "CDSALA", InfoBackground());
    dbeCdSalas->setFixedWidth(70);
    btnPesqSalas =
        NewLookup(panHoras, "btnPesqSalas", &dtsSalas, "Sala", QStringLiteral("Pesquisar"));
    dbeNmSala = NewDBEdit(panHoras, "dbeNmSala", &dtsAgeAtiviSala, "NMSALA", ButtonFace());
    dbeNmSala->setFocusPolicy(Qt::NoFocus);
    dbeNmSala->setReadOnly(true);
    row->addWidget(new QLabel(QStringLiteral("Sala da Reuniao"), panHoras));
    row->addWidget(dbeCdSalas);
    row->addWidget(btnPesqSalas);
    row->addWidget(dbeNmSala, 1);
    btnAgendaSalas = PanelButton(panHoras, "btnAgendaSalas", QStringLiteral("Salas do Dia"),
                                 QStyle::SP_FileDialogDetailedView);
    btnAgendaSalas->setToolButtonStyle(Qt::ToolButtonIconOnly);
    row->insertWidget(row->indexOf(btnPesqSalas) + 1, btnAgendaSalas);
}

void TfrmReuniao::buildActivitiesPage() {
    tshParticipantes = NewPage(pgcReuniao, "tshParticipantes", QStringLiteral("Atividades"));
    auto* layout = new QVBoxLayout(tshParticipantes);
    layout->setContentsMargins(0, 0, 0, 0);
    dbgPadrao = new TDBGrid(tshParticipantes);
    dbgPadrao->setObjectName("dbgPadrao");
    dbgPadrao->SetDataSource(&dtsAtividade);
    dbgPadrao->setFrameShape(QFrame::NoFrame);
    SetBackground(dbgPadrao, InfoBackground());
    dbgPadrao->SetColumns({
        {"IDOPERPAREUNIAO", "\u2713", 17},
        {"IDSITATIVTAR", "", 23, true},
        {"CDARVPROCESS", "", 182},
        {"CDARVITTRAB", "", 152},
        {"CDOPERRESP", "", 146, false, true, cbsEllipsis},
        {"DTINPATIVTAR", "", 113},
        {"QTHRPATIVTARE", "", 64},
        {"DTFIPATIVTAR", "", 130, true},
        // Not a field of the activities: the participant's answer to the invitation.
        {"RESPOSTA", "Resposta", 70, true},
    });
    layout->addWidget(dbgPadrao);
}

void TfrmReuniao::buildAgendaPage() {
    tshPauta = NewPage(pgcReuniao, "tshPauta", QStringLiteral("Pauta"));
    auto* layout = new QVBoxLayout(tshPauta);
    layout->setContentsMargins(0, 0, 0, 0);
    splPauta = new QSplitter(Qt::Vertical, tshPauta);
    splPauta->setObjectName("splPauta");
    layout->addWidget(splPauta);

    dsgAssunto = new TSortableDBGrid(splPauta);
    dsgAssunto->setObjectName("dsgAssunto");
    dsgAssunto->SetDataSource(&dtsItemTarefa);
    SetBackground(dsgAssunto, InfoBackground());
    dsgAssunto->SetColumns({
        {"NRSEQUITTARE", "", 64, true},
        {"DSREFEITTARE", "", 275},
        {"NRPRIOITTARE", "", 64},
        {"CDOPERRESP", "", 118},
        {"DTINCLITTARE", "", 64, true},
        {"CDOPERADOR", "", 187, true},
    });

    memObs = new QPlainTextEdit(splPauta);
    memObs->setObjectName("memObs");
    memObs->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SetBackground(memObs, InfoBackground());
    splPauta->addWidget(dsgAssunto);
    splPauta->addWidget(memObs);
    splPauta->setStretchFactor(0, 1);
    splPauta->setSizes({300, 100});
}

void TfrmReuniao::buildMinutesPage() {
    tshAta = NewPage(pgcReuniao, "tshAta", QStringLiteral("Ata"));
    auto* layout = new QVBoxLayout(tshAta);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    FormatPanel2 = new TRichFormatBar(tshAta);
    FormatPanel2->setObjectName("FormatPanel2");
    panAssunto = new QLabel(tshAta);
    panAssunto->setObjectName("panAssunto");
    panAssunto->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    panAssunto->setAutoFillBackground(true);
    QPalette p = panAssunto->palette();
    p.setColor(QPalette::Window, QColor(68, 130, 181));
    p.setColor(QPalette::WindowText, Qt::white);
    panAssunto->setPalette(p);
    panAssunto->setMinimumHeight(22);

    dbrDescricao = new TDBRichEdit(tshAta);
    dbrDescricao->setObjectName("dbrDescricao");
    dbrDescricao->SetDataSource(&dtsDescItTare);
    dbrDescricao->SetDataField("TXDESCITTARE");
    dbrDescricao->setFrameShape(QFrame::NoFrame);
    SetBackground(dbrDescricao, InfoBackground());
    FormatPanel2->SetEditor(dbrDescricao);

    layout->addWidget(FormatPanel2);
    layout->addWidget(panAssunto);
    layout->addWidget(dbrDescricao, 1);
}
