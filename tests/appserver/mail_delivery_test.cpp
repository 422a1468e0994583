// Invitation mail delivered to a real SMTP server started by the test (aiosmtpd) and read back
// with Python's email package and python3-icalendar: the method, UID, revision, attendees and
// times a mail program sees; STARTTLS with a login; growing waits after a failure; a recipient
// refused for good; a crash between sending and marking.
#include <gtest/gtest.h>

#include <set>

#include "appserver/app_server_impl.h"
#include "appserver/calendar_service.h"
#include "appserver/sql_value.h"
#include "calendar_test_support.h"
#include "tls_certificates.h"

namespace zel::appserver::test {
namespace {

TDateTime Day(int offset, int hour, int minute = 0) {
    return DateOf(Now()) + offset + (hour * 60 + minute) / 1440.0;
}

std::string Iso(TDateTime t) {
    return DateTimeToIso(t);
}

// The delivery of a server made without its thread: the test runs its rounds.
MailDelivery& Delivery(CalendarServer& srv) {
    return *srv.Impl().calendar().delivery();
}

std::function<void(AppServerOptions&)> WithMail(const MailSettings& mail) {
    return [mail](AppServerOptions& o) {
        o.mail = mail;
        o.deliverMail = false;
    };
}

json Event(const json& message) {
    return message.at("calendar").at("events").at(0);
}

std::set<std::string> Addresses(const json& event) {
    std::set<std::string> out;
    for (const json& a : event.at("attendees"))
        out.insert(a.at("address").get<std::string>());
    return out;
}

TEST(MailDeliveryTest, AnInvitationAndItsCancellationReadBackAsMailProgramsSeeThem) {
    MailSink sink;
    ASSERT_GT(sink.Port(), 0) << "aiosmtpd did not start";
    CalendarServer srv(Backend::SqliteMemory, WithMail(SinkMail(sink)));
    const std::string nr = srv.NewMeeting(Day(40, 9), 1.5, "Comitê de obras");
    srv.AddParticipant(nr, kAna);
    srv.AddParticipant(nr, kBruno);
    EXPECT_EQ(Delivery(srv).RunOnce(), 3);
    ASSERT_TRUE(sink.WaitFor(3, std::chrono::seconds(10)));
    json mail = sink.Messages();
    ASSERT_EQ(mail.size(), 3u);

    // Bruno's first mail: an invitation with both attendees, on São Paulo's clock.
    const json& bruno = mail.at(2);
    EXPECT_EQ(bruno.at("envelope_to"), "bruno@empresa.test");
    EXPECT_EQ(bruno.at("to"), "Bruno Lima <bruno@empresa.test>");
    EXPECT_EQ(bruno.at("from"), "Controle de Reunião <reunioes@empresa.test>");
    EXPECT_EQ(bruno.at("content_type"), "multipart/alternative");
    EXPECT_EQ(bruno.at("subject"),
              "Convite: Comitê de obras - " + FormatDateTime("dd/mm/yyyy", Day(40, 9)) + " 09:00");
    EXPECT_NE(bruno.at("plain").get<std::string>().find("Você foi convidado"), std::string::npos);
    EXPECT_EQ(bruno.at("calendar_method"), "REQUEST");
    EXPECT_EQ(bruno.at("calendar").at("method"), "REQUEST");
    const json ev = Event(bruno);
    EXPECT_EQ(ev.at("uid"), "zel-0001-" + nr + "@zel00400");
    EXPECT_EQ(ev.at("sequence"), 2);
    EXPECT_EQ(ev.at("status"), "CONFIRMED");
    EXPECT_EQ(ev.at("tzid"), "America/Sao_Paulo");
    EXPECT_EQ(ev.at("start_local"), Iso(Day(40, 9)));
    EXPECT_EQ(ev.at("start_utc"), Iso(Day(40, 12))) << "São Paulo is three hours behind UTC";
    EXPECT_EQ(ev.at("end_utc"), Iso(Day(40, 13, 30)));
    EXPECT_EQ(Addresses(ev),
              (std::set<std::string>{"mailto:ana@empresa.test", "mailto:bruno@empresa.test"}));
    // Ana heard twice (invited, then Bruno joined); her second mail is the update.
    EXPECT_EQ(Event(mail.at(0)).at("sequence"), 1);
    EXPECT_EQ(Event(mail.at(1)).at("sequence"), 2);
    EXPECT_EQ(mail.at(1).at("subject").get<std::string>().rfind("Reunião alterada: ", 0), 0u);
    // Each message carries the Message-ID its outbox row was given.
    for (const json& m : mail)
        EXPECT_EQ(srv.Value("SELECT COUNT(*) FROM CAIXASAIDA WHERE '<' || DSMESSAGEID || '>' = ? "
                            "AND IDSITUACAO = 'E'",
                            {m.at("message_id").get<std::string>()}),
                  "1");

    srv.Result("GetUpdCancelTarefa", {"0001", nr});
    EXPECT_EQ(Delivery(srv).RunOnce(), 2);
    ASSERT_TRUE(sink.WaitFor(5, std::chrono::seconds(10)));
    mail = sink.Messages();
    for (size_t i = 3; i < 5; ++i) {
        EXPECT_EQ(mail.at(i).at("calendar_method"), "CANCEL");
        const json cancel = Event(mail.at(i));
        EXPECT_EQ(cancel.at("uid"), ev.at("uid"));
        EXPECT_EQ(cancel.at("sequence"), 3);
        EXPECT_EQ(cancel.at("status"), "CANCELLED");
        EXPECT_EQ(cancel.at("start_utc"), ev.at("start_utc"));
    }
    EXPECT_EQ(Delivery(srv).RunOnce(), 0) << "nothing is sent twice";
}

TEST(MailDeliveryTest, StartTlsWithALoginAndAWrongPasswordWaitsLongerEachTime) {
    TlsCertificates certs;
    ASSERT_TRUE(certs.ok()) << certs.Error();
    MailSink sink({"--tls-cert", certs.ServerCert(), "--tls-key", certs.ServerKey(), "--user",
                   "reunioes", "--password", "s3nha-certa"});
    ASSERT_GT(sink.Port(), 0);
    MailSettings mail = SinkMail(sink);
    mail.startTls = true;
    mail.caFile = certs.CaCert();
    mail.user = "reunioes";
    mail.password = "s3nha-errada";
    mail.retrySeconds = 60;
    CalendarServer srv(Backend::SqliteFile, WithMail(mail));
    TDateTime clock = Now();
    srv.Impl().setClock([&clock] { return clock; });
    srv.AddParticipant(srv.NewMeeting(Day(40, 9), 1, "Com login"), kAna);

    auto next = [&] {
        const SqlRow r = srv.Rows(
                                "SELECT QTTENTATIVAS, DTPROXIMA, DSERRO, IDSITUACAO FROM "
                                "CAIXASAIDA")
                             .at(0);
        return std::make_tuple(r[0].AsInteger(), ParseSqlDateTime(r[1].AsString()), r[2].AsString(),
                               r[3].AsString());
    };
    EXPECT_EQ(Delivery(srv).RunOnce(), 0);
    auto [tries, due, why, state] = next();
    EXPECT_EQ(tries, 1);
    EXPECT_EQ(state, "P") << "kept for the next attempt";
    EXPECT_NEAR((due - clock) * 86400, 60, 1);
    EXPECT_EQ(why.find("s3nha"), std::string::npos) << "the password is never written down";
    EXPECT_EQ(Delivery(srv).RunOnce(), 0) << "not due yet";
    clock = due + 1 / 86400.0;
    Delivery(srv).RunOnce();
    std::tie(tries, due, why, state) = next();
    EXPECT_EQ(tries, 2);
    EXPECT_NEAR((due - clock) * 86400, 120, 1);
    EXPECT_EQ(sink.Count(), 0u);

    // With the right password (the administrator fixed the setting) it goes through TLS.
    mail.password = "s3nha-certa";
    MailDelivery fixed(srv.Impl().db(), mail, [&clock] { return clock; });
    clock = due + 1 / 86400.0;
    EXPECT_EQ(fixed.RunOnce(), 1);
    ASSERT_TRUE(sink.WaitFor(1, std::chrono::seconds(10)));
    EXPECT_EQ(sink.Messages().at(0).at("envelope_to"), "ana@empresa.test");
}

TEST(MailDeliveryTest, ARefusedRecipientIsDroppedAndACrashAfterSendingResendsTheSameMessage) {
    MailSink sink({"--refuse", "bruno@empresa.test"});
    ASSERT_GT(sink.Port(), 0);
    CalendarServer srv(Backend::SqliteMemory, WithMail(SinkMail(sink)));
    const std::string nr = srv.NewMeeting(Day(40, 9), 1, "Queda no envio");
    srv.AddParticipant(nr, kAna);

    // The server dies after the SMTP server took the message and before it was marked sent.
    Delivery(srv).afterSend = [] { throw std::runtime_error("crash"); };
    EXPECT_THROW(Delivery(srv).RunOnce(), std::runtime_error);
    Delivery(srv).afterSend = nullptr;
    EXPECT_EQ(srv.Value("SELECT IDSITUACAO FROM CAIXASAIDA"), "P") << "not lost";
    srv.AddParticipant(nr, kBruno);
    Delivery(srv).RunOnce();
    ASSERT_TRUE(sink.WaitFor(3, std::chrono::seconds(10)));
    const json mail = sink.Messages();
    ASSERT_EQ(mail.size(), 3u);
    EXPECT_EQ(mail.at(0).at("message_id"), mail.at(1).at("message_id"))
        << "the repeat is the same message, which mail programs show once";
    EXPECT_EQ(Event(mail.at(2)).at("sequence"), 2);
    EXPECT_EQ(srv.Value("SELECT COUNT(*) FROM CAIXASAIDA WHERE IDSITUACAO = 'E'"), "2");
    const SqlRow refused = srv.Rows("SELECT IDSITUACAO, DSERRO FROM CAIXASAIDA WHERE DSDESTINO = ?",
                                    {"bruno@empresa.test"})
                               .at(0);
    EXPECT_EQ(refused[0].AsString(), "F");
    EXPECT_NE(refused[1].AsString().find("550"), std::string::npos) << refused[1].AsString();
    EXPECT_EQ(Delivery(srv).RunOnce(), 0) << "a refused recipient is not tried again";
}

}  // namespace
}  // namespace zel::appserver::test
