#include "dialogs/frm_rel_ata.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMainWindow>

#include "base/application_window.h"
#include "base/routines.h"
#include "meeting/busy_scope.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "messages/message_tables.h"
#include "platform/routines.h"
#include "server/check_server_result.h"

namespace {

TfrmReuniao& MeetingWindow() {
    if (!Cli_zel00400::frmReuniao)
        throw Exception("A janela de Controle de Reunião não está aberta.");
    return *Cli_zel00400::frmReuniao;
}

}  // namespace

TfrmRelAta::TfrmRelAta(QWidget* parent) : TReportFormBase(parent) {
    setObjectName("frmRelAta");
    setWindowTitle(QStringLiteral("Atas e Pautas da Reunião"));
    lblCodTela->setText(QStringLiteral("ZEL00402"));
    msgPadrao = &MinutesReportMessages();
    SetReportCode("ZEL004");
    setAttribute(Qt::WA_DeleteOnClose);
    resize(420, 130);
    Create();
}

TfrmRelAta::~TfrmRelAta() {
    if (Cli_zel00402::frmRelAta == this) Cli_zel00402::boStCriado = false;
}

void TfrmRelAta::FormActivate() {
    rpddPadrao.Connection = &MeetingWindow().netReuniao;
    TReportFormBase::FormActivate();
    repaint();
}

void TfrmRelAta::FormClose() {
    TReportFormBase::FormClose();
    Cli_zel00402::boStCriado = false;
}

void TfrmRelAta::vd_dados() {
    if (!Cli_zel00402::frmRelAta) return;
    if (SelectedReport() != 0) return;
    TfrmReuniao& w = MeetingWindow();
    // The walk below moves through the agenda and reloads the minutes: what is typed there
    // is saved first, so it is what the report finds.
    w.KeepPendingWork(TfrmReuniao::TReload::Agenda, TPendingEdit::Post);
    TClientDataSet& itens = w.cdsItemTarefa;
    if (itens.Active()) {
        for (itens.First(); !itens.Eof(); itens.Next()) {
            const std::string item = itens.FieldByName("NRSEQUITTARE").AsString();
            if (IsBlank(item)) continue;
            w.cdsDescItTare.SetData(CheckServerResult(
                w.netReuniao.AppServer().Call(
                    "GetDescItTare", {Arg(itens.FieldByName("CDFILIAL").AsString()),
                                      Arg(itens.FieldByName("NRTAREFA").AsString()), Arg(item)}),
                true, 0));
            if (!w.cdsDescItTare.IsEmpty() &&
                !IsBlank(w.cdsDescItTare.FieldByName("TXDESCITTARE").AsString()))
                return;
        }
        itens.First();
    }
    ShowErrorMessage(Msg("n_dados"), true);
}

void TfrmRelAta::rpddPadraoBeforeGetQueryParams(TReportParams& params) {
    TClientDataSet& reuniao = MeetingWindow().cdsControle;
    if (ExistParam(params, "P_CDFILIAL"))
        params.ParamByName("P_CDFILIAL").SetAsString(reuniao.FieldByName("CDFILIAL").AsString());
    if (ExistParam(params, "P_NRTAREFA"))
        params.ParamByName("P_NRTAREFA").SetAsString(reuniao.FieldByName("NRTAREFA").AsString());
}

std::string TfrmRelAta::SuggestedFileName() const {
    const TClientDataSet& reuniao = MeetingWindow().cdsControle;
    if (!reuniao.Active() || reuniao.IsEmpty()) return TReportFormBase::SuggestedFileName();
    return "Ata-" + TrimAll(reuniao.FieldByName("NRTAREFA").AsString()) + ".pdf";
}

void TfrmRelAta::sbtPreviewClick() {
    vd_dados();
    TReportFormBase::sbtPreviewClick();
}

void TfrmRelAta::sbtPrintClick() {
    vd_dados();
    TReportFormBase::sbtPrintClick();
}

void TfrmRelAta::sbtSalvarComoClick() {
    vd_dados();
    TReportFormBase::sbtSalvarComoClick();
}

namespace Cli_zel00402 {

QPointer<TfrmRelAta> frmRelAta;
bool boStCriado = false;

void CriaRelAta() {
    {
        reuniao::HourglassCursor hourglass;
        if (!boStCriado || !frmRelAta) {
            frmRelAta = new TfrmRelAta(ApplicationMainWindow());
            boStCriado = true;
        }
    }
    frmRelAta->exec();
}

void Finalization() {
    if (frmRelAta && QCoreApplication::instance()) delete frmRelAta.data();
    frmRelAta = nullptr;
    boStCriado = false;
}

}  // namespace Cli_zel00402
