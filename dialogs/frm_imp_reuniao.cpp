#include "dialogs/frm_imp_reuniao.h"

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QStyle>
#include <QVBoxLayout>

#include "base/application_window.h"
#include "base/buttons.h"
#include "base/db_grid.h"
#include "base/dialogs.h"
#include "base/guard.h"
#include "base/login_context.h"
#include "base/routines.h"
#include "meeting/busy_scope.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "meeting/reuniao_datasets.h"
#include "messages/message_tables.h"
#include "server/check_server_result.h"

namespace {

constexpr TFieldType S = TFieldType::ftString;
constexpr TFieldType DT = TFieldType::ftDateTime;

TFlatButton* panelButton(QWidget* parent, const char* name, const QString& hint,
                         QStyle::StandardPixmap icon) {
    auto* b = new TFlatButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(hint);
    b->setToolTip(hint);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    return b;
}

TfrmReuniao& MeetingWindow() {
    if (!Cli_zel00400::frmReuniao)
        throw Exception("A janela de Controle de Reunião não está aberta.");
    return *Cli_zel00400::frmReuniao;
}

std::function<void(int)>& helpViewer() {
    static std::function<void(int)> viewer;
    return viewer;
}

}  // namespace

TfrmImpReuniao::TfrmImpReuniao(QWidget* parent) : QDialog(parent) {
    setObjectName("frmImpReuniao");
    setWindowTitle(QStringLiteral("Selecione a reunião desejada"));
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    setModal(true);
    msgPadrao = &AgendaImportMessages();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    buildGrid();
    buildButtons();
    layout->addWidget(grbDadosRel, 1);
    layout->addWidget(panMenu);
    lblCodTela = new QLabel(QStringLiteral("ZEL00401"), this);
    lblCodTela->setObjectName("lblCodTela");
    lblCodTela->setVisible(false);
    resize(640, 300);
    m_boCentraliza = false;
    RegisterPackageForm("TfrmImpReuniao", this);
    TranslateForm(this);
}

TfrmImpReuniao::~TfrmImpReuniao() {
    qApp->removeEventFilter(this);
    if (Cli_zel00401::frmImpReuniao == this) Cli_zel00401::boIdCriado = false;
}

void TfrmImpReuniao::buildGrid() {
    using reuniao::DeclareFields;
    DeclareFields(cdsReuniao, {{"CDFILIAL", S, 4},
                               {"NRTAREFA", S, 10, "Nr. Tarefa"},
                               {"DTHRREUNIAO", DT, 0, "Data Reunião"},
                               {"DSREFETAREFA", S, 100, "Referência"},
                               {"IDSITTAREFA", S, 1, "Sit."},
                               {"NMPROCESSO", S, 100, "Processo"}});
    DeclareFields(cdsImpAssunto, {{"CDFILIAL", S, 4},
                                  {"NRTAREFA", S, 10},
                                  {"NRSEQUITTARE", S, 10},
                                  {"DSREFEITTARE", S, 100},
                                  {"TXPLANITTARE", S, 2000},
                                  {"DTINCLITTARE", DT},
                                  {"CDOPERADOR", S, 12},
                                  {"CDOPERRESP", S, 12},
                                  {"NRPRIOITTARE", S, 3}});
    // The candidates are only read.
    cdsReuniao.BeforeEdit = [](TClientDataSet&) { throw EAbort(); };
    cdsReuniao.BeforeInsert = [](TClientDataSet&) { throw EAbort(); };

    grbDadosRel = new QGroupBox(this);
    grbDadosRel->setObjectName("grbDadosRel");
    auto* inner = new QVBoxLayout(grbDadosRel);
    dbgReuniao = new TDBGrid(grbDadosRel);
    dbgReuniao->setObjectName("dbgReuniao");
    dbgReuniao->SetDataSource(&dtsReuniao);
    dbgReuniao->SetReadOnly(true);
    dbgReuniao->AddColumn("IDSITTAREFA", {}, 30);
    dbgReuniao->AddColumn("NRTAREFA", {}, 80);
    dbgReuniao->AddColumn("DTHRREUNIAO", {}, 120);
    dbgReuniao->AddColumn("DSREFETAREFA", {}, 220);
    dbgReuniao->AddColumn("NMPROCESSO", {}, 160);
    QPalette info = dbgReuniao->palette();
    info.setColor(QPalette::Base, QApplication::palette().color(QPalette::ToolTipBase));
    dbgReuniao->setPalette(info);
    inner->addWidget(dbgReuniao);
}

