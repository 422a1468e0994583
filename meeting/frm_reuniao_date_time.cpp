// The meeting's date, start time and duration: their checks (each comparison with "now" asks
// the server's clock) and the handlers of the date/time row.
#include <QFrame>
#include <QKeyEvent>
#include <QKeySequence>

#include "base/date_picker_edit.h"
#include "base/db_edit.h"
#include "base/focus_events.h"
#include "base/guard.h"
#include "base/mask_edit.h"
#include "base/page_control_ex.h"
#include "base/routines.h"
#include "meeting/cli_zel00400.h"
#include "meeting/dataset_rows.h"
#include "meeting/date_time_rules.h"
#include "meeting/frm_reuniao.h"
#include "platform/routines.h"

using namespace Cli_zel00400;

namespace {

bool HasBlank(const std::string& hhmm) {
    return hhmm.find(' ') != std::string::npos;
}

// A key that changes a line edit's text without typing a character into it.
bool EditingKey(int key, Qt::KeyboardModifiers modifiers) {
    if (key == Qt::Key_Backspace || key == Qt::Key_Delete) return true;
    const QKeyEvent event(QEvent::KeyPress, key, modifiers);
    for (QKeySequence::StandardKey k :
         {QKeySequence::Paste, QKeySequence::Cut, QKeySequence::Undo, QKeySequence::Redo})
        if (event.matches(k)) return true;
    return false;
}

}  // namespace

void TfrmReuniao::attachDateTimeHandlers() {
    depDataIni->OnChange = [this] { depDataIniChange(); };
    medHoraIni->OnChange = [this] { medHoraIniChange(); };
    medQtdeHoras->OnKeyPress = [this](QChar& key) { medQtdeHorasKeyPress(key); };
    medQtdeHoras->OnKeyDown = [this](int& key, Qt::KeyboardModifiers m) {
        medQtdeHorasKeyDown(key, m);
    };
    // Whatever else changes the duration (the edit's own menu, a drop) does the same.
    connect(medQtdeHoras, &QLineEdit::textEdited, this, [this] {
        if (cdsControle.State() == dsBrowse) Guard([this] { meetingTimeChanged(); });
    });
    depDataIni->OnExit = [this] { depDataIniExit(); };
    medHoraIni->OnEnter = [this] { medHoraIniEnter(); };
    medHoraIni->OnExit = [this] { medHoraIniExit(); };
    medQtdeHoras->OnEnter = [this] { medQtdeHorasEnter(); };
    medQtdeHoras->OnExit = [this] { medQtdeHorasExit(); };
}

void TfrmReuniao::fail(QWidget* control, const std::string& key) {
    if (control) SetFocus(control);
    ShowErrorMessage(Msg(key), true);
    throw EAbort();  // not reached: ShowErrorMessage raised
}

TDateTime TfrmReuniao::typedDay() const {
    return DateOf(depDataIni->GetDate());
}

TDateTime TfrmReuniao::typedStart() const {
    return MeetingStart(typedDay(), medHoraIni->Text());
}

TDateTime TfrmReuniao::typedEnd() const {
    return MeetingStart(DateOf(depDataFin->GetDate()), medHoraFin->Text());
}

void TfrmReuniao::vd_DataIni(bool required) {
    if (depDataIni->IsBlankDate()) {
        if (required) fail(depDataIni, "DtInideve");
        return;
    }
    try {
        depDataIni->CheckValidDate();
    } catch (const EConvertError&) {
        SetFocus(depDataIni);
        throw;
    }
}

void TfrmReuniao::vd_HoraIni(bool required) {
    const std::string t = medHoraIni->Text();
    if (t == kEmptyTime) {
        if (required) fail(medHoraIni, "HrIni_vaz");
        return;
    }
    const HourMinute hm = SplitTime(t);
    if (hm.hours > 23 || hm.minutes > 59) fail(medHoraIni, "HrIni_inv");
}

