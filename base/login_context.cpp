#include "base/login_context.h"

#include <nlohmann/json.hpp>

#include "platform/exceptions.h"
#include "platform/packet.h"
#include "server/server_connection.h"

namespace {

LoginContext& context() {
    static LoginContext c;
    return c;
}

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> out;
    std::string item;
    auto flush = [&] {
        const auto b = item.find_first_not_of(" '");
        const auto e = item.find_last_not_of(" '");
        if (b != std::string::npos) out.push_back(item.substr(b, e - b + 1));
        item.clear();
    };
    for (char c : text) {
        if (c == ',')
            flush();
        else
            item += c;
    }
    flush();
    return out;
}

bool isMaskChar(char c) {
    return c == '0' || c == '9' || c == '#' || c == 'L' || c == 'l' || c == 'A' || c == 'a' ||
           c == 'C' || c == 'c';
}

}  // namespace

TPictureMask MakePictureMask(int kind, const std::string& picture) {
    TPictureMask m;
    m.kind = kind;
    m.picture = picture;
    const auto semicolon = picture.find(';');
    const std::string body = picture.substr(0, semicolon);
    // Tree codes keep their separators in the stored value: "01.02.003".
    m.editMask = semicolon == std::string::npos ? picture + ";1;_" : picture;
    bool inGroup = false;
    for (char c : body) {
        if (isMaskChar(c)) {
            if (!inGroup) ++m.levels;
            inGroup = true;
        } else if (c != '!' && c != '>' && c != '<') {
            inGroup = false;
        }
    }
    return m;
}

void SetLoginContext(LoginContext c) {
    context() = std::move(c);
    TServerConnection::SetSessionTokenProvider([] { return context().token; });
}

LoginContext LoginContextFromPacket(const Variant& loginResult, std::string host, int port) {
    DataPacket packet;
    try {
        packet = DataPacketFromJson(loginResult.AsPacket());
    } catch (const Exception& e) {
        throw Exception("Resposta de login inválida: " + e.Message());
    }
    if (packet.rows.size() != 1) throw Exception("Resposta de login inválida: esperada uma linha.");
    const PacketRow& row = packet.rows.front();
    auto text = [&](const char* name, bool required) {
        const int i = packet.FieldIndex(name);
        if (i < 0) {
            if (required)
                throw Exception(std::string("Resposta de login sem o campo ") + name + ".");
            return std::string();
        }
        return row[i].AsString();
    };
    LoginContext c;
    c.serverHost = std::move(host);
    c.serverPort = port;
    c.token = text("TOKEN", true);
    c.operatorCode = text("CDOPERADOR", true);
    c.operatorName = text("NMOPERADOR", false);
    c.branch = text("CDFILIAL", true);
    c.branches = splitList(text("FILIAIS", false));
    c.masks.push_back(MakePictureMask(13, text("MASCPROCESSO", false)));
    c.masks.push_back(MakePictureMask(15, text("MASCITTRAB", false)));
    return c;
}

void ClearLoginContext() {
    SetLoginContext(LoginContext{});
}
const LoginContext& CurrentLogin() {
    return context();
}
std::string CurrentOperator() {
    return context().operatorCode;
}
std::string CurrentOperatorName() {
    return context().operatorName;
}
std::string CurrentBranch() {
    return context().branch;
}
std::string ServerHost() {
    return context().serverHost;
}
int ServerPort() {
    return context().serverPort;
}
std::string SessionToken() {
    return context().token;
}

const TPictureMask& PictureMaskObject(int kind) {
    for (const auto& m : context().masks)
        if (m.kind == kind) return m;
    static const TPictureMask none;
    return none;
}

std::string PictureMask(int kind) {
    const auto& m = PictureMaskObject(kind);
    return m.picture.empty() ? std::string() : m.editMask;
}
