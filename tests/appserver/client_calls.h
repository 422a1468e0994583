// Calls through the client's TServerConnection (the path the host and the modules take) with
// JSON arguments and a JSON result, for the end-to-end tests that build their arguments with
// the JSON helpers of test_support.h.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "server/server_connection.h"

namespace zel::appserver::test {

// `params` is a JSON array (write json::array({x}) for one JSON argument: {x} copies x).
// The call's result as JSON; throws EServerError as every client call does.
nlohmann::json CallJson(TServerConnection& net, const std::string& method,
                        const nlohmann::json& params = nlohmann::json::array());
// The error code of the call ("" when it succeeded).
std::string CallError(TServerConnection& net, const std::string& method,
                      const nlohmann::json& params = nlohmann::json::array());

}  // namespace zel::appserver::test
