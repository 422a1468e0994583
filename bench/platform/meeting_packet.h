// A data packet of meeting rows (the 23 fields of cdsControle) as the server would send it.
#pragma once

#include <string>

// JSON text of a data packet with `rows` meetings of branch 0001, numbered 1..rows, with
// statuses P, A, C, X and a few blank ones, dates around December 2026.
const std::string& MeetingPacketText(int rows);
