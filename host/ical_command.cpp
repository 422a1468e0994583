#include "host/ical_command.h"

#include <cstdio>

#include "base/login_context.h"
#include "calendar/meeting_icalendar.h"
#include "platform/exceptions.h"
#include "platform/routines.h"
#include "server/server_connection.h"

int RunIcalCommand(const QString& meeting, const QString& file) {
    const std::string number = PadField(meeting.toStdString(), 10);
    try {
        TServerConnection net;
        net.ThrowException = true;
        net.Host = ServerHost();
        net.Port = ServerPort();
        const CalendarMeeting m = CalendarMeetingFromPacket(
            net.AppServer().Call("GetCalendReuniao", {Arg(CurrentBranch()), Arg(number)}));
        SaveCalendarFile(file.toStdString(), MeetingICalendar(m));
        std::printf("ical: %s (%s, revision %d)\n", qPrintable(file),
                    m.Cancelled() ? "CANCEL" : "REQUEST", m.sequence);
        return 0;
    } catch (const Exception& e) {
        std::fprintf(stderr, "zel-host: %s\n", e.Message().c_str());
    }
    return 1;
}
