// CalendarFeeds: the logged-in operator's calendar feeds as the application server lists them,
// their creation and revocation. No widgets: the "Calendários" window shows what it holds.
//
// The server keeps only a digest of each token and hands the token out once, to the call that
// creates the feed. This workstation remembers the addresses it was given (in the user's
// settings, per server and operator), so they can be copied again later; a feed made elsewhere
// shows no address here.
//
// Every call raises on failure (EServerError for the server's refusals and for an unreachable
// server); what it holds is then left as it was.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/date_time.h"

class TServerConnection;

struct CalendarFeed {
    long long number = 0;
    std::string kind;         // "O" his meetings, "S" a room, "R" a series
    std::string description;  // "Minhas reuniões", "Sala Auditório (filial 0001)", ...
    TDateTime created = 0;
    std::string address;  // the feed's address; "" when this workstation does not know it
};

struct RoomChoice {
    std::string code, name;
};

class CalendarFeeds {
  public:
    using ConnectionSetup = std::function<void(TServerConnection&)>;

    explicit CalendarFeeds(ConnectionSetup setup = {});
    ~CalendarFeeds();
    CalendarFeeds(const CalendarFeeds&) = delete;
    CalendarFeeds& operator=(const CalendarFeeds&) = delete;

    // Reads the feeds again.
    void reload();
    const std::vector<CalendarFeed>& feeds() const { return m_feeds; }

    // Creates a feed ("O", or "S" with a room code, or "R" with a series number, both of the
    // current branch), remembers its address and reads the list again. Returns the new feed.
    CalendarFeed create(const std::string& kind, const std::string& key);
    // Revokes a feed (its address answers 404 at once), forgets its address, reads again.
    void revoke(long long number);

    // The active rooms of the current branch, for the room feed's choice.
    std::vector<RoomChoice> rooms();

    // "http://HOST:PORT/calendar/TOKEN.ics" on the server of the login context (https when the
    // host reaches it so).
    static std::string AddressOf(const std::string& token);

  private:
    TServerConnection& connection();

    ConnectionSetup m_setup;
    std::unique_ptr<TServerConnection> m_net;
    std::vector<CalendarFeed> m_feeds;
};
