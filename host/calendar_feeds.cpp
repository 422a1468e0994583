#include "host/calendar_feeds.h"

#include <QSettings>
#include <QString>

#include "base/login_context.h"
#include "host/host_panel.h"
#include "platform/client_data_set.h"
#include "platform/routines.h"
#include "server/server_connection.h"

namespace {

// Where this workstation keeps the addresses it was given: per server and operator.
QString AddressKey(long long number) {
    return QStringLiteral("calendarios/%1:%2/%3/%4")
        .arg(QString::fromStdString(ServerHost()))
        .arg(ServerPort())
        .arg(QString::fromStdString(CurrentOperator()))
        .arg(number);
}

QSettings Settings() {
    return QSettings(QSettings::UserScope, QStringLiteral("zel"), QStringLiteral("zel-host"));
}

}  // namespace

CalendarFeeds::CalendarFeeds(ConnectionSetup setup) : m_setup(std::move(setup)) {}

CalendarFeeds::~CalendarFeeds() = default;

TServerConnection& CalendarFeeds::connection() {
    if (!m_net) m_net = host_panel::SessionConnection(m_setup);
    return *m_net;
}

std::string CalendarFeeds::AddressOf(const std::string& token) {
    const bool tls = TServerConnection::DefaultTls().enabled;
    return std::string(tls ? "https://" : "http://") + ServerHost() + ":" +
           std::to_string(ServerPort()) + "/calendar/" + token + ".ics";
}

void CalendarFeeds::reload() {
    TClientDataSet rows;
    rows.SetData(connection().AppServer().Call("GetCalendarios", {}));
    QSettings settings = Settings();
    std::vector<CalendarFeed> feeds;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        CalendarFeed f;
        f.number = rows.FieldByName("NRCALEND").AsInteger();
        f.kind = TrimAll(rows.FieldByName("IDTIPO").AsString());
        f.description = rows.FieldByName("DSCALEND").AsString();
        f.created = rows.FieldByName("DTCRIACAO").AsDateTime();
        f.address = settings.value(AddressKey(f.number)).toString().toStdString();
        feeds.push_back(std::move(f));
    }
    m_feeds = std::move(feeds);
}

CalendarFeed CalendarFeeds::create(const std::string& kind, const std::string& key) {
    TClientDataSet made;
    made.SetData(connection().AppServer().Call("SetCalendario",
                                               {Arg(kind), Arg(CurrentBranch()), Arg(key)}));
    CalendarFeed f;
    f.kind = kind;
    f.number = made.FieldByName("NRCALEND").AsInteger();
    f.description = made.FieldByName("DSCALEND").AsString();
    f.address = AddressOf(made.FieldByName("TOKEN").AsString());
    Settings().setValue(AddressKey(f.number), QString::fromStdString(f.address));
    reload();
    return f;
}

void CalendarFeeds::revoke(long long number) {
    connection().AppServer().Call("DelCalendario", {Arg(Variant(number))});
    Settings().remove(AddressKey(number));
    reload();
}

std::vector<RoomChoice> CalendarFeeds::rooms() {
    TClientDataSet rows;
    rows.SetData(connection().AppServer().Call("GetPesqSala", {Arg(CurrentBranch()), Arg("")}));
    std::vector<RoomChoice> out;
    for (rows.First(); !rows.Eof(); rows.Next())
        out.push_back({TrimAll(rows.FieldByName("CDSALA").AsString()),
                       TrimAll(rows.FieldByName("NMSALA").AsString())});
    return out;
}
