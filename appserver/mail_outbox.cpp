#include "appserver/mail_outbox.h"

#include "appserver/password_hash.h"
#include "platform/routines.h"

namespace zel::appserver {

namespace {

Variant At(TDateTime t) {
    return Variant::FromDateTime(t);
}

std::string Cut(const std::string& text, size_t n) {
    return std::string(Utf8Prefix(text, n));
}

}  // namespace

std::string NewMessageId(const std::string& fromAddress) {
    const size_t at = fromAddress.rfind('@');
    const std::string domain = at == std::string::npos ? "zel00400" : fromAddress.substr(at + 1);
    return NewToken().substr(0, 32) + "@" + domain;
}

void QueueMail(SqlConnection& db, const QueuedMail& m, TDateTime now) {
    db.Exec(
        "INSERT INTO CAIXASAIDA (DSMESSAGEID, DSDESTINO, DSASSUNTO, TXMENSAGEM, CDFILIAL, "
        "NRTAREFA, CDOPERADOR, IDMETODO, NRSEQCALEND, IDSITUACAO, QTTENTATIVAS, DTINCLUSAO, "
        "DTPROXIMA) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, 'P', 0, ?, ?)",
        {m.messageId, m.to, Cut(m.subject, 250), m.text, m.branch, m.meeting, m.recipientCode,
         m.method, m.sequence, At(now), At(now)});
}

std::optional<OutboxMessage> NextDueMail(SqlConnection& db, TDateTime now, bool lock) {
    static const std::string kSelect =
        "SELECT NRMENSAGEM, DSMESSAGEID, DSDESTINO, TXMENSAGEM, QTTENTATIVAS FROM CAIXASAIDA "
        "WHERE IDSITUACAO = 'P' AND DTPROXIMA <= ? ORDER BY DTPROXIMA, NRMENSAGEM LIMIT 1";
    static const std::string kLocked = kSelect + " FOR UPDATE SKIP LOCKED";
    const SqlResult r = db.Exec(lock ? kLocked : kSelect, {At(now)});
    if (r.rows.empty()) return std::nullopt;
    const SqlRow& row = r.rows[0];
    return OutboxMessage{row[0].AsInteger(), row[1].AsString(), row[2].AsString(),
                         row[3].AsString(), static_cast<int>(row[4].AsInteger())};
}

void MarkMailSent(SqlConnection& db, long long id, TDateTime now) {
    db.Exec(
        "UPDATE CAIXASAIDA SET IDSITUACAO = 'E', DTENVIO = ?, QTTENTATIVAS = QTTENTATIVAS + 1, "
        "DSERRO = NULL WHERE NRMENSAGEM = ? AND IDSITUACAO = 'P'",
        {At(now), id});
}

void MarkMailRefused(SqlConnection& db, long long id, TDateTime now, const std::string& reason) {
    db.Exec(
        "UPDATE CAIXASAIDA SET IDSITUACAO = 'F', DTENVIO = ?, QTTENTATIVAS = QTTENTATIVAS + 1, "
        "DSERRO = ? WHERE NRMENSAGEM = ? AND IDSITUACAO = 'P'",
        {At(now), Cut(reason, 500), id});
}

void RescheduleMail(SqlConnection& db, long long id, TDateTime next, const std::string& reason) {
    db.Exec(
        "UPDATE CAIXASAIDA SET DTPROXIMA = ?, QTTENTATIVAS = QTTENTATIVAS + 1, DSERRO = ? "
        "WHERE NRMENSAGEM = ? AND IDSITUACAO = 'P'",
        {At(next), Cut(reason, 500), id});
}

}  // namespace zel::appserver
