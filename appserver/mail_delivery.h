// MailDelivery: the server's thread that empties the outbox. Each round it first reconciles the
// meetings changed outside any call of the server (admin commands, other programs), then sends
// every message that is due, one at a time:
//   - PostgreSQL: the message's row is locked (FOR UPDATE SKIP LOCKED) from before the send
//     until it is marked, so several servers on one database never send one message twice;
//   - SQLite: one server per database file; the row is read, sent, then marked.
// A failure that may pass is tried again after growing waits (MailSettings::retrySeconds,
// doubled up to retryMaxSeconds); a message the SMTP server refuses for good is marked so and
// logged. Nothing is lost: a message stays in the outbox until the SMTP server took it. Stop()
// gives up a transfer in progress, leaving its message to be sent again.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "appserver/mail_settings.h"
#include "appserver/smtp_sender.h"
#include "appserver/storage.h"
#include "platform/date_time.h"

namespace zel::appserver {

class MailDelivery {
  public:
    // `clock` is the server clock.
    MailDelivery(Database& db, const MailSettings& settings, std::function<TDateTime()> clock);
    ~MailDelivery();  // Stop()
    MailDelivery(const MailDelivery&) = delete;
    MailDelivery& operator=(const MailDelivery&) = delete;

    void Start();
    // Gives up the transfer in progress and joins the thread. Idempotent.
    void Stop();
    // Makes the thread look for due mail now (a call queued some).
    void Wake();

    // One round on the calling thread (the thread's loop, and tests): reconciles the marked
    // meetings, then sends every due message. Returns how many the SMTP server accepted.
    int RunOnce();

    // Tests: runs after the SMTP server accepted a message and before it is marked sent, as a
    // crash there would strike.
    std::function<void()> afterSend;

  private:
    enum class Step { None, Sent, Other };
    Step deliverOne();
    Step deliverLocked(TDateTime now);
    Step deliverUnlocked(TDateTime now);
    // Marks the message with what its delivery gave.
    void record(SqlConnection& db, long long id, int attempts, const SmtpResult& r, TDateTime now);
    void loop();

    Database& m_db;
    MailSettings m_settings;
    SmtpSender m_sender;
    std::function<TDateTime()> m_clock;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_woken = false;
    std::thread m_thread;
};

}  // namespace zel::appserver
