// The agenda page: the agenda items of the current meeting (cdsItemTarefa) in the grid
// dsgAssunto, their numbering, checks and saving, and the note memo memObs below the grid.
//
// The memo is not bound to the dataset: it shows the current item's TXPLANITTARE, and what is
// typed in it is written back into that field as it changes (and once more before a post), so
// a note typed alone is a change of the item that a move to another row posts, not one that
// the move drops.
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextCursor>

#include "base/db_grid.h"
#include "base/db_rich_edit.h"
#include "base/dialogs.h"
#include "base/guard.h"
#include "base/login_context.h"
#include "base/routines.h"
#include "meeting/busy_scope.h"
#include "meeting/dataset_rows.h"
#include "meeting/frm_reuniao.h"
#include "platform/routines.h"
#include "server/check_server_result.h"

namespace {

// Passes the keys that would change a plain-text edit to `keyPress`, which discards one by
// setting it to 0 (the platform's key-press rule).
class KeyPressFilter : public QObject {
  public:
    KeyPressFilter(QObject* parent, std::function<void(QChar&)> keyPress)
        : QObject(parent), m_keyPress(std::move(keyPress)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (!KeyChangesText(key)) return false;
        // Keys without a character (Delete) travel as DEL.
        QChar c = key.text().isEmpty() ? QChar(0x7F) : key.text()[0];
        if (!Guard([&] { m_keyPress(c); })) return true;
        return c.isNull();
    }

  private:
    std::function<void(QChar&)> m_keyPress;
};

}  // namespace

void TfrmReuniao::attachAgendaHandlers() {
    TClientDataSet& cds = cdsItemTarefa;
    cds.BeforeInsert = [this](TClientDataSet&) { cdsItemTarefaBeforeInsert(); };
    cds.OnNewRecord = [this](TClientDataSet&) { cdsItemTarefaNewRecord(); };
    cds.AfterInsert = [this](TClientDataSet&) { cdsItemTarefaAfterInsert(); };
    cds.BeforeEdit = [this](TClientDataSet&) { cdsItemTarefaBeforeEdit(); };
    cds.BeforePost = [this](TClientDataSet&) { cdsItemTarefaBeforePost(); };
    cds.AfterPost = [this](TClientDataSet&) { cdsItemTarefaAfterPost(); };
    cds.AfterDelete = [this](TClientDataSet&) { cdsItemTarefaAfterPost(); };
    cds.AfterCancel = [this](TClientDataSet&) { cdsItemTarefaAfterCancel(); };
    cds.AfterScroll = [this](TClientDataSet&) { cdsItemTarefaAfterScroll(); };

    connect(memObs, &QPlainTextEdit::textChanged, this,
            [this] { Guard([this] { memObsChange(); }); });
    memObs->installEventFilter(
        new KeyPressFilter(memObs, [this](QChar& key) { memObsKeyPress(key); }));

    dsgAssunto->OnDrawColumnCell = [this](TCanvas& canvas, const QRect& rect, int col,
                                          TField* field, TGridDrawState state) {
        dsgAssuntoDrawColumnCell(canvas, rect, col, field, state);
    };
    dsgAssunto->OnEditButtonClick = [this] { dsgAssuntoEditButtonClick(); };
    // The responsible operator's column opens the operator pick list from its ellipsis; the
    // date column has room for a date and a time.
    std::vector<TColumn> columns = dsgAssunto->Columns();
    for (TColumn& c : columns) {
        if (c.FieldName == "CDOPERRESP") c.ButtonStyle = cbsEllipsis;
        if (c.FieldName == "DTINCLITTARE") c.Width = 120;
    }
    dsgAssunto->SetColumns(std::move(columns));
}

void TfrmReuniao::checkMeetingOpen() {
    const std::string m = RowText(cdsControle, "IDSITTAREFA");
    // Without a current meeting an item or minutes would belong to no meeting.
    if (!cdsControle.Active() || cdsControle.IsEmpty() || m == "X" || m == "C") throw EAbort();
}

