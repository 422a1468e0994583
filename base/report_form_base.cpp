#include "base/report_form_base.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinter>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

#include "base/buttons.h"
#include "base/dialogs.h"
#include "base/guard.h"
#include "base/routines.h"
#include "platform/routines.h"

TReportFormBase::TReportFormBase(QWidget* parent) : QDialog(parent) {
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);

    auto* panBotoes = new QFrame(this);
    panBotoes->setObjectName("panBotoes");
    panBotoes->setFrameShape(QFrame::StyledPanel);
    auto* buttons = new QHBoxLayout(panBotoes);
    buttons->setContentsMargins(2, 2, 2, 2);
    sbtPreview = PanelButton(panBotoes, "sbtPreview", QStringLiteral("Visualizar"),
                             QStyle::SP_FileDialogContentsView);
    sbtPrint =
        PanelButton(panBotoes, "sbtPrint", QStringLiteral("Imprimir"), QStyle::SP_DialogSaveButton);
    sbtSalvarComo = PanelButton(panBotoes, "sbtSalvarComo", QStringLiteral("Salvar como"),
                                QStyle::SP_DriveHDIcon);
    sbtFechar =
        PanelButton(panBotoes, "sbtFechar", QStringLiteral("Fechar"), QStyle::SP_DialogCloseButton);
    for (TFlatButton* b : {sbtPreview, sbtPrint, sbtSalvarComo})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(sbtFechar);
    layout->addWidget(panBotoes);

    auto* body = new QFrame(this);
    body->setObjectName("panRelatorio");
    ClientLayout = new QVBoxLayout(body);
    auto* row = new QHBoxLayout();
    lblRelatorio = new QLabel(QStringLiteral("Relatório"), body);
    cbxRelatorio = new QComboBox(body);
    cbxRelatorio->setObjectName("cbxRelatorio");
    lblRelatorio->setBuddy(cbxRelatorio);
    row->addWidget(lblRelatorio);
    row->addWidget(cbxRelatorio, 1);
    ClientLayout->addLayout(row);
    layout->addWidget(body, 1);

    auto* codes = new QHBoxLayout();
    lblCodRel = new QLabel(this);
    lblCodRel->setObjectName("lblCodRel");
    lblCodTela = new QLabel(this);
    lblCodTela->setObjectName("lblCodTela");
    codes->addWidget(lblCodRel);
    codes->addStretch(1);
    codes->addWidget(lblCodTela);
    layout->addLayout(codes);

    rpddPadrao.BeforeGetQueryParams = [this](TReportParams& p) {
        rpddPadraoBeforeGetQueryParams(p);
    };
    sbtPreview->OnClick = [this] { sbtPreviewClick(); };
    sbtPrint->OnClick = [this] { sbtPrintClick(); };
    sbtSalvarComo->OnClick = [this] { sbtSalvarComoClick(); };
    sbtFechar->OnClick = [this] { reject(); };
}

TReportFormBase::~TReportFormBase() = default;

void TReportFormBase::Create() {
    Guard([this] { FormCreate(); });
}

void TReportFormBase::SetReportCode(const std::string& code) {
    rpddPadrao.ReportCode = code;
    lblCodRel->setText(QString::fromStdString(code));
    m_loaded = false;
}

int TReportFormBase::SelectedReport() const {
    return cbxRelatorio->currentIndex();
}

void TReportFormBase::loadDefinition() {
    m_loaded = false;
    try {
        rpddPadrao.LoadDefinition();
    } catch (const EReportNotFound& e) {
        ShowErrorMessage(Format(msgPadrao->Msg("Arq_Rel_Err"), {e.Code, e.Directory}), true);
    } catch (const EReportDefinitionError& e) {
        ShowErrorMessage(e.Message(), true);
    }
    m_loaded = true;
}

const TReportDefinition& TReportFormBase::definition() {
    if (!m_loaded) loadDefinition();
    return rpddPadrao.Definition();
}

void TReportFormBase::FormActivate() {
    const int previous = cbxRelatorio->currentIndex();
    cbxRelatorio->clear();
    loadDefinition();
    for (const TReportLayout& l : rpddPadrao.Definition().layouts)
        cbxRelatorio->addItem(QString::fromStdString(l.name));
    cbxRelatorio->setCurrentIndex(previous >= 0 && previous < cbxRelatorio->count() ? previous : 0);
}

std::string TReportFormBase::outputTitle() const {
    return cbxRelatorio->currentText().toStdString();
}

std::string TReportFormBase::SuggestedFileName() const {
    return rpddPadrao.ReportCode + ".pdf";
}

void TReportFormBase::sbtPreviewClick() {
    definition();
    const int layout = SelectedReport();
    rpddPadrao.Execute();
    CurrentDialogs().ReportPreview(outputTitle(),
                                   [this, layout](QPrinter& p) { rpddPadrao.Paint(layout, p); });
}

void TReportFormBase::sbtPrintClick() {
    definition();
    const int layout = SelectedReport();
    rpddPadrao.Execute();
    CurrentDialogs().Print(outputTitle(),
                           [this, layout](QPrinter& p) { rpddPadrao.Paint(layout, p); });
}

void TReportFormBase::sbtSalvarComoClick() {
    definition();
    std::string file =
        CurrentDialogs().SaveFileName("Salvar como", SuggestedFileName(), "PDF (*.pdf)");
    if (file.empty()) return;
    if (!QString::fromStdString(file).endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        file += ".pdf";
    rpddPadrao.SaveToPdf(SelectedReport(), file);
}

void TReportFormBase::reject() {
    Guard([this] { FormClose(); });
    QDialog::reject();
}

void TReportFormBase::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) Guard([this] { FormActivate(); });
}
