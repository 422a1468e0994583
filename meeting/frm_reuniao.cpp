#include "meeting/frm_reuniao.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "base/db_grid.h"
#include "base/page_control_ex.h"
#include "base/routines.h"
#include "meeting/cli_zel00400.h"
#include "meeting/reuniao_datasets.h"
#include "meeting/reuniao_pictures.h"
#include "messages/message_tables.h"
#include "platform/routines.h"

namespace {
std::function<void(TServerConnection&)>& connectionSetup() {
    static std::function<void(TServerConnection&)> setup;
    return setup;
}
}  // namespace

void TfrmReuniao::SetConnectionSetup(std::function<void(TServerConnection&)> setup) {
    connectionSetup() = std::move(setup);
}

TfrmReuniao::TfrmReuniao(QWidget* parent) : TSimpleFormBase(parent) {
    setObjectName("frmReuniao");
    setWindowTitle(QStringLiteral("Controle de Reunião"));
    setWindowIcon(reuniao::ReuniaoIcon(reuniao::imgMeeting));
    resize(kDesignWidth, kDesignHeight);
    lblCodTela->setText(QStringLiteral("ZEL00400"));
    msgPadrao = &MeetingWindowMessages();
    setAttribute(Qt::WA_DeleteOnClose);
    m_clientLayout = new QVBoxLayout(ClientArea());
    m_clientLayout->setContentsMargins(0, 0, 0, 0);

    netReuniao.ServerName = "ZEL00400.rdmReuniao";
    netReuniao.Host = "127.0.0.1";
    netReuniao.ThrowException = false;
    netReuniao.BeforeConnect = [this](TServerConnection& c) { netReuniaoBeforeConnect(c); };
    if (connectionSetup()) connectionSetup()(netReuniao);

    declareDataSets();
    buildTopPanel();
    buildPages();
    buildBottomBar();
    buildMenu();
    attachHandlers();
    dtsPadrao.SetDataSet(&cdsControle);
    RegisterPackageForm("TfrmReuniao", this);
    TranslateForm(this);
    Create();
}

TfrmReuniao::~TfrmReuniao() {
    if (Cli_zel00400::frmReuniao == this) Cli_zel00400::frmReuniao = nullptr;
    // The base form's data source outlives this window's datasets: detach it while the
    // buttons it enables still exist. Then drop the widgets, so no control outlives the data
    // source it listens to.
    disconnect(m_pageFollow);
    dtsPadrao.SetDataSet(nullptr);
    const auto children = findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    qDeleteAll(children);
}

void TfrmReuniao::declareDataSets() {
    using namespace reuniao;
    DeclareControle(cdsControle);
    DeclareAgeAtiviSala(cdsAgeAtiviSala);
    DeclareSalas(cdsSalas);
    DeclareVdSala(cdsVdSala);
    DeclarePesqSala(cdsPesqSala);
    DeclareSeqSalas(cdsSeqSalas);
    DeclareDadosSalas(cdsDadosSalas);
    DeclareAuxAtiv(cdsAuxAtiv);
    DeclareProcesso(cdsProcesso);
    DeclareAssunto(cdsAssunto);
    DeclareProjeto(cdsProjeto);
    DeclareResp(cdsResp);
    DeclareVdResp(cdsVdResp);
    DeclareAtividades(cdsAtividades);
    DeclareValOper(cdsValOper);
    DeclareValProc(cdsValProc);
    DeclareValPesqItTrab(cdsValPesqItTrab);
    DeclareItemTarefa(cdsItemTarefa);
    DeclareDescItTare(cdsDescItTare);
    DeclarePesqOper(cdsPesqOper);
    DeclareTestaReuniao(cdsTestaReuniao);
    DeclareAtivReuniao(cdsAtivReuniao);
    DeclarePesqProc(cdsPesqProc);
    DeclarePesqPart(cdsPesqPart);
    DeclarePesqItemTrab(cdsPesqItemTrab);
    DeclareAtividadesAux(cdsAtividadesAux);
    DeclareCarregaAtividade(cdsCarregaAtividade);
    DeclareAlteraAtiv(cdsAlteraAtiv);
    DeclareConcTarefa(cdsConcTarefa);
    DeclareHoraServidor(cdsHoraServidor);
}

void TfrmReuniao::attachHandlers() {
    cdsControle.FieldByName("IDSITTAREFA").OnGetText = [this](TField& f, std::string& text,
                                                              bool display) {
        cdsControleIDSITTAREFAGetText(f, text, display);
    };
    dtsControle.OnDataChange = [this](TDataSource&, TField*) { showDescription(); };
    dbgTarefas->OnDrawColumnCell = [this](TCanvas& canvas, const QRect& rect, int col,
                                          TField* field, TGridDrawState state) {
        dbgTarefasDrawColumnCell(canvas, rect, col, field, state);
    };
    // Entering the list grid re-applies the status filter.
    dbgTarefas->OnEnter = [this] { FILTRA_CONTROLE(); };
    attachListHandlers();
    // Record editing, lookups, date/time and rooms.
    attachEditingHandlers();
    attachHeaderHandlers();
    attachDateTimeHandlers();
    attachRoomHandlers();

    // Activities page and participants grid.
    attachActivityHandlers();
    attachParticipantsGridHandlers();

    // Agenda and minutes.
    attachAgendaHandlers();
    attachMinutesHandlers();

    // Cancellation and import.
    attachCancellationAndImport();
    buildCalendarExport();
    buildHistory();
    buildSeriesMenu();
}

// The bottom bar shows the current meeting's one-line description.
void TfrmReuniao::showDescription() {
    if (!dbtNavigator) return;
    const TField* f = cdsControle.FindField("DESCRICAO");
    dbtNavigator->setText(f && cdsControle.Active() ? QString::fromStdString(f->AsString())
                                                    : QString());
}

const TMessageTable* TfrmReuniao::MessageTable(const std::string& name) const {
    if (SameText(name, "msgPadrao")) return msgPadrao;
    if (SameText(name, "msgMensagensPadroes")) return &msgMensagensPadroes;
    return nullptr;
}