void TfrmReuniao::cdsItemTarefaBeforeInsert() {
    checkMeetingOpen();
}

void TfrmReuniao::cdsItemTarefaNewRecord() {
    cdsItemTarefa.FieldByName("DSREFEITTARE").FocusControl();
}

void TfrmReuniao::cdsItemTarefaAfterInsert() {
    const Variant next = netReuniao.AppServer().Call(
        "GetPrxItemTarefa", {Arg(cdsControle.FieldByName("CDFILIAL").AsString())});
    cdsItemTarefa.FieldByName("NRSEQUITTARE").SetAsString(next.AsString());
}

void TfrmReuniao::cdsItemTarefaBeforeEdit() {
    if (RowText(cdsControle, "IDSITTAREFA") != "P") throw EAbort();
}

void TfrmReuniao::cdsItemTarefaBeforePost() {
    TClientDataSet& cds = cdsItemTarefa;
    if (IsBlank(cds.FieldByName("DSREFEITTARE").AsString())) {
        cds.FieldByName("DSREFEITTARE").FocusControl();
        ShowErrorMessage(Msg("DSINF"), true);
    }
    VdOperResp();
    cds.FieldByName("CDFILIAL").SetAsString(cdsControle.FieldByName("CDFILIAL").AsString());
    cds.FieldByName("NRTAREFA").SetAsString(cdsControle.FieldByName("NRTAREFA").AsString());
    cds.FieldByName("CDOPERADOR").SetAsString(CurrentOperator());
    cdsValOper.SetData(CheckServerResult(
        netReuniao.AppServer().Call("GetValOper", {Arg(CurrentOperator())}), true, 0));
    cds.FieldByName("NMOPERADOR").SetAsString(RowText(cdsValOper, "NMOPERADOR"));
    cds.FieldByName("DTINCLITTARE").SetAsDateTime(HoraServidor());
    cds.FieldByName("TXPLANITTARE").SetAsString(memObs->toPlainText().toStdString());
}

void TfrmReuniao::VdOperResp() {
    TField& resp = cdsItemTarefa.FieldByName("CDOPERRESP");
    if (IsBlank(resp.AsString())) return;
    try {
        const std::string code = PadField(resp.AsString(), 12);
        resp.SetAsString(code);
        cdsValOper.SetData(
            CheckServerResult(netReuniao.AppServer().Call("GetValOper", {Arg(code)}), true, 0));
        if (cdsValOper.IsEmpty()) ShowErrorMessage(Msg("OPECAD"), true);
        cdsItemTarefa.FieldByName("NMOPERRESP")
            .SetAsString(cdsValOper.FieldByName("NMOPERADOR").AsString());
    } catch (...) {
        resp.FocusControl();
        throw;
    }
}

void TfrmReuniao::cdsItemTarefaAfterPost() {
    TClientDataSet& cds = cdsItemTarefa;
    if (cds.ChangeCount() > 0) {
        reuniao::BusyScope busy(nullptr, 1);
        CheckServerResult(netReuniao.AppServer().Call("SetItemTarefa", {Arg(cds.Delta())}), true,
                          0);
        if (cds.LogChanges()) cds.MergeChangeLog();
        RefreshLocalCache({"ITEMTAREFA"});
    }
    sbtVerificarClick();
    dtsPadraoStateChange();
}

void TfrmReuniao::cdsItemTarefaAfterCancel() {
    cdsItemTarefa.CancelUpdates();
    ShowItemNote();
}

void TfrmReuniao::cdsItemTarefaAfterScroll() {
    reuniao::BusyScope busy(nullptr, 1);
    ShowItemNote();
    loadMinutes();
    showItemCaption();
}

void TfrmReuniao::ShowItemNote() {
    const QSignalBlocker detached(memObs);
    memObs->setPlainText(QString::fromStdString(RowText(cdsItemTarefa, "TXPLANITTARE")));
}

