#include "appserver/calendar_service.h"

#include <stdexcept>

#include "appserver/calendar_reconciler.h"

namespace zel::appserver {

CalendarService::CalendarService(Database& db, MailSettings mail, std::function<TDateTime()> clock,
                                 bool deliver)
    : m_db(db), m_mail(std::move(mail)), m_clock(std::move(clock)) {
    if (const std::string problem = MailSettingsProblem(m_mail); !problem.empty())
        throw std::runtime_error(problem);
    if (m_mail.Configured()) {
        m_delivery = std::make_unique<MailDelivery>(m_db, m_mail, m_clock);
        if (deliver) m_delivery->Start();
    }
}

CalendarService::~CalendarService() {
    if (m_delivery) m_delivery->Stop();
}

void CalendarService::Reconcile(SqlConnection& conn, TDateTime now) {
    if (ReconcileCalendars(conn, now, mail()) > 0) m_queued = true;
}

void CalendarService::AfterCommit() {
    if (m_queued.exchange(false) && m_delivery) m_delivery->Wake();
}

FeedAnswer CalendarService::Feed(const std::string& token, const std::string& ifNoneMatch) {
    return AnswerFeed(m_db, token, ifNoneMatch, m_clock(), mail());
}

}  // namespace zel::appserver
