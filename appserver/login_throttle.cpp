#include "appserver/login_throttle.h"

#include <algorithm>
#include <cmath>

namespace zel::appserver {

namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr size_t kMaxRecords = 100000;

std::string OperatorKey(const std::string& code) {
    return "op:" + code;
}
std::string AddressKey(const std::string& address) {
    return "ip:" + address;
}

}  // namespace

double LoginThrottle::wait(const std::string& key, TDateTime now) const {
    auto it = m_records.find(key);
    if (it == m_records.end() || it->second.retryAt <= now) return 0;
    return (it->second.retryAt - now) * kSecondsPerDay;
}

double LoginThrottle::WaitFor(const std::string& operatorCode, const std::string& address,
                              TDateTime now) {
    std::lock_guard<std::mutex> lock(m_mutex);
    double w = wait(OperatorKey(operatorCode), now);
    if (!address.empty()) w = std::max(w, wait(AddressKey(address), now));
    return w;
}

void LoginThrottle::fail(const std::string& key, TDateTime now) {
    if (m_records.size() >= kMaxRecords && !m_records.count(key)) {
        // Forget the records whose wait is over; a flood of distinct keys cannot grow the map.
        std::erase_if(m_records, [now](const auto& r) { return r.second.retryAt <= now; });
        if (m_records.size() >= kMaxRecords) m_records.clear();
    }
    Record& r = m_records[key];
    ++r.failures;
    if (r.failures < kFreeFailures) return;
    const double seconds =
        std::min(kMaxWaitSeconds,
                 kFirstWaitSeconds * std::pow(2.0, std::min(r.failures - kFreeFailures, 20)));
    r.retryAt = now + seconds / kSecondsPerDay;
}

void LoginThrottle::Failed(const std::string& operatorCode, const std::string& address,
                           TDateTime now) {
    std::lock_guard<std::mutex> lock(m_mutex);
    fail(OperatorKey(operatorCode), now);
    if (!address.empty()) fail(AddressKey(address), now);
}

void LoginThrottle::Succeeded(const std::string& operatorCode, const std::string& address) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_records.erase(OperatorKey(operatorCode));
    if (!address.empty()) m_records.erase(AddressKey(address));
}

}  // namespace zel::appserver
