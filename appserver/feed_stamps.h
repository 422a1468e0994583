// FeedStamps: the change counters of what calendar feeds show (CALENDVERSAO). Every change a
// feed must follow raises the counter of each thing it touched: the operators of a meeting, its
// room, its series. A feed's ETag is built from its counter, so an unchanged feed is answered
// with 304 without reading a single meeting.
#pragma once

#include <set>
#include <string>

#include "appserver/storage.h"
#include "platform/date_time.h"

namespace zel::appserver {

class FeedStamps {
  public:
    // Keys of the three kinds of feed: an operator's meetings, a room's, a series'.
    static std::string OperatorKey(const std::string& op);
    static std::string RoomKey(const std::string& branch, const std::string& room);
    static std::string SeriesKey(const std::string& branch, const std::string& series);

    // Collect keys; blank codes are ignored.
    void Operator(const std::string& op);
    void Room(const std::string& branch, const std::string& room);
    void Series(const std::string& branch, const std::string& series);

    // Raises every collected counter once, in key order (so two transactions raising the same
    // counters lock them in the same order), stamped with `now`; the set is then empty.
    void Bump(SqlConnection& db, TDateTime now);
    // Creates the counter of `key` when it does not exist yet.
    static void Ensure(SqlConnection& db, const std::string& key, TDateTime now);

  private:
    std::set<std::string> m_keys;
};

}  // namespace zel::appserver
