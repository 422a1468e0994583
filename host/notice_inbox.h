// NoticeInbox: the logged-in operator's personal notices (a cancelled meeting leaves one for
// each of its other participants, an answer to an invitation one for the organiser), as the
// application server lists them, and their marking as read; and the invitations to meetings he
// takes part in, with his answers. No widgets: the notices window and the status bar show what
// it holds.
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

// A meeting still to come in which the operator has an activity, organised by someone else.
struct Invitation {
    std::string branch, number;
    std::string title;  // the meeting's reference, else its subject
    std::string room, organiser;
    TDateTime start = 0;
    double hours = 0;
    std::string answer;  // "A" accepted, "T" maybe, "R" declined, "": not answered

    bool answered() const { return !answer.empty(); }
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

    // Reads the operator's invitations again, soonest first.
    void reloadInvitations();
    const std::vector<Invitation>& invitations() const { return m_invitations; }
    int unansweredCount() const;
    // Answers an invitation ("A", "T" or "R") and reads the invitations again.
    void answer(const Invitation& invitation, const std::string& code);

  private:
    TServerConnection& connection();
    void sendRead(int64_t number);

    ConnectionSetup m_setup;
    std::unique_ptr<TServerConnection> m_net;
    std::vector<Notice> m_notices;
    std::vector<Invitation> m_invitations;
};
