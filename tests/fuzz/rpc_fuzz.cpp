// libFuzzer harness: request decoding, the dispatcher and the packet / change-packet readers.
// Every input must come back as a response envelope (HandleRpc never throws, never crashes),
// and the packet readers either return a packet or throw EDatabaseError / EConvertError.
// The first byte picks the path, so one corpus exercises all three: 'A' a call with the
// harness's session, 'B' a call without one, 'C' the packet readers (other bytes wrap around).
// Without a session only Login may get past the session check: any other method, known or not,
// and whatever its arguments, must be refused as unauthenticated before they are decoded.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "appserver/app_server.h"
#include "platform/exceptions.h"
#include "platform/packet.h"

using nlohmann::json;
using zel::appserver::AppServer;
using zel::appserver::AppServerOptions;

namespace {

struct Harness {
    std::unique_ptr<AppServer> server;
    std::string token;
    Harness()
        : server(std::make_unique<AppServer>([] {
              AppServerOptions o;
              o.demo = true;
              o.fastPasswordHashing = true;
              return o;
          }())) {
        const json r = json::parse(server->HandleRpc(
            R"({"method":"Login","params":["000000000001","demo","0001"],"id":1})", ""));
        token = r["result"]["rows"][0][0];
    }
};

void CheckEnvelope(const std::string& response) {
    const json r = json::parse(response);  // throws (and so aborts the run) if not JSON
    if (!r.is_object() || !(r.contains("result") || r.contains("error"))) __builtin_trap();
    if (r.contains("error") && !r["error"]["code"].is_string()) __builtin_trap();
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// A call without a token: a malformed request is a bad request; a well-formed one that is not
// Login never reaches argument decoding or the method lookup.
void CheckAnonymous(const std::string& body, const std::string& response) {
    CheckEnvelope(response);
    const json r = json::parse(response);
    if (!r.contains("error")) {
        const json req = json::parse(body, nullptr, false);
        if (!req.is_object() || Lower(req.value("method", std::string())) != "login")
            __builtin_trap();  // a result without a session
        return;
    }
    const std::string code = r["error"]["code"];
    if (code == "bad_request" || code == "unauthenticated") return;
    const json req = json::parse(body, nullptr, false);
    const auto m = req.is_object() ? req.find("method") : req.end();
    if (req.is_object() && m != req.end() && m->is_string() &&
        Lower(m->get<std::string>()) == "login")
        return;
    __builtin_trap();  // an argument or method error told to a caller without a session
}

void ReadPackets(const std::string& text) {
    const json j = json::parse(text, nullptr, false);
    if (j.is_discarded()) return;
    try {
        (void)DataPacketToJson(DataPacketFromJson(j));
    } catch (const Exception&) {
    }
    try {
        (void)ChangePacketToJson(ChangePacketFromJson(j));
    } catch (const Exception&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Harness h;
    if (size == 0) return 0;
    const std::string body(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (static_cast<uint8_t>(data[0] - 'A') % 3) {
        case 0: {
            const std::string response = h.server->HandleRpc(body, h.token);
            CheckEnvelope(response);
            // A fuzzed Logout ends the harness's session; open another one.
            if (response.find("\"unauthenticated\"") != std::string::npos) h = Harness();
            break;
        }
        case 1:
            CheckAnonymous(body, h.server->HandleRpc(body, ""));
            break;
        default:
            ReadPackets(body);
            break;
    }
    return 0;
}