void TfrmImpReuniao::buildButtons() {
    panMenu = new QFrame(this);
    panMenu->setObjectName("panMenu");
    panMenu->setFrameShape(QFrame::StyledPanel);
    auto* column = new QVBoxLayout(panMenu);
    column->setContentsMargins(2, 2, 2, 2);
    sbtHelp = panelButton(panMenu, "sbtHelp", QStringLiteral("Ajuda"), QStyle::SP_DialogHelpButton);
    sbtCancel =
        panelButton(panMenu, "sbtCancel", QStringLiteral("Fechar"), QStyle::SP_DialogCloseButton);
    sbtConfirma = panelButton(panMenu, "sbtConfirma", QStringLiteral("Confirmar"),
                              QStyle::SP_DialogApplyButton);
    column->addWidget(sbtHelp);
    column->addStretch(1);
    column->addWidget(sbtCancel);
    column->addWidget(sbtConfirma);
    sbtHelp->OnClick = [this] { sbtHelpClick(); };
    sbtCancel->OnClick = [this] { sbtCancelClick(); };
    sbtConfirma->OnClick = [this] { sbtConfirmaClick(); };
}

void TfrmImpReuniao::FormActivate() {
    TfrmReuniao& w = MeetingWindow();
    const TClientDataSet& meeting = w.cdsControle;
    const bool current = meeting.Active() && !meeting.IsEmpty();
    const std::string process = current ? meeting.FieldByName("CDPROCESSO").AsString() : "";
    const std::string number = current ? meeting.FieldByName("NRTAREFA").AsString() : "";
    cdsReuniao.SetData(
        CheckServerResult(w.netReuniao.AppServer().Call(
                              "GetReuniao", {Arg(CurrentBranch()), Arg(process), Arg(number)}),
                          true, 0));
}

void TfrmImpReuniao::sbtConfirmaClick() {
    TfrmReuniao& w = MeetingWindow();
    w.boImpParticipantes = true;
    try {
        copiaAssuntos(w);
    } catch (const EAbort&) {
        throw;
    } catch (const Exception& e) {
        // The reason first (a refusal was shown already), then the dialog's own message.
        if (!dynamic_cast<const EErrorShown*>(&e)) CurrentDialogs().Error(e.what());
        ShowErrorMessage(Msg("Arq_Cad"), true);
    }
    w.InsereParticipante();
}

