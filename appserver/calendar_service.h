// CalendarService: what the server does for calendars besides its methods. It owns the mail
// settings and the delivery thread, reconciles the meetings each write call touched before the
// call commits, wakes the delivery once the call committed mail, and answers feed requests.
// One per AppServer.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "appserver/calendar_feed.h"
#include "appserver/mail_delivery.h"
#include "appserver/mail_settings.h"
#include "appserver/storage.h"

namespace zel::appserver {

class CalendarService {
  public:
    // `deliver`: start the delivery thread when mail is configured (tests may drive
    // MailDelivery::RunOnce themselves instead). Throws std::runtime_error for unusable mail
    // settings.
    CalendarService(Database& db, MailSettings mail, std::function<TDateTime()> clock,
                    bool deliver);
    ~CalendarService();

    // The mail settings; null when the server sends no mail.
    const MailSettings* mail() const { return m_mail.Configured() ? &m_mail : nullptr; }

    // Inside a write call's transaction, after its method ran: the meetings it touched.
    void Reconcile(SqlConnection& conn, TDateTime now);
    // After that transaction committed: the delivery looks at once for what it queued.
    void AfterCommit();

    // GET /calendar/TOKEN.ics
    FeedAnswer Feed(const std::string& token, const std::string& ifNoneMatch);

    // The delivery; null when mail is off.
    MailDelivery* delivery() { return m_delivery.get(); }

  private:
    Database& m_db;
    MailSettings m_mail;
    std::function<TDateTime()> m_clock;
    std::unique_ptr<MailDelivery> m_delivery;
    std::atomic<bool> m_queued{false};
};

}  // namespace zel::appserver
