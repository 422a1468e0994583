#include "appserver/login_throttle.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "appserver/sql_value.h"

namespace zel::appserver {

namespace {

constexpr double kSecondsPerDay = 86400.0;

std::string PairKey(const std::string& operatorCode, const std::string& address) {
    return "O" + operatorCode + "@" + LoginThrottle::AddressKey(address);
}
std::string AddressOnlyKey(const std::string& address) {
    return "E" + LoginThrottle::AddressKey(address);
}

// The wait after `failures` failures in a row, of which `free` cost nothing.
double WaitAfter(int failures, int free) {
    if (failures < free) return 0;
    const int doublings = std::min(failures - free, 20);
    return std::min(LoginThrottle::kMaxWaitSeconds,
                    LoginThrottle::kFirstWaitSeconds * std::pow(2.0, doublings));
}

// Counts one more failure of `key`, starting over after a quiet hour.
void Count(SqlConnection& db, const std::string& key, int free, TDateTime now) {
    const Variant stamp = Variant::FromDateTime(now);
    // The row exists before it is locked, so two servers counting the first failure of one
    // key at once do not both insert it.
    db.Exec(
        "INSERT INTO FALHALOGIN (CHFALHA, QTFALHAS, DTULTFALHA, DTLIBERA) VALUES (?, 0, ?, ?) "
        "ON CONFLICT (CHFALHA) DO NOTHING",
        {key, stamp, stamp});
    std::string select = "SELECT QTFALHAS, DTULTFALHA FROM FALHALOGIN WHERE CHFALHA = ?";
    if (db.dialect() == Dialect::PostgreSQL) select += " FOR UPDATE";
    const SqlResult r = db.Exec(select, {key});
    int failures = static_cast<int>(r.rows.at(0)[0].AsInteger());
    const TDateTime last = ParseSqlDateTime(r.rows.at(0)[1].AsString());
    if ((now - last) * kSecondsPerDay > LoginThrottle::kForgetAfterSeconds) failures = 0;
    failures = std::min(failures + 1, 1000000);
    const double wait = WaitAfter(failures, free);
    db.Exec("UPDATE FALHALOGIN SET QTFALHAS = ?, DTULTFALHA = ?, DTLIBERA = ? WHERE CHFALHA = ?",
            {failures, stamp, Variant::FromDateTime(now + wait / kSecondsPerDay), key});
}

}  // namespace

std::string LoginThrottle::AddressKey(const std::string& address) {
    if (address.empty()) return "-";
    in6_addr v6{};
    if (address.find(':') == std::string::npos || inet_pton(AF_INET6, address.c_str(), &v6) != 1)
        return address;
    char text[INET6_ADDRSTRLEN] = {0};
    if (IN6_IS_ADDR_V4MAPPED(&v6)) {
        in_addr v4{};
        std::memcpy(&v4, v6.s6_addr + 12, 4);
        return inet_ntop(AF_INET, &v4, text, sizeof text) ? text : address;
    }
    std::memset(v6.s6_addr + 8, 0, 8);
    return inet_ntop(AF_INET6, &v6, text, sizeof text) ? std::string(text) + "/64" : address;
}

double LoginThrottle::WaitFor(SqlConnection& db, const std::string& operatorCode,
                              const std::string& address, TDateTime now) {
    const SqlResult r = db.Exec("SELECT DTLIBERA FROM FALHALOGIN WHERE CHFALHA IN (?, ?)",
                                {PairKey(operatorCode, address), AddressOnlyKey(address)});
    double wait = 0;
    for (const SqlRow& row : r.rows)
        wait = std::max(wait, (ParseSqlDateTime(row[0].AsString()) - now) * kSecondsPerDay);
    // The moments are kept to the second: what is left of one is no wait, and the rest is
    // told in whole seconds (not rounded up past the stored moment by the clock's fraction).
    return wait < 0.5 ? 0 : std::ceil(wait - 0.001);
}

void LoginThrottle::Failed(SqlConnection& db, const std::string& operatorCode,
                           const std::string& address, TDateTime now) {
    // Counts nobody has added to for the quiet time are over; dropping them keeps the table
    // as small as the failures of the last hour.
    db.Exec("DELETE FROM FALHALOGIN WHERE DTULTFALHA < ?",
            {Variant::FromDateTime(now - kForgetAfterSeconds / kSecondsPerDay)});
    Count(db, PairKey(operatorCode, address), kPairFreeFailures, now);
    Count(db, AddressOnlyKey(address), kAddressFreeFailures, now);
}

void LoginThrottle::Succeeded(SqlConnection& db, const std::string& operatorCode,
                              const std::string& address) {
    db.Exec("DELETE FROM FALHALOGIN WHERE CHFALHA = ?", {PairKey(operatorCode, address)});
}

}  // namespace zel::appserver