void TfrmImpReuniao::copiaAssuntos(TfrmReuniao& w) {
    // Without a candidate no meeting is selected, and there is nothing to import from.
    if (!cdsReuniao.Active() || cdsReuniao.IsEmpty()) ShowErrorMessage(Msg("OPEBLOCK"), true);
    const std::string branch = cdsReuniao.FieldByName("CDFILIAL").AsString();
    const std::string number = cdsReuniao.FieldByName("NRTAREFA").AsString();
    cdsImpAssunto.SetData(CheckServerResult(
        w.netReuniao.AppServer().Call("GetImpAssunto", {Arg(branch), Arg(number)}), true, 0));
    w.stFilialOrigem = branch;
    w.stTarefaOrigem = number;
    if (cdsImpAssunto.IsEmpty()) ShowErrorMessage(Msg("OPEBLOCK"), true);
    for (cdsImpAssunto.First(); !cdsImpAssunto.Eof(); cdsImpAssunto.Next()) {
        const auto text = [this](const char* field) {
            return Arg(cdsImpAssunto.FieldByName(field).AsString());
        };
        CheckServerResult(
            w.netReuniao.AppServer().Call(
                "GetInsAssunto", {ArgRef(w.stFilialDestino), ArgRef(w.stTarefaDestino),
                                  text("NRSEQUITTARE"), text("DSREFEITTARE"),
                                  ArgDate(cdsImpAssunto.FieldByName("DTINCLITTARE").AsDateTime()),
                                  text("CDOPERADOR"), text("TXPLANITTARE"), text("CDOPERRESP"),
                                  text("NRPRIOITTARE")}),
            true, 0);
    }
    w.Atualiza();
    // The destination meeting stays the window's current one.
    w.cdsControle.Locate("NRTAREFA", {Variant(w.stTarefaDestino)}, {loCaseInsensitive});
}

void TfrmImpReuniao::sbtCancelClick() {
    done(QDialog::Rejected);
}

int TfrmImpReuniao::HelpContextToOpen() const {
    if (const QWidget* active = focusWidget()) {
        const int context = active->property("HelpContext").toInt();
        if (context != 0) return context;
    }
    return HelpContext;
}

void TfrmImpReuniao::sbtHelpClick() {
    if (helpViewer()) helpViewer()(HelpContextToOpen());
}

void TfrmImpReuniao::reject() {
    Guard([this] { sbtCancelClick(); });
}

void TfrmImpReuniao::done(int result) {
    QDialog::done(result);
    if (Cli_zel00401::frmImpReuniao == this) {
        Cli_zel00401::frmImpReuniao = nullptr;
        Cli_zel00401::boIdCriado = false;
    }
    deleteLater();
}

void TfrmImpReuniao::showEvent(QShowEvent* event) {
    // Placed before the window appears, so it never shows first at Qt's own place.
    m_boCentraliza = PositionScreenCenter;
    if (m_boCentraliza) centraliza();
    m_boCentraliza = false;
    QDialog::showEvent(event);
    qApp->installEventFilter(this);
    if (!event->spontaneous()) Guard([this] { FormActivate(); });
}

void TfrmImpReuniao::hideEvent(QHideEvent* event) {
    qApp->removeEventFilter(this);
    QDialog::hideEvent(event);
}

// Centred over the main window's client area, but never above or left of the screen's edge.
void TfrmImpReuniao::centraliza() {
    QMainWindow* main = ApplicationMainWindow();
    if (!main) return;
    QWidget* client = main->centralWidget() ? main->centralWidget() : main;
    const QPoint local(client->width() / 2 - width() / 2, client->height() / 2 - height() / 2);
    const QPoint screen = client->mapToGlobal(local);
    move(std::max(0, screen.x()), std::max(0, screen.y()));
}

bool TfrmImpReuniao::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != this) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        sbtConfirma->Click();
        return true;
    }
    if (key == Qt::Key_Escape) {
        sbtCancel->Click();
        return true;
    }
    return false;
}

namespace Cli_zel00401 {

QPointer<TfrmImpReuniao> frmImpReuniao;
bool boIdCriado = false;

void CriaImpReuniao() {
    {
        reuniao::HourglassCursor hourglass;
        if (!boIdCriado || !frmImpReuniao) {
            frmImpReuniao = new TfrmImpReuniao(ApplicationMainWindow());
            boIdCriado = true;
        }
    }
    frmImpReuniao->exec();
}

void SetHelpViewer(std::function<void(int context)> viewer) {
    helpViewer() = std::move(viewer);
}

void Finalization() {
    if (frmImpReuniao && QCoreApplication::instance()) delete frmImpReuniao.data();
    frmImpReuniao = nullptr;
    boIdCriado = false;
    helpViewer() = nullptr;
}

}  // namespace Cli_zel00401
