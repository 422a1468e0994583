#include "client_calls.h"

#include <vector>

#include "platform/exceptions.h"

namespace zel::appserver::test {

nlohmann::json CallJson(TServerConnection& net, const std::string& method,
                        const nlohmann::json& params) {
    std::vector<CallArg> args;
    for (const auto& p : params)
        args.push_back(Arg(VariantFromJson(p)));
    return VariantToJson(net.AppServer().Call(method, args));
}

std::string CallError(TServerConnection& net, const std::string& method,
                      const nlohmann::json& params) {
    try {
        CallJson(net, method, params);
        return "";
    } catch (const EServerError& e) {
        return e.Code();
    }
}

}  // namespace zel::appserver::test
