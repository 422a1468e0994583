// The host's report command: renders a report of one meeting to a PDF file without showing any
// window (for administrators, scripts and tests; needs no display).
//
//   zel-host --operator CODE --password PW [--branch CODE] [--server HOST:PORT]
//            --report ZEL004 --meeting 13 --pdf ata.pdf [--layout 2]
#pragma once

#include <QString>

struct ReportCommand {
    QString reportCode;  // "ZEL004"
    QString meeting;     // meeting number; widened to its 10 characters
    QString pdfFile;
    int layout = 1;  // 1 = the report's first layout
};

// Runs the report for the logged-in session's branch and writes the PDF. Returns the process
// exit code (0 on success); failures are written to stderr.
int RunReportCommand(const ReportCommand& command);
