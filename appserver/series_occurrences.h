// The pieces the series methods build occurrences from: the model meeting as stored, a new
// meeting made from it on another date (header, organiser's activities, room booking), and
// moving an existing occurrence. Every function runs inside the caller's write transaction and
// reads nothing the client claims.
#pragma once

#include <string>
#include <vector>

#include "appserver/meeting_rules.h"
#include "appserver/storage.h"
#include "appserver/writer.h"
#include "platform/date_time.h"

namespace zel::appserver {

// A meeting as the occurrences copy it.
struct SeriesModel {
    std::string branch, number, status, series;  // series: NRSERIETARE ("" for none)
    SqlRow header;  // DSREFETAREFA, CDPROCESSO, CDOPERRESP, CDPROJETO, CDASSUNTO
    TDateTime start = 0;
    double hours = 0;
    std::string room;                // the room of its active booking; "" for none
    Variant bookingText;             // DSAGENDASALA of that booking
    std::vector<SqlRow> activities;  // CDPROCESSO, CDOPERRESP, DTINPATIVTAR, DTFIPATIVTAR,
                                     // QTHRPATIVTAR, CDITEMTRAB
};

// Reads the meeting (locked on PostgreSQL until the transaction ends). Throws RpcError
// not_found for an unknown meeting, bad_arguments for one without start or duration and for
// one that would not end on its own day.
SeriesModel ReadSeriesModel(SqlConnection& db, const std::string& branch,
                            const std::string& meeting);

// The name of the branch's room ("" when there is none).
std::string RoomName(SqlConnection& db, const std::string& branch, const std::string& room);

// A new pending meeting of the series copied from `model` at `start` with the model's
// activities (times moved along), without booking. Returns its number.
std::string CreateOccurrence(SqlConnection& db, const SeriesModel& model, TDateTime start,
                             const std::string& series, const Writer& w);

// Books the room for the meeting at `start` for `hours`. False, with nothing written, when an
// active booking of the room collides (also one a concurrent writer committed after the
// check: on PostgreSQL the attempt runs in a savepoint, so the refusal of the exclusion
// constraint leaves the transaction usable).
bool TryBookRoom(SqlConnection& db, const std::string& branch, const std::string& meeting,
                 const std::string& room, TDateTime start, double hours, const Variant& text,
                 const Writer& w);

// Removes a meeting made by CreateOccurrence in this transaction (its booking could not be
// taken and the date is to be skipped).
void DropOccurrence(SqlConnection& db, const std::string& branch, const std::string& meeting);

// Moves the meeting's start by `days` (a fraction of a day) and its pending activities with
// it; its bookings are released.
void MoveOccurrence(SqlConnection& db, const std::string& branch, const std::string& meeting,
                    TDateTime newStart, double days, const Writer& w);

}  // namespace zel::appserver
