// Unit Cli_zel00402: the minutes report TfrmRelAta ("Atas e Pautas da Reunião", screen code
// ZEL00402, report ZEL004).
//
// It previews, prints or saves as PDF the agenda and minutes of the meeting that is current
// in the meeting window (Cli_zel00400::frmReuniao): the report's queries get that meeting's
// branch and number (P_CDFILIAL, P_NRTAREFA) where they declare them. On the first layout of
// the combo box (the minutes and agenda) every output first checks that at least one agenda
// item has minutes (vd_dados); the other layouts print without that check.
//
// One instance at a time (frmRelAta), created by CriaRelAta while none exists (boStCriado);
// closing destroys it. It needs the meeting window open. GUI thread only.
#pragma once

#include <QPointer>

#include "base/report_form_base.h"

class TfrmRelAta : public TReportFormBase {
    Q_OBJECT
  public:
    explicit TfrmRelAta(QWidget* parent = nullptr);
    ~TfrmRelAta() override;

    // Text of a message of the report's table.
    std::string Msg(const std::string& key) const { return msgPadrao->Msg(key); }

    // --- handlers ---
    void FormActivate() override;
    void FormClose() override;
    void sbtPreviewClick() override;
    void sbtPrintClick() override;
    void sbtSalvarComoClick() override;
    void rpddPadraoBeforeGetQueryParams(TReportParams& params) override;
    // "Ata-<meeting number>.pdf".
    std::string SuggestedFileName() const override;

    // The check before any output on the first layout: walks the meeting window's agenda
    // (cdsItemTarefa) from the first item, loading each numbered item's minutes
    // (GetDescItTare into cdsDescItTare), and stops on the first item with minutes. Without
    // any, goes back to the first item and shows "n_dados", which ends the output.
    void vd_dados();
};

namespace Cli_zel00402 {

// The instance while one exists.
extern QPointer<TfrmRelAta> frmRelAta;
// True while an instance exists.
extern bool boStCriado;

// Opens the report modally for the meeting window's current meeting, creating the window
// when none exists.
void CriaRelAta();

// Unit finalisation: destroys an instance left (while the application object exists).
void Finalization();

}  // namespace Cli_zel00402
