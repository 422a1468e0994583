#include "calendar/invitation_mail.h"

#include <algorithm>
#include <cstdio>

#include "platform/routines.h"

namespace {

const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64(const std::string& data) {
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 2 < data.size(); i += 3) {
        const unsigned v = static_cast<unsigned char>(data[i]) << 16 |
                           static_cast<unsigned char>(data[i + 1]) << 8 |
                           static_cast<unsigned char>(data[i + 2]);
        out += kBase64[v >> 18];
        out += kBase64[(v >> 12) & 63];
        out += kBase64[(v >> 6) & 63];
        out += kBase64[v & 63];
    }
    if (i < data.size()) {
        const bool two = i + 1 < data.size();
        const unsigned v = static_cast<unsigned char>(data[i]) << 16 |
                           (two ? static_cast<unsigned char>(data[i + 1]) << 8 : 0u);
        out += kBase64[v >> 18];
        out += kBase64[(v >> 12) & 63];
        out += two ? kBase64[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

bool PlainAscii(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80 || static_cast<unsigned char>(c) < 0x20)
            return false;
    return true;
}

// "Ana Souza <ana@x.br>", the name quoted or encoded as it needs.
std::string AddressHeader(const MailAddress& a) {
    if (a.name.empty()) return "<" + a.address + ">";
    std::string name;
    if (!PlainAscii(a.name)) {
        name = EncodedHeaderText(a.name);
    } else {
        name = "\"";
        for (const char c : a.name)
            if (c != '"' && c != '\\') name += c;
        name += "\"";
    }
    return name + " <" + a.address + ">";
}

std::string HourText(TDateTime value) {
    return FormatDateTime("hh:nn", value);
}

std::string PeopleText(const CalendarMeeting& m) {
    std::string out;
    for (const CalendarPerson& p : m.attendees)
        out += (out.empty() ? "" : ", ") + (p.name.empty() ? p.code : p.name);
    return out.empty() ? "nenhum" : out;
}

const char* Opening(InvitationKind kind) {
    switch (kind) {
        case InvitationKind::Invite:
            return "Você foi convidado para a reunião abaixo.";
        case InvitationKind::Update:
            return "A reunião abaixo foi alterada. Confira a data, o horário e a sala.";
        case InvitationKind::Cancelled:
            return "A reunião abaixo foi cancelada.";
        case InvitationKind::Uninvited:
            return "Você não participa mais da reunião abaixo.";
    }
    return "";
}

}  // namespace

std::string InternetDate(TDateTime utc, const std::string& zone) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const DateParts d = DecodeDate(utc);
    const TimeParts t = DecodeTime(utc);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s, %02d %s %04d %02d:%02d:%02d %s", kDays[DayOfWeek(utc) - 1],
                  d.day, kMonths[d.month - 1], d.year, t.hour, t.minute, t.second, zone.c_str());
    return buf;
}

std::string Base64Lines(const std::string& data) {
    const std::string all = Base64(data);
    std::string out;
    out.reserve(all.size() + all.size() / 76 * 2 + 2);
    for (size_t i = 0; i < all.size(); i += 76)
        out.append(all, i, 76).append("\r\n");
    return out;
}

std::string EncodedHeaderText(const std::string& text) {
    if (PlainAscii(text)) return text;
    // 45 octets make 60 base64 characters: the word stays within 75 with its frame.
    std::string out;
    size_t at = 0;
    while (at < text.size()) {
        size_t n = std::min<size_t>(45, text.size() - at);
        while (n > 1 && at + n < text.size() &&
               (static_cast<unsigned char>(text[at + n]) & 0xC0) == 0x80)
            --n;
        if (!out.empty()) out += "\r\n ";
        out += "=?UTF-8?B?" + Base64(text.substr(at, n)) + "?=";
        at += n;
    }
    return out;
}

std::string InvitationSubject(const InvitationMail& mail) {
    const char* what = "Convite";
    switch (mail.kind) {
        case InvitationKind::Invite:
            break;
        case InvitationKind::Update:
            what = "Reunião alterada";
            break;
        case InvitationKind::Cancelled:
            what = "Reunião cancelada";
            break;
        case InvitationKind::Uninvited:
            what = "Participação cancelada";
            break;
    }
    const CalendarMeeting& m = mail.meeting;
    return std::string(what) + ": " + m.Summary() + " - " + DateToStr(m.start) + " " +
           HourText(m.start);
}

std::string InvitationPlainText(const InvitationMail& mail) {
    const CalendarMeeting& m = mail.meeting;
    const std::string zone = m.zone.empty() ? "UTC" : m.zone;
    std::string t = Opening(mail.kind);
    t += "\r\n\r\nReunião: " + m.Summary();
    t += "\r\nNúmero: " + TrimAll(m.number) + " (filial " + TrimAll(m.branch) + ")";
    if (!m.subject.empty()) t += "\r\nAssunto: " + m.subject;
    t += "\r\nData: " + FormatDateTime("dddd", m.start) + ", " + DateToStr(m.start);
    t += "\r\nHorário: " + HourText(m.start) + " às " + HourText(m.end) + " (" + zone + ")";
    t += "\r\nSala: " + (m.room.empty() ? std::string("não reservada") : m.room);
    if (!m.organiser.name.empty()) t += "\r\nResponsável: " + m.organiser.name;
    t += "\r\nParticipantes: " + PeopleText(m);
    if (mail.kind == InvitationKind::Invite || mail.kind == InvitationKind::Update)
        t += "\r\n\r\nResponda no sistema, em Avisos, página Convites: Aceitar, Talvez ou "
             "Recusar.";
    t += "\r\n\r\nMensagem automática do Controle de Reunião.\r\n";
    return t;
}

std::string InvitationMessage(const InvitationMail& mail) {
    const bool cancel =
        mail.kind == InvitationKind::Cancelled || mail.kind == InvitationKind::Uninvited;
    const std::string calendar = InvitationICalendar(
        mail.meeting, mail.kind == InvitationKind::Uninvited ? &mail.recipient : nullptr);
    const std::string boundary = "=_zel_" + Base64(mail.messageId).substr(0, 24);
    std::string m;
    m += "From: " + AddressHeader(mail.from) + "\r\n";
    m += "To: " + AddressHeader(mail.to) + "\r\n";
    m += "Subject: " + EncodedHeaderText(InvitationSubject(mail)) + "\r\n";
    m += "Date: " + InternetDate(mail.dateUtc) + "\r\n";
    m += "Message-ID: <" + mail.messageId + ">\r\n";
    m += "MIME-Version: 1.0\r\n";
    m += "Auto-Submitted: auto-generated\r\n";
    m += "Content-Type: multipart/alternative; boundary=\"" + boundary + "\"\r\n\r\n";
    m += "--" + boundary + "\r\n";
    m += "Content-Type: text/plain; charset=UTF-8\r\n";
    m += "Content-Transfer-Encoding: base64\r\n\r\n";
    m += Base64Lines(InvitationPlainText(mail));
    m += "--" + boundary + "\r\n";
    m += std::string("Content-Type: text/calendar; charset=UTF-8; method=") +
         (cancel ? "CANCEL" : "REQUEST") + "\r\n";
    m += "Content-Transfer-Encoding: base64\r\n\r\n";
    m += Base64Lines(calendar);
    m += "--" + boundary + "--\r\n";
    return m;
}
