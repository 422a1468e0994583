// The meetings' history as CSV for an audit (zel-appserver history): a header line, then one
// line per recorded change, oldest first; fields quoted as RFC 4180 says (a field holding a
// comma, a quote or a line break is enclosed in quotes, its quotes doubled), lines ending in
// CRLF.
#pragma once

#include <ostream>
#include <string>

#include "appserver/storage.h"

namespace zel::appserver {

// One CSV field, quoted when it must be.
std::string CsvField(const std::string& text);

// Writes the history of `branch` from `since` on (a date "YYYY-MM-DD", or a date and time
// "YYYY-MM-DD HH:MM:SS"; "" for all), of one meeting when `meeting` is not empty (a number
// shorter than ten digits is zero-filled). Throws RpcError for an unknown branch or a date it
// cannot read.
void WriteHistoryCsv(SqlConnection& db, std::ostream& out, const std::string& branch,
                     const std::string& since, const std::string& meeting);

}  // namespace zel::appserver
