// The message tables of the module's windows, compiled in from messages/tables/*.txt.
// Each accessor builds its table once (thread-safe) and returns the same object afterwards.
#pragma once

#include <string>
#include <vector>

#include "messages/message_table.h"

// TfrmReuniao.msgPadrao: the meeting window's own messages and status labels.
const TMessageTable& MeetingWindowMessages();
// TfrmReuniao.msgMensagensPadroes: the base form's standard confirmations ("Canc", "Excl").
const TMessageTable& MeetingWindowStandardMessages();
// TfrmFiltroReuniao.msgPadrao: the meeting filter dialog.
const TMessageTable& FilterDialogMessages();
// TfrmImpReuniao.msgPadrao: the agenda import dialog.
const TMessageTable& AgendaImportMessages();
// TfrmRelAta.msgPadrao: the minutes report.
const TMessageTable& MinutesReportMessages();
// TfrmRotiPart.msgPadrao: the automatic participant registration.
const TMessageTable& ParticipantRegistrationMessages();

// A table by its "Window.table" name, case-insensitive ("TfrmReuniao.msgPadrao");
// throws Exception for a name no window has.
const TMessageTable& MessageTableByName(const std::string& name);
// Every table name, in the order above.
std::vector<std::string> MessageTableNames();
