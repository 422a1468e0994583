#include "server/check_server_result.h"

#include <cstdio>

namespace {

std::function<void(const std::string&)>& display() {
    static std::function<void(const std::string&)> hook;
    return hook;
}

}  // namespace

Variant CheckServerResult(const Variant& result, bool /*showError*/, int /*mode*/) {
    return result;
}

void SetServerErrorDisplay(std::function<void(const std::string&)> hook) {
    display() = std::move(hook);
}

void ShowServerError(const std::string& text) {
    if (display())
        display()(text);
    else
        std::fprintf(stderr, "%s\n", text.c_str());
}
