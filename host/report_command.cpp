#include "host/report_command.h"

#include <cstdio>

#include "base/login_context.h"
#include "base/report_definition.h"
#include "base/report_designer_dialog.h"
#include "messages/message_tables.h"
#include "platform/routines.h"
#include "server/server_connection.h"

int RunReportCommand(const ReportCommand& command) {
    const std::string code = command.reportCode.trimmed().toStdString();
    const std::string meeting = PadField(command.meeting.toStdString(), 10);
    try {
        TServerConnection net;
        net.ThrowException = true;
        net.Host = ServerHost();
        net.Port = ServerPort();
        TReportDesignerDialog report;
        report.ReportCode = code;
        report.Connection = &net;
        report.BeforeGetQueryParams = [&meeting](TReportParams& p) {
            if (ExistParam(p, "P_CDFILIAL"))
                p.ParamByName("P_CDFILIAL").SetAsString(CurrentBranch());
            if (ExistParam(p, "P_NRTAREFA")) p.ParamByName("P_NRTAREFA").SetAsString(meeting);
        };
        report.Execute();
        const auto& queries = report.Queries();
        if (!queries.empty() && queries.front()->IsEmpty()) {
            std::fprintf(stderr, "zel-host: reunião %s não encontrada na filial %s.\n",
                         meeting.c_str(), CurrentBranch().c_str());
            return 1;
        }
        const int pages = report.SaveToPdf(command.layout - 1, command.pdfFile.toStdString());
        std::printf("report: %s (%d %s)\n", qPrintable(command.pdfFile), pages,
                    pages == 1 ? "page" : "pages");
        return 0;
    } catch (const EReportNotFound& e) {
        const std::string text =
            Format(MinutesReportMessages().Msg("Arq_Rel_Err"), {e.Code, e.Directory});
        std::fprintf(stderr, "zel-host: %s\n", text.c_str());
    } catch (const Exception& e) {
        std::fprintf(stderr, "zel-host: %s\n", e.Message().c_str());
    }
    return 1;
}
