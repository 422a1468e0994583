// MethodRegistry: the named methods of the server, each with its declared parameters. Names
// match without regard to case. The dispatcher checks count and kinds before a handler runs,
// so a handler reads its arguments without further checks.
//
//   registry.add({"GetPrxTarefa", {{"CDFILIAL", ParamKind::String, 4}}, Access::Write, handler,
//                 /*branchParam=*/0});
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/packet.h"
#include "platform/variant.h"

namespace zel::appserver {

class SqlConnection;
class Database;

enum class ParamKind {
    String,        // JSON string (null reads as "")
    Number,        // JSON number, or a text in pt-BR form ("1,5")
    DateTime,      // {"$dt":...} or a number of days since 30/12/1899
    DataPacket,    // {"fields":[...],"rows":[...]}
    ChangePacket,  // {"fields":[...],"changes":[...]}
    Any,           // any value
};

struct ParamSpec {
    std::string name;
    ParamKind kind = ParamKind::String;
    int maxLength = 0;   // String: longest text accepted (0: no limit)
    bool byRef = false;  // the client passes a variable the server may change (refs)
    // A trailing parameter the caller may leave out (older clients call without it); every
    // parameter after an optional one is optional too.
    bool optional = false;
};

// The operator a call runs for (from the token), with the branches he may use.
struct Session {
    std::string tokenHash;
    std::string operatorCode;
    std::string operatorName;
    std::string branch;                 // the branch chosen at Login
    std::vector<std::string> branches;  // every branch he may use
    TDateTime expires = 0;

    bool MayUse(const std::string& branchCode) const;
};

// Where a call comes from: its token and the client's address ("" when unknown).
struct CallOrigin {
    std::string_view bearerToken;
    std::string_view address;
};

// What a handler sees of its call: the open transaction (none for Access::Own methods, which
// open their own on database()), the session, the arguments and the server clock read once
// at the start of the call.
class CallContext {
  public:
    CallContext(Database& database, SqlConnection* db, const Session* session,
                std::vector<Variant> args, std::vector<std::optional<ChangePacket>> deltas,
                TDateTime now, CallOrigin origin)
        : m_database(database),
          m_db(db),
          m_session(session),
          m_args(std::move(args)),
          m_deltas(std::move(deltas)),
          m_now(now),
          m_origin(origin) {}

    SqlConnection& db() {
        if (!m_db) throw std::logic_error("no transaction open for this method");
        return *m_db;
    }
    Database& database() { return m_database; }
    std::string_view address() const { return m_origin.address; }
    const Session& session() const { return *m_session; }
    bool hasSession() const { return m_session != nullptr; }
    TDateTime now() const { return m_now; }
    std::string_view bearerToken() const { return m_origin.bearerToken; }

    // False for an optional trailing argument the caller left out.
    bool has(size_t i) const { return i < m_args.size(); }
    const Variant& arg(size_t i) const { return m_args.at(i); }
    std::string str(size_t i) const { return m_args.at(i).AsString(); }
    double num(size_t i) const { return m_args.at(i).AsFloat(); }
    TDateTime date(size_t i) const { return m_args.at(i).AsDateTime(); }
    const ChangePacket& delta(size_t i) const { return *m_deltas.at(i); }

    // Sends a new value of a by-reference argument back to the client.
    void setRef(size_t i, Variant value) { m_refs.emplace_back(i, std::move(value)); }
    const std::vector<std::pair<size_t, Variant>>& refs() const { return m_refs; }

    // The reply being written. A handler with a large result (a packet of many rows) appends
    // the result's JSON text here, after what the buffer already holds, and returns null;
    // the reply then goes out without a copy of the result.
    std::string& replyText() { return m_reply; }
    // Starts the reply with the envelope's beginning (the dispatcher does).
    void beginReply(std::string head) {
        m_reply = std::move(head);
        m_replyHead = m_reply.size();
    }
    // True when the handler appended its result to the reply.
    bool wroteResult() const { return m_reply.size() > m_replyHead; }

  private:
    Database& m_database;
    SqlConnection* m_db;
    const Session* m_session;
    std::vector<Variant> m_args;
    std::vector<std::optional<ChangePacket>> m_deltas;
    TDateTime m_now;
    CallOrigin m_origin;
    std::vector<std::pair<size_t, Variant>> m_refs;
    std::string m_reply;
    size_t m_replyHead = 0;
};

// Read and Write: the dispatcher runs the handler inside one transaction of that kind. Own:
// the handler opens its own transactions (a login checks its password between two).
enum class Access { Read, Write, Own };

struct MethodDef {
    using Handler = std::function<Variant(CallContext&)>;

    std::string name;
    std::vector<ParamSpec> params;
    Access access = Access::Read;
    Handler handler;
    // Index of the parameter naming a branch; the call is refused when the session's operator
    // may not use it. -1: none.
    int branchParam = -1;
    bool needsSession = true;

    // Arguments a call must pass: the parameters before the first optional one.
    size_t requiredParams() const;
};

class MethodRegistry {
  public:
    // Adds a method; a second method of the same name (any case), or a required parameter
    // after an optional one, is a programming error.
    MethodRegistry& add(MethodDef def);
    const MethodDef* find(std::string_view name) const;
    std::vector<std::string> names() const;

  private:
    std::unordered_map<std::string, MethodDef> m_methods;  // by lower-case name
};

// Decodes one JSON argument as the parameter declares. Throws RpcError (bad_arguments,
// too_long) naming the parameter. A change packet is also parsed into `delta`.
Variant DecodeArgument(const ParamSpec& spec, size_t index, const nlohmann::json& value,
                       std::optional<ChangePacket>& delta);

}  // namespace zel::appserver
