// The minutes page: the minutes of the current agenda item (cdsDescItTare) in the rich editor
// dbrDescricao with its format bar, their checks and saving.
#include <QLabel>

#include "base/db_rich_edit.h"
#include "base/focus_events.h"
#include "base/rich_format_bar.h"
#include "base/routines.h"
#include "meeting/busy_scope.h"
#include "meeting/frm_reuniao.h"
#include "platform/routines.h"
#include "server/check_server_result.h"

void TfrmReuniao::attachMinutesHandlers() {
    TClientDataSet& cds = cdsDescItTare;
    cds.BeforeInsert = [this](TClientDataSet&) { cdsDescItTareBeforeInsert(); };
    cds.BeforeEdit = [this](TClientDataSet&) { cdsDescItTareBeforeEdit(); };
    cds.BeforePost = [this](TClientDataSet&) { cdsDescItTareBeforePost(); };
    cds.AfterPost = [this](TClientDataSet&) { cdsDescItTareAfterPost(); };
    cds.AfterDelete = [this](TClientDataSet&) { cdsDescItTareAfterPost(); };
    cds.AfterCancel = [this](TClientDataSet&) { cdsDescItTareAfterCancel(); };

    // The bar keeps its standard hints; the minutes page shows no cut button.
    FormatPanel2->SetButtonVisible(TFormatButton::Cut, false);
    QFont caption = panAssunto->font();
    caption.setBold(true);
    panAssunto->setFont(caption);
    panAssunto->setContentsMargins(6, 0, 6, 0);
}

void TfrmReuniao::cdsDescItTareBeforeInsert() {
    checkMeetingOpen();
    // Minutes belong to an agenda item.
    if (!cdsItemTarefa.Active() || cdsItemTarefa.IsEmpty() || cdsItemTarefa.State() == dsInsert)
        throw EAbort();
}

void TfrmReuniao::cdsDescItTareBeforeEdit() {
    checkMeetingOpen();
}

void TfrmReuniao::cdsDescItTareBeforePost() {
    try {
        if (IsBlank(dbrDescricao->toPlainText().toStdString()))
            ShowErrorMessage(Msg("ATA_INF"), true);
        TClientDataSet& cds = cdsDescItTare;
        cds.FieldByName("CDFILIAL").SetAsString(cdsItemTarefa.FieldByName("CDFILIAL").AsString());
        cds.FieldByName("NRTAREFA").SetAsString(cdsControle.FieldByName("NRTAREFA").AsString());
        cds.FieldByName("NRSEQUITTARE")
            .SetAsString(cdsItemTarefa.FieldByName("NRSEQUITTARE").AsString());
    } catch (...) {
        SetFocus(dbrDescricao);
        throw;
    }
}

void TfrmReuniao::cdsDescItTareAfterPost() {
    TClientDataSet& cds = cdsDescItTare;
    if (cds.ChangeCount() == 0) return;
    {
        reuniao::BusyScope busy(nullptr, 1);
        CheckServerResult(netReuniao.AppServer().Call("SetDescItTare", {Arg(cds.Delta())}), true,
                          0);
        if (cds.LogChanges()) cds.MergeChangeLog();
        RefreshLocalCache({"DESCITEMTARE"});
    }
    sbtVerificarClick();
}

void TfrmReuniao::cdsDescItTareAfterCancel() {
    cdsDescItTare.CancelUpdates();
}
