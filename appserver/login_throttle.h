// LoginThrottle: slows down repeated failed logins of one operator code or one client
// address. After a few failures in a row each further attempt must wait, the wait doubling
// up to a ceiling; an attempt made while waiting is refused at once, before any password is
// checked, so guessing stays slow and a flood of bad logins costs the server nothing but a
// map lookup. A successful login clears its operator's and address's counts. Thread-safe.
#pragma once

#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/date_time.h"

namespace zel::appserver {

class LoginThrottle {
  public:
    static constexpr int kFreeFailures = 3;         // failures in a row before the waits start
    static constexpr double kFirstWaitSeconds = 2;  // doubled for every further failure
    static constexpr double kMaxWaitSeconds = 300;

    // Seconds until `operatorCode` from `address` may try again (0: now). `now` is the
    // server clock.
    double WaitFor(const std::string& operatorCode, const std::string& address, TDateTime now);
    void Failed(const std::string& operatorCode, const std::string& address, TDateTime now);
    void Succeeded(const std::string& operatorCode, const std::string& address);

  private:
    struct Record {
        int failures = 0;
        TDateTime retryAt = 0;
    };
    void fail(const std::string& key, TDateTime now);
    double wait(const std::string& key, TDateTime now) const;

    std::mutex m_mutex;
    std::unordered_map<std::string, Record> m_records;  // "op:CODE", "ip:ADDRESS"
};

}  // namespace zel::appserver
