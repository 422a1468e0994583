#include "messages/message_tables.h"

#include <string_view>

#include "messages/table_resources.h"
#include "platform/exceptions.h"
#include "platform/routines.h"

namespace {

struct TableSource {
    const char* name;
    const TMessageTable& (*get)();
};

const TableSource kTables[] = {
    {"TfrmReuniao.msgPadrao", MeetingWindowMessages},
    {"TfrmReuniao.msgMensagensPadroes", MeetingWindowStandardMessages},
    {"TfrmFiltroReuniao.msgPadrao", FilterDialogMessages},
    {"TfrmImpReuniao.msgPadrao", AgendaImportMessages},
    {"TfrmRelAta.msgPadrao", MinutesReportMessages},
    {"TfrmRotiPart.msgPadrao", ParticipantRegistrationMessages},
};

}  // namespace

const TMessageTable& MeetingWindowMessages() {
    static const TMessageTable table(kTables[0].name, zel::messages::kFrmReuniaoText);
    return table;
}

const TMessageTable& MeetingWindowStandardMessages() {
    static const TMessageTable table(kTables[1].name, zel::messages::kMensagensPadroesText);
    return table;
}

const TMessageTable& FilterDialogMessages() {
    static const TMessageTable table(kTables[2].name, zel::messages::kFrmFiltroReuniaoText);
    return table;
}

const TMessageTable& AgendaImportMessages() {
    static const TMessageTable table(kTables[3].name, zel::messages::kFrmImpReuniaoText);
    return table;
}

const TMessageTable& MinutesReportMessages() {
    static const TMessageTable table(kTables[4].name, zel::messages::kFrmRelAtaText);
    return table;
}

const TMessageTable& ParticipantRegistrationMessages() {
    static const TMessageTable table(kTables[5].name, zel::messages::kFrmRotiPartText);
    return table;
}

const TMessageTable& MessageTableByName(const std::string& name) {
    for (const TableSource& t : kTables)
        if (SameText(t.name, name)) return t.get();
    throw Exception("No message table named '" + name + "'");
}

std::vector<std::string> MessageTableNames() {
    std::vector<std::string> names;
    for (const TableSource& t : kTables)
        names.push_back(t.name);
    return names;
}
