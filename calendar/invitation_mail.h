// The e-mail that carries a meeting invitation to one participant (RFC 5322, MIME): a
// Portuguese plain-text part for people and a text/calendar part (iTIP REQUEST or CANCEL)
// for mail programs, which then show Accept / Decline and update the copy in the calendar.
#pragma once

#include <string>

#include "calendar/meeting_icalendar.h"
#include "platform/date_time.h"

struct MailAddress {
    std::string name;     // display name; may be empty
    std::string address;  // plain address ("ana@x.br")
};

enum class InvitationKind {
    Invite,     // first invitation of this participant
    Update,     // the meeting changed (time, room, texts, participants)
    Cancelled,  // the meeting is cancelled
    Uninvited,  // the participant no longer takes part; the meeting goes on
};

struct InvitationMail {
    MailAddress from, to;
    std::string messageId;  // without angle brackets: "abc123@zel00400"
    TDateTime dateUtc = 0;  // the Date header
    InvitationKind kind = InvitationKind::Invite;
    CalendarMeeting meeting;   // as the participant is told of it
    CalendarPerson recipient;  // the participant (for Uninvited: the one removed)
};

// "Convite: Comitê de obras - 07/12/2026 14:30" (not yet encoded for a header).
std::string InvitationSubject(const InvitationMail& mail);
// The plain-text part: what happened, then the meeting's title, number, subject, day, hours,
// room, responsible and participants, and how to answer.
std::string InvitationPlainText(const InvitationMail& mail);
// The whole message, CRLF lines, ready for SMTP: headers (non-ASCII texts as RFC 2047
// encoded words), multipart/alternative with both parts in base64.
std::string InvitationMessage(const InvitationMail& mail);

// RFC 2047 "B" encoded words for a header text with characters beyond ASCII; the text as it
// is otherwise. Words never cut a UTF-8 character.
std::string EncodedHeaderText(const std::string& text);
// "Mon, 07 Dec 2026 14:30:00 +0000" (RFC 5322); HTTP writes the zone as "GMT".
std::string InternetDate(TDateTime utc, const std::string& zone = "+0000");
// Base64 lines of at most 76 characters, each ended by CRLF.
std::string Base64Lines(const std::string& data);
