#include "host/notice_inbox.h"

#include <algorithm>

#include "host/host_panel.h"
#include "platform/client_data_set.h"
#include "platform/exceptions.h"
#include "platform/routines.h"
#include "server/server_connection.h"

NoticeInbox::NoticeInbox(ConnectionSetup setup) : m_setup(std::move(setup)) {}

NoticeInbox::~NoticeInbox() = default;

TServerConnection& NoticeInbox::connection() {
    if (!m_net) m_net = host_panel::SessionConnection(m_setup);
    return *m_net;
}

void NoticeInbox::reload() {
    // A blank operator code: the session's operator, whoever the login context names.
    TClientDataSet rows;
    rows.SetData(connection().AppServer().Call("GetAtivPessoal", {Arg("")}));
    std::vector<Notice> notices;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        Notice n;
        n.number = rows.FieldByName("NRATIVPESSOAL").AsInteger();
        n.text = rows.FieldByName("DSATIVPESSOAL").AsString();
        n.received = rows.FieldByName("DTHRATIVPESSOAL").AsDateTime();
        const TField& readAt = rows.FieldByName("DTHRLEITURA");
        n.readAt = readAt.IsNull() ? 0 : readAt.AsDateTime();
        notices.push_back(std::move(n));
    }
    m_notices = std::move(notices);
}

int NoticeInbox::unreadCount() const {
    return static_cast<int>(std::count_if(m_notices.begin(), m_notices.end(),
                                          [](const Notice& n) { return !n.read(); }));
}

void NoticeInbox::sendRead(int64_t number) {
    connection().AppServer().Call("SetAvisoLido",
                                  {Arg(""), Arg(Variant(static_cast<long long>(number)))});
}

// After marking, the list is read again so that it shows the reading times the server keeps.
void NoticeInbox::markRead(int64_t number) {
    sendRead(number);
    reload();
}

void NoticeInbox::markAllRead() {
    std::vector<int64_t> unread;
    for (const Notice& n : m_notices)
        if (!n.read()) unread.push_back(n.number);
    try {
        for (int64_t number : unread)
            sendRead(number);
    } catch (const Exception&) {
        // Those marked before the refusal are read: show them so, if the server still answers.
        try {
            reload();
        } catch (const Exception&) {
        }
        throw;
    }
    reload();
}

void NoticeInbox::reloadInvitations() {
    TClientDataSet rows;
    rows.SetData(connection().AppServer().Call("GetConvites", {}));
    std::vector<Invitation> invitations;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        Invitation i;
        i.branch = rows.FieldByName("CDFILIAL").AsString();
        i.number = rows.FieldByName("NRTAREFA").AsString();
        i.title = TrimAll(rows.FieldByName("DSREFETAREFA").AsString());
        if (i.title.empty()) i.title = TrimAll(rows.FieldByName("NMASSUNTO").AsString());
        i.room = TrimAll(rows.FieldByName("NMSALA").AsString());
        i.organiser = TrimAll(rows.FieldByName("NMOPERRESP").AsString());
        i.start = rows.FieldByName("DTHRREUNIAO").AsDateTime();
        i.hours = rows.FieldByName("QTHRREUNIAO").AsFloat();
        i.answer = TrimAll(rows.FieldByName("IDRESPOSTA").AsString());
        invitations.push_back(std::move(i));
    }
    m_invitations = std::move(invitations);
}

int NoticeInbox::unansweredCount() const {
    return static_cast<int>(std::count_if(m_invitations.begin(), m_invitations.end(),
                                          [](const Invitation& i) { return !i.answered(); }));
}

void NoticeInbox::answer(const Invitation& invitation, const std::string& code) {
    connection().AppServer().Call("SetRespConvite",
                                  {Arg(invitation.branch), Arg(invitation.number), Arg(code)});
    reloadInvitations();
}
