#include "appserver/mail_delivery.h"

#include <spdlog/spdlog.h>

#include <algorithm>
#include <chrono>
#include <optional>

#include "appserver/calendar_reconciler.h"
#include "appserver/mail_outbox.h"

namespace zel::appserver {

MailDelivery::MailDelivery(Database& db, const MailSettings& settings,
                           std::function<TDateTime()> clock)
    : m_db(db), m_settings(settings), m_sender(settings), m_clock(std::move(clock)) {}

MailDelivery::~MailDelivery() {
    Stop();
}

void MailDelivery::Start() {
    if (m_thread.joinable()) return;
    m_stop = false;
    m_thread = std::thread([this] { loop(); });
}

void MailDelivery::Stop() {
    m_stop = true;
    Wake();
    if (m_thread.joinable()) m_thread.join();
}

void MailDelivery::Wake() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_woken = true;
    }
    m_wake.notify_one();
}

void MailDelivery::loop() {
    while (!m_stop) {
        try {
            RunOnce();
        } catch (const std::exception& e) {
            spdlog::warn("mail delivery: {}", e.what());
        }
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.wait_for(lock, std::chrono::milliseconds(m_settings.pollMilliseconds),
                        [this] { return m_woken || m_stop.load(); });
        m_woken = false;
    }
}

int MailDelivery::RunOnce() {
    const TDateTime now = m_clock();
    if (m_db.Transact(false, [](SqlConnection& c) { return CalendarMarksPending(c); }))
        m_db.Transact(true, [&](SqlConnection& c) { ReconcileCalendars(c, now, &m_settings); });
    int sent = 0;
    while (!m_stop) {
        const Step step = deliverOne();
        if (step == Step::Sent) {
            ++sent;
            continue;
        }
        // Nothing due, or a failure: the rest waits for the next round rather than for one
        // connection timeout per message while the SMTP server cannot be reached.
        break;
    }
    return sent;
}

MailDelivery::Step MailDelivery::deliverOne() {
    const TDateTime now = m_clock();
    return m_db.dialect() == Dialect::PostgreSQL ? deliverLocked(now) : deliverUnlocked(now);
}

MailDelivery::Step MailDelivery::deliverLocked(TDateTime now) {
    // The transaction may be run again after a retryable database failure; a message the SMTP
    // server already took is then only marked, not sent again.
    std::optional<std::pair<long long, SmtpResult>> done;
    return m_db.Transact(true, [&](SqlConnection& c) {
        const std::optional<OutboxMessage> msg = NextDueMail(c, now, true);
        if (!msg) return Step::None;
        if (!done || done->first != msg->id) {
            done.emplace(msg->id, m_sender.Send(msg->to, msg->text, m_stop));
            if (done->second.outcome == SmtpResult::Outcome::Sent && afterSend) afterSend();
        }
        if (done->second.outcome == SmtpResult::Outcome::Stopped) return Step::Other;
        record(c, msg->id, msg->attempts, done->second, now);
        return done->second.outcome == SmtpResult::Outcome::Sent ? Step::Sent : Step::Other;
    });
}

MailDelivery::Step MailDelivery::deliverUnlocked(TDateTime now) {
    const std::optional<OutboxMessage> msg =
        m_db.Transact(false, [&](SqlConnection& c) { return NextDueMail(c, now, false); });
    if (!msg) return Step::None;
    const SmtpResult r = m_sender.Send(msg->to, msg->text, m_stop);
    if (r.outcome == SmtpResult::Outcome::Sent && afterSend) afterSend();
    if (r.outcome == SmtpResult::Outcome::Stopped) return Step::Other;
    m_db.Transact(true, [&](SqlConnection& c) { record(c, msg->id, msg->attempts, r, now); });
    return r.outcome == SmtpResult::Outcome::Sent ? Step::Sent : Step::Other;
}

void MailDelivery::record(SqlConnection& db, long long id, int attempts, const SmtpResult& r,
                          TDateTime now) {
    using O = SmtpResult::Outcome;
    if (r.outcome == O::Sent) {
        MarkMailSent(db, id, now);
        return;
    }
    if (r.outcome == O::Refused) {
        spdlog::warn("mail {} refused by the SMTP server, not tried again: {}", id, r.reason);
        MarkMailRefused(db, id, now, r.reason);
        return;
    }
    const int shift = std::min(attempts, 20);
    const long long wait = std::min<long long>(
        static_cast<long long>(m_settings.retrySeconds) << shift, m_settings.retryMaxSeconds);
    spdlog::warn("mail {} not sent (attempt {}), trying again in {} s: {}", id, attempts + 1, wait,
                 r.reason);
    RescheduleMail(db, id, now + static_cast<double>(wait) / 86400.0, r.reason);
}

}  // namespace zel::appserver