void TfrmReuniao::memObsKeyPress(QChar& key) {
    if (RowText(cdsControle, "IDSITTAREFA") != "P" && !Editing(cdsItemTarefa)) key = QChar();
}

void TfrmReuniao::memObsChange() {
    TClientDataSet& cds = cdsItemTarefa;
    if (!cds.Active()) return;
    const QString typed = memObs->toPlainText();
    std::string text = typed.toStdString();
    // The memo showing the stored note again (a reload, an undo) is no change of the item.
    if (!Editing(cds) && text == RowText(cds, "TXPLANITTARE")) return;
    try {
        cds.Edit();  // on an empty agenda: a new item
    } catch (...) {
        ShowItemNote();  // refused: the memo shows the stored note again
        throw;
    }
    TField& note = cds.FieldByName("TXPLANITTARE");
    // The note holds what the field holds: what goes beyond its size is not taken, rather
    // than cut off unseen when the item is saved.
    text = CutToChars(text, note.Size());
    if (text != typed.toStdString() || memObs->toPlainText() != typed) {
        // Cut, or a new item's empty note was shown meanwhile: the memo shows the note kept.
        const QSignalBlocker detached(memObs);
        memObs->setPlainText(QString::fromStdString(text));
        memObs->moveCursor(QTextCursor::End);
    }
    if (note.AsString() != text) note.SetAsString(text);
}

void TfrmReuniao::dsgAssuntoDrawColumnCell(TCanvas& canvas, const QRect& rect, int dataCol,
                                           TField* field, int state) {
    if (!field || cdsItemTarefa.IsEmpty()) return;
    const char* code = nullptr;
    const char* name = nullptr;
    if (dataCol == GridColumnIndex(*dsgAssunto, "CDOPERADOR")) {
        code = "CDOPERADOR";
        name = "NMOPERADOR";
    } else if (dataCol == GridColumnIndex(*dsgAssunto, "CDOPERRESP")) {
        code = "CDOPERRESP";
        name = "NMOPERRESP";
    } else {
        return;
    }
    std::string text = TrimAll(field->DisplayText());
    // The cell being edited shows the code typed; the others the operator's name.
    if (cdsItemTarefa.State() == dsBrowse && dsgAssunto->EditorMode() && state == gdSelected)
        text = cdsItemTarefa.FieldByName(code).AsString();
    else if (!text.empty())
        text = cdsItemTarefa.FieldByName(name).AsString();
    canvas.TextRect(rect, rect.left() + 2, rect.top() + 2, text);
}

void TfrmReuniao::dsgAssuntoEditButtonClick() {
    TField* selected = dsgAssunto->SelectedField();
    if (!selected || !SameText(selected->FieldName(), "CDOPERRESP")) return;
    cdsPesqOper.SetData(CheckServerResult(netReuniao.AppServer().Call("GetPesqOper", {}), true, 0));
    if (!SearchDialog(dtsPesqOper, Msg("OPE") + "|" + Msg("OPEINV"), false, true)) return;
    // What the cell's editor holds goes in first, so the pick is what stays.
    dsgAssunto->SetEditorMode(false);
    cdsItemTarefa.Edit();
    cdsItemTarefa.FieldByName("CDOPERRESP")
        .SetAsString(cdsPesqOper.FieldByName("CDOPERADOR").AsString());
    cdsItemTarefa.FieldByName("NMOPERRESP")
        .SetAsString(cdsPesqOper.FieldByName("NMOPERADOR").AsString());
}

void TfrmReuniao::showItemCaption() {
    const bool hasItem = cdsItemTarefa.Active() && !cdsItemTarefa.IsEmpty();
    panAssunto->setText(hasItem ? QString::fromStdString(
                                      cdsItemTarefa.FieldByName("NRSEQUITTARE").AsString() + " - " +
                                      cdsItemTarefa.FieldByName("DSREFEITTARE").AsString())
                                : QString());
}
