// NoticeInbox: the logged-in operator's personal notices (a cancelled meeting leaves one for
// each of its other participants), as the application server lists them, and their marking
// as read. No widgets: the notices window and the status bar show what it holds.
//
// Every call raises on failure (EServerError for the server's refusals and for an
// unreachable server); what the inbox holds is then left as it was.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/date_time.h"

class TServerConnection;

struct Notice {
    int64_t number = 0;
    std::string text;
    TDateTime received = 0;  // when the notice was left (server clock)
    TDateTime readAt = 0;    // when the operator read it; 0: not read yet

    bool read() const { return readAt != 0; }
};

class NoticeInbox {
  public:
    // Lets tests route the inbox's connection (e.g. to an in-process server); by default it
    // reaches the server of the login context.
    using ConnectionSetup = std::function<void(TServerConnection&)>;

    explicit NoticeInbox(ConnectionSetup setup = {});
    ~NoticeInbox();
    NoticeInbox(const NoticeInbox&) = delete;
    NoticeInbox& operator=(const NoticeInbox&) = delete;

    // Reads the session operator's notices again, newest first.
    void reload();
    const std::vector<Notice>& notices() const { return m_notices; }
    int unreadCount() const;

    // Marks one notice read on the server and reads the list again; an unknown number is the
    // server's refusal.
    void markRead(int64_t number);
    // Marks every unread notice read; stops at the first refusal (those before stay read).
    void markAllRead();

  private:
    TServerConnection& connection();
    void sendRead(int64_t number);

    ConnectionSetup m_setup;
    std::unique_ptr<TServerConnection> m_net;
    std::vector<Notice> m_notices;
};
