// The host's calendar command: writes one meeting of the session's branch as an iCalendar
// invitation (or cancellation) without showing any window.
//
//   zel-host --operator CODE --password PW [--branch CODE] [--server HOST:PORT]
//            --ical reuniao.ics --meeting 13
#pragma once

#include <QString>

// Returns the process exit code (0 on success); failures are written to stderr.
int RunIcalCommand(const QString& meeting, const QString& file);
