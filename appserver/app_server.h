// AppServer: the application server without its transport. It owns the database (opened and
// migrated on construction), the sessions and the method registry, and answers one RPC at a
// time per calling thread; any number of threads may call HandleRpc at once.
//
// Callers: the HTTP server (http_server.h), the client's in-process transport and the tests.
//
// Protocol (one request body in, one response body out):
//   request  {"method":"GetControle","params":[...],"id":N}
//   response {"id":N,"result":<value>,"refs":{"<param index>":<new value>}}
//         or {"id":N,"error":{"code":"<code>","message":"<text for the operator>"}}
// Values use the encoding of platform/variant.h (dates {"$dt":...}, packets as objects).
//
// Error codes:
//   bad_request     the body is not a JSON request envelope (id is null when unreadable)
//   unknown_method  no method of that name (names match without regard to case)
//   bad_arguments   wrong number or kind of arguments, a malformed packet or list
//   unauthenticated no token, an unknown or expired token, or a refused Login
//   forbidden       the call names a branch the session's operator may not use
//   too_long        a text longer than its column or parameter allows
//   stale_row       a row changed or removed by someone else since it was read
//   conflict        the change breaks a rule of the data (a booked room, a row in use)
//   duplicate_key   a row with that key already exists
//   not_found       a row the call names does not exist
//   unavailable     the database cannot be reached now, or stays busy past the bounded wait
//   too_many_attempts  a Login while failed logins from the caller's address make it wait
//   internal        anything else (details go to the server log, not to the client)
// A failed call changes nothing: every method runs in one transaction.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "appserver/mail_settings.h"

namespace zel::appserver {

struct AppServerOptions {
    // "sqlite:PATH", "sqlite::memory:" (private to this AppServer) or a PostgreSQL URI or
    // conninfo ("postgresql://...", "host=... dbname=...").
    std::string db = "sqlite::memory:";
    // Fill an empty database with the demo branch, operators, rooms and meetings.
    bool demo = false;
    // Lifetime of a session token from Login.
    int tokenTtlSeconds = 8 * 3600;
    // Database connections kept open (an in-memory SQLite database always uses one).
    int poolSize = 8;
    // How long a call waits for a free connection and SQLite's write lock before it is
    // refused as busy ("try again").
    int busyWaitMs = 10000;
    // Hash new passwords (demo data, admin commands) with libsodium's minimum argon2id cost.
    // Only for tests, where each Login would otherwise cost a tenth of a second.
    bool fastPasswordHashing = false;
    // Invitation mail (none when its URL is empty), and whether this server runs the thread
    // that delivers it (tests drive the delivery themselves).
    MailSettings mail;
    bool deliverMail = true;
};

// The largest request body taken from a caller without a live session: Login, the one call it
// may make, needs a few hundred bytes. Larger ones are refused before they are decoded, so a
// stranger's request costs the server a small, fixed amount of memory.
inline constexpr size_t kMaxAnonymousBodyBytes = 16 * 1024;

// One RPC's answer: the response envelope and, when the call failed, its error code.
struct RpcAnswer {
    std::string body;
    std::string errorCode;  // "" on success
};

// What a bearer token is worth before the request's body is read.
enum class TokenCheck { Valid, Invalid, Unavailable /* the database does not answer */ };

class AppServerImpl;

class AppServer {
  public:
    // Opens and migrates the database and seeds the demo data when asked. Throws
    // std::runtime_error with a readable message when the database cannot be opened.
    explicit AppServer(AppServerOptions opts);
    ~AppServer();
    AppServer(const AppServer&) = delete;
    AppServer& operator=(const AppServer&) = delete;

    // One RPC: request body JSON text + bearer token ("" when none) -> response body JSON text.
    // The client's address ("" when unknown) lets repeated failed logins from it be slowed
    // down. Never throws; every failure becomes the error envelope.
    std::string HandleRpc(std::string_view body, std::string_view bearerToken,
                          std::string_view clientAddress = {});
    // The same, with the error code apart so a transport can choose its status from it.
    RpcAnswer Answer(std::string_view body, std::string_view bearerToken,
                     std::string_view clientAddress = {});

    // Whether the token opens a live session (cached; reads the database at most every few
    // seconds per token). Never throws.
    TokenCheck CheckToken(std::string_view bearerToken);

    // True when the database answers (GET /health).
    bool Healthy();

    const AppServerOptions& Options() const;
    // The engine behind the server, for the admin commands and the tests.
    AppServerImpl& Impl() { return *m_impl; }

  private:
    std::unique_ptr<AppServerImpl> m_impl;
};

}  // namespace zel::appserver
