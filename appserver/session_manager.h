// SessionManager: Login, Logout and the token check of every other call.
//
// Sessions live in the SESSAO table (the token's digest, never the token itself), so several
// servers behind one load balancer share them on PostgreSQL. A small in-process cache keeps
// the token check off the database for a few seconds; Logout on this server takes effect at
// once, on another server within that time.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <semaphore>
#include <string>
#include <string_view>
#include <unordered_map>

#include "appserver/login_throttle.h"
#include "appserver/method_registry.h"
#include "appserver/storage.h"

namespace zel::appserver {

struct LoginResult {
    std::string token;
    Session session;
};

class SessionManager {
  public:
    SessionManager(int tokenTtlSeconds, bool fastPasswordHashing)
        : m_ttlSeconds(tokenTtlSeconds), m_fastHashing(fastPasswordHashing) {}

    // The session of a token, or nullopt when the token is unknown, expired, or its operator
    // was deactivated. `now` is the server clock. Reads the database (in a read transaction
    // of its own) only when the token is not in the cache.
    std::optional<Session> Find(Database& db, std::string_view token, TDateTime now);

    // Password checks run at once at most; each takes tens of megabytes while it runs.
    static constexpr int kMaxPasswordChecks = 4;

    // Checks operator, password and branch; throws RpcError(unauthenticated) with one and the
    // same text whichever was wrong, RpcError(too_many_attempts) while repeated failures from
    // the address make it wait (login_throttle.h), or RpcError(unavailable) when no password
    // check frees up within seconds. The stored hash is read in a read transaction and
    // checked outside any transaction, so a slow password check never holds the write lock;
    // the new session is written in a write transaction of its own, which first makes sure
    // the hash checked is still the operator's (a password changed meanwhile refuses the
    // login rather than leave a session opened with the old one).
    LoginResult Login(Database& db, const std::string& operatorCode, const std::string& password,
                      const std::string& branch, TDateTime now, const std::string& address);

    // Tests: runs between a successful password check and the writing of the session, where
    // a password change may race a login.
    void setAfterPasswordCheck(std::function<void()> hook) { m_afterCheck = std::move(hook); }

    void Logout(SqlConnection& db, std::string_view token);

    bool fastHashing() const { return m_fastHashing; }

  private:
    struct Cached {
        Session session;
        std::chrono::steady_clock::time_point checked;
    };
    static std::vector<std::string> Branches(SqlConnection& db, const std::string& operatorCode);

    LoginResult open(Database& db, const std::string& operatorCode, const std::string& password,
                     const std::string& branch, TDateTime now, const std::string& address);

    int m_ttlSeconds;
    bool m_fastHashing;
    std::mutex m_mutex;
    std::unordered_map<std::string, Cached> m_cache;  // by token digest
    std::counting_semaphore<kMaxPasswordChecks> m_passwordChecks{kMaxPasswordChecks};
    std::function<void()> m_afterCheck;
};

}  // namespace zel::appserver
