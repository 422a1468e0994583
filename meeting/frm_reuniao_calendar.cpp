// Exporting the current meeting to people's calendars: the button and menu entry "Exportar
// para calendário" on the list and form pages save it as an iCalendar file. The file is asked
// for before the server is, so a cancelled dialog never raises the meeting's revision.
#include <QAction>
#include <QBoxLayout>
#include <QFrame>
#include <QIcon>
#include <QMenu>

#include "base/buttons.h"
#include "base/dialogs.h"
#include "base/guard.h"
#include "base/page_control_ex.h"
#include "base/routines.h"
#include "calendar/meeting_icalendar.h"
#include "meeting/dataset_rows.h"
#include "meeting/frm_reuniao.h"
#include "meeting/reuniao_pictures.h"
#include "platform/routines.h"
#include "server/check_server_result.h"

void TfrmReuniao::buildCalendarExport() {
    btnExpCalendario = new TFlatButton(panMenu);
    btnExpCalendario->setObjectName("btnExpCalendario");
    btnExpCalendario->setIcon(
        QIcon::fromTheme("x-office-calendar", reuniao::ReuniaoIcon(reuniao::imgGoToDay)));
    btnExpCalendario->setToolTip(QStringLiteral("Exportar para calendário"));
    panMenuLayout->insertWidget(panMenuLayout->indexOf(btnCanReuniao) + 1, btnExpCalendario);
    mnuExpCalendario = mnuManutencao->addAction(QStringLiteral("Exportar para calendário..."));
    mnuExpCalendario->setObjectName("mnuExpCalendario");
    btnExpCalendario->OnClick = [this] { btnExpCalendarioClick(); };
    connect(mnuExpCalendario, &QAction::triggered, this,
            [this] { Guard([this] { btnExpCalendarioClick(); }); });
}

void TfrmReuniao::updateCalendarExport() {
    if (!btnExpCalendario) return;  // the enabling rules also run while the window is built
    const QWidget* page = pgcReuniao->ActivePage();
    const bool on = (page == tshReuniao || page == tshFormulario) && cdsControle.Active() &&
                    !cdsControle.IsEmpty() && !Editing(cdsControle);
    btnExpCalendario->setEnabled(on);
    mnuExpCalendario->setEnabled(on);
}

void TfrmReuniao::btnExpCalendarioClick() {
    if (!cdsControle.Active() || cdsControle.IsEmpty() || Editing(cdsControle)) throw EAbort();
    ExportaCalendario(cdsControle.FieldByName("CDFILIAL").AsString(),
                      cdsControle.FieldByName("NRTAREFA").AsString());
}

void TfrmReuniao::ExportaCalendario(std::string branch, std::string number) {
    const std::string path = CurrentDialogs().SaveFileName(
        "Exportar para calendário", "reuniao-" + TrimAll(number) + ".ics", "iCalendar (*.ics)");
    if (path.empty()) return;
    const CalendarMeeting meeting = CalendarMeetingFromPacket(CheckServerResult(
        netReuniao.AppServer().Call("GetCalendReuniao", {ArgRef(branch), ArgRef(number)}), true,
        0));
    try {
        SaveCalendarFile(path, MeetingICalendar(meeting));
    } catch (const Exception& e) {
        ShowErrorMessage(e.Message(), true);
    }
    CurrentDialogs().Notice("Reunião exportada para " + path + ".");
}
