// LoginThrottle: slows down repeated failed logins, so that guessing stays slow while the
// operator whose password is being guessed still gets in from his own machine.
//
// Two counts are kept: one per client address (however many operators it tries) and one per
// operator tried from one address. After a few failures in a row each further attempt must
// wait, the wait doubling up to a ceiling; an attempt made while waiting is refused before any
// password is checked. Nothing is counted per operator alone: an attacker's failures never
// lock the operator out of another address. A successful login clears its operator-and-
// address count; an address's own count runs out an hour after its last failure, so an
// attacker cannot clear it with a login of his own.
//
// The counts live in the FALHALOGIN table, so every server on one database shares them. Each
// function runs in the caller's transaction (a write transaction for Failed and Succeeded).
#pragma once

#include <string>

#include "appserver/storage.h"
#include "platform/date_time.h"

namespace zel::appserver {

class LoginThrottle {
  public:
    static constexpr int kPairFreeFailures = 3;      // per operator from one address
    static constexpr int kAddressFreeFailures = 10;  // per address, whichever operators
    static constexpr double kFirstWaitSeconds = 2;   // doubled for every further failure
    static constexpr double kMaxWaitSeconds = 300;
    static constexpr double kForgetAfterSeconds = 3600;  // a count ends after this quiet time

    // Seconds until `operatorCode` may be tried from `address` again (0: now). `now` is the
    // server clock.
    static double WaitFor(SqlConnection& db, const std::string& operatorCode,
                          const std::string& address, TDateTime now);
    static void Failed(SqlConnection& db, const std::string& operatorCode,
                       const std::string& address, TDateTime now);
    static void Succeeded(SqlConnection& db, const std::string& operatorCode,
                          const std::string& address);

    // The address as it is counted: an IPv6 address by its /64 network (what one subscriber
    // gets, and may change at will), an IPv4-mapped IPv6 address as the IPv4 one, "-" for
    // none (an in-process caller).
    static std::string AddressKey(const std::string& address);
};

}  // namespace zel::appserver