void TfrmReuniao::vd_QtdeHoras(bool required) {
    const std::string t = medQtdeHoras->Text();
    if (t == kEmptyTime) {
        if (required) fail(medQtdeHoras, "Qtdedeve");
        return;
    }
    const HourMinute hm = SplitTime(t);
    if (hm.hours > 23 || hm.minutes > 59 || (hm.hours == 0 && hm.minutes == 0))
        fail(medQtdeHoras, "Qtde_Inv");
}

void TfrmReuniao::vd_dtHrIni() {
    if (depDataIni->IsBlankDate()) fail(depDataIni, "DtInideve");
    const std::string t = medHoraIni->Text();
    if (t.size() < 5) fail(medHoraIni, "VAL_INV");
    const std::string hhmm = HourDigits(t);
    if (IsBlank(hhmm)) fail(medHoraIni, "HrInideve");
    if (HasBlank(hhmm)) fail(medHoraIni, "VAL_INV");
    const HourMinute hm = SplitTime(t);
    if (hm.hours > 23 || hm.minutes > 59) fail(medHoraIni, "VAL_INV");
    if (HoraServidor() > typedStart()) fail(depDataIni, "DTHR_MEN");
}

void TfrmReuniao::vd_Confirma() {
    if (!Editing(cdsControle)) return;
    const std::string q = medQtdeHoras->Text();
    if (q == kEmptyTime) fail(medQtdeHoras, "qtde_vaz");
    const HourMinute qt = SplitTime(q);
    if (qt.hours > 23 || qt.minutes > 59) fail(medQtdeHoras, "qtde_inv");
    const std::optional<std::string> end = MeetingEndTime(medHoraIni->Text(), q);
    if (!end) fail(medHoraIni, "Reun_dia");
    medHoraFin->SetText(*end);
    if (HoraServidor() > typedStart()) fail(depDataIni, "Data_Pas");
    depDataFin->SetDate(depDataIni->GetDate());
}

// --- handlers ---

void TfrmReuniao::meetingTimeChanged() {
    if (cdsControle.State() == dsBrowse) cdsControle.Edit();
    // The date and time edits are not bound to the record, yet what they hold is part of it:
    // the record counts as changed, so leaving it (a move to another meeting) posts it through
    // its checks instead of dropping what was typed.
    if (Editing(cdsControle)) {
        TField& start = cdsControle.FieldByName("DTHRREUNIAO");
        start.SetValue(start.Value());
    }
    dropRoom();
}

void TfrmReuniao::depDataIniChange() {
    meetingTimeChanged();
    followStartWeekday();
}

void TfrmReuniao::medHoraIniChange() {
    meetingTimeChanged();
}

void TfrmReuniao::medQtdeHorasKeyPress(QChar&) {
    meetingTimeChanged();
}

void TfrmReuniao::medQtdeHorasKeyDown(int& key, Qt::KeyboardModifiers modifiers) {
    if (EditingKey(key, modifiers)) meetingTimeChanged();
}

void TfrmReuniao::depDataIniExit() {
    vd_DataIni(false);
}

void TfrmReuniao::medHoraIniEnter() {
    vd_DataIni(false);
}

void TfrmReuniao::medHoraIniExit() {
    vd_HoraIni(false);
    // Day and month typed in full ("dd/mm" of "dd/mm/yyyy").
    const std::string d = depDataIni->Text();
    const bool dateComplete = !depDataIni->IsBlankDate() && d.size() >= 5 && d[0] != ' ' &&
                              d[1] != ' ' && d[3] != ' ' && d[4] != ' ';
    if (dateComplete && cdsControle.State() == dsInsert) vd_dtHrIni();
}

void TfrmReuniao::medQtdeHorasEnter() {
    vd_DataIni(false);
    vd_HoraIni(false);
}

void TfrmReuniao::medQtdeHorasExit() {
    vd_QtdeHoras(false);
}

void TfrmReuniao::panHorasEnter() {
    if (!Editing(cdsControle)) return;
    vd_Referencia();
    vd_dtHrIni();
    vd_DataIni(true);
    vd_HoraIni(true);
    vd_QtdeHoras(true);
    vd_Confirma();
}
