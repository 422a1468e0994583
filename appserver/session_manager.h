// SessionManager: Login, Logout and the token check of every other call.
//
// Sessions live in the SESSAO table (the token's digest, never the token itself), so several
// servers behind one load balancer share them on PostgreSQL. A small in-process cache keeps
// the token check off the database for a few seconds; Logout on this server takes effect at
// once, on another server within that time.
#pragma once

#include <chrono>
#include <mutex>
#include <optional>
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

    // Checks operator, password and branch; throws RpcError(unauthenticated) with one and the
    // same text whichever was wrong, or RpcError(too_many_attempts) while repeated failures of
    // the operator or the address make it wait. The stored hash is read in a read transaction
    // and checked outside any transaction, so a slow password check never holds the write
    // lock; only the new session is written in a write transaction of its own.
    LoginResult Login(Database& db, const std::string& operatorCode, const std::string& password,
                      const std::string& branch, TDateTime now, const std::string& address);

    void Logout(SqlConnection& db, std::string_view token);

    bool fastHashing() const { return m_fastHashing; }

  private:
    struct Cached {
        Session session;
        std::chrono::steady_clock::time_point checked;
    };
    static std::vector<std::string> Branches(SqlConnection& db, const std::string& operatorCode);

    LoginResult open(Database& db, const std::string& operatorCode, const std::string& password,
                     const std::string& branch, TDateTime now);

    int m_ttlSeconds;
    bool m_fastHashing;
    std::mutex m_mutex;
    std::unordered_map<std::string, Cached> m_cache;  // by token digest
    LoginThrottle m_throttle;
};

}  // namespace zel::appserver
