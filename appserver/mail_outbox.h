// The outbox (CAIXASAIDA): invitation mail is written here in the transaction of the change
// that caused it, so a change and its mail are kept or lost together, and delivered afterwards
// by MailDelivery. Each message carries a Message-ID of its own from the start: a delivery
// repeated after a crash between sending and marking sends the same message, which mail
// programs recognise as one.
#pragma once

#include <optional>
#include <string>

#include "appserver/storage.h"
#include "platform/date_time.h"

namespace zel::appserver {

struct QueuedMail {
    std::string messageId;  // NewMessageId()
    std::string to;         // the recipient's address
    std::string subject;    // for the administrator's listing
    std::string text;       // the whole message (InvitationMessage)
    std::string branch, meeting, recipientCode;
    std::string method;  // "R" request, "C" cancel
    int sequence = 0;
};

struct OutboxMessage {
    long long id = 0;
    std::string messageId, to, text;
    int attempts = 0;
};

// "<32 random hex digits>@<the sender's domain>".
std::string NewMessageId(const std::string& fromAddress);

// Queues one message, due at once, in the caller's transaction.
void QueueMail(SqlConnection& db, const QueuedMail& mail, TDateTime now);

// The oldest message due at `now` that is still to be sent; nullopt when none. With `lock`
// (PostgreSQL) the row stays locked until the transaction ends and rows other servers hold
// are skipped, so each message is taken by one server at a time.
std::optional<OutboxMessage> NextDueMail(SqlConnection& db, TDateTime now, bool lock);

void MarkMailSent(SqlConnection& db, long long id, TDateTime now);
// The server refused the message for good (an unknown recipient): it is not tried again.
void MarkMailRefused(SqlConnection& db, long long id, TDateTime now, const std::string& reason);
// A failure that may pass: tried again at `next`.
void RescheduleMail(SqlConnection& db, long long id, TDateTime next, const std::string& reason);

}  // namespace zel::appserver
