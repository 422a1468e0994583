#include "server/check_server_result.h"

#include <cstdio>

// External linkage on purpose: one hook per process even when this library is linked into
// several shared objects (see server_connection.cpp).
namespace zel_server_detail {
std::function<void(const std::string&)>& display() {
    static std::function<void(const std::string&)> hook;
    return hook;
}
}  // namespace zel_server_detail
using zel_server_detail::display;

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
