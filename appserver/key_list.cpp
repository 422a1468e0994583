#include "appserver/key_list.h"

#include "appserver/rpc_error.h"

namespace zel::appserver {

namespace {

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::vector<std::string> ParseKeyList(const std::string& text, const std::string& what,
                                      size_t maxKeys) {
    const auto fail = [&](const std::string& why) {
        return RpcError(code::kBadArguments, "Lista de " + what + " inválida: " + why);
    };
    std::vector<std::string> keys;
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        while (i < n && Blank(text[i]))
            ++i;
        if (i >= n) break;
        std::string key;
        if (text[i] == '\'') {
            ++i;
            for (;;) {
                if (i >= n) throw fail("aspas sem fechamento.");
                if (text[i] == '\'') {
                    if (i + 1 < n && text[i + 1] == '\'') {
                        key += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                key += text[i++];
            }
            while (i < n && Blank(text[i]))
                ++i;
            if (i < n && text[i] != ',') throw fail("texto após as aspas.");
        } else {
            while (i < n && text[i] != ',')
                key += text[i++];
            while (!key.empty() && Blank(key.back()))
                key.pop_back();
        }
        if (i < n && text[i] == ',') ++i;
        if (key.empty()) continue;
        if (keys.size() == maxKeys) throw fail("mais de " + std::to_string(maxKeys) + " itens.");
        keys.push_back(std::move(key));
    }
    return keys;
}

}  // namespace zel::appserver
