// What the server refuses before any work is done for the caller: requests nested too deep or
// holding too many values, large bodies and any call but Login without a session (whatever
// its method and arguments), repeated failed logins, dates outside the calendar, and numbers
// that no longer fit their width.
#include "appserver/activity_rules.h"
#include "appserver/json_text.h"
#include "appserver/login_throttle.h"
#include "appserver/rpc_error.h"
#include "appserver/schema.h"
#include "test_support.h"

namespace zel::appserver::test {
namespace {

std::string Nested(int depth, const std::string& inner) {
    return std::string(static_cast<size_t>(depth), '[') + inner +
           std::string(static_cast<size_t>(depth), ']');
}

class RequestLimitsTest : public ::testing::Test {
  protected:
    json Raw(const std::string& body, const std::string& token = "",
             const std::string& address = "") {
        return json::parse(server.HandleRpc(body, token, address));
    }
    static std::string Request(const std::string& method, const std::string& params) {
        return R"({"method":")" + method + R"(","params":)" + params + R"(,"id":1})";
    }
    json LoginFrom(const std::string& address, const std::string& password,
                   const std::string& op = kDemoOperator) {
        return Raw(Request("Login", R"([")" + op + R"(",")" + password + R"(","0001"])"), "",
                   address);
    }
    AppServer server{DemoOptions()};
    RpcClient rpc{server};
};

TEST_F(RequestLimitsTest, NestingPastTheLimitIsABadRequestInsideItIsDecoded) {
    const std::string token = rpc.Login();
    // The envelope and the params list take two levels, the argument the rest.
    const json deep =
        Raw(Request("GetPrxTarefa", "[" + Nested(kMaxJsonDepth - 1, "1") + "]"), token);
    EXPECT_EQ(deep["error"]["code"], "bad_request");
    EXPECT_NE(deep["error"]["message"].get<std::string>().find(std::to_string(kMaxJsonDepth)),
              std::string::npos);
    const json atLimit =
        Raw(Request("GetPrxTarefa", "[" + Nested(kMaxJsonDepth - 2, "1") + "]"), token);
    EXPECT_EQ(atLimit["error"]["code"], "bad_arguments");
    // Far past the limit (deeper than a recursive parser's stack would survive) and in objects.
    EXPECT_EQ(Raw(Nested(200000, "0"))["error"]["code"], "bad_request");
    std::string objects;
    for (int i = 0; i < 100; ++i)
        objects += R"({"a":)";
    objects += "1" + std::string(100, '}');
    EXPECT_EQ(Raw(Request("GetPrxTarefa", "[" + objects + "]"), token)["error"]["code"],
              "bad_request");
    // Brackets inside strings are text, not nesting.
    EXPECT_EQ(Raw(Request("GetPrxTarefa", R"([")" + std::string(100, '[') + R"("])"),
                  token)["error"]["code"],
              "too_long");
}

TEST_F(RequestLimitsTest, ValuesPastTheLimitAreABadRequestWhateverTheirText) {
    const std::string token = rpc.Login();
    // Empty lists are two bytes of text and a whole value each once decoded.
    const auto lists = [](size_t n) {
        std::string text = "[";
        for (size_t i = 0; i < n; ++i)
            text += i ? ",[]" : "[]";
        return text + "]";
    };
    // The envelope brings eight values and keys of its own: {, "method", its name, "params",
    // the params list, the list argument, "id" and its number.
    const json over = Raw(Request("GetPrxTarefa", "[" + lists(kMaxJsonElements - 7) + "]"), token);
    EXPECT_EQ(over["error"]["code"], "bad_request");
    EXPECT_NE(over["error"]["message"].get<std::string>().find(std::to_string(kMaxJsonElements)),
              std::string::npos);
    const json under = Raw(Request("GetPrxTarefa", "[" + lists(kMaxJsonElements - 8) + "]"), token);
    EXPECT_EQ(under["error"]["code"], "bad_arguments");
    // Commas inside strings are text.
    EXPECT_EQ(JsonShapeProblem(R"([")" + std::string(kMaxJsonElements + 1, ',') + R"("])"), "");
}

TEST_F(RequestLimitsTest, WithoutASessionOnlyALoginSizedBodyIsRead) {
    const std::string padding(kMaxAnonymousBodyBytes, ' ');
    const std::string login = Request("Login", json{kDemoOperator, "demo", "0001"}.dump());
    for (const std::string& token : {std::string(), std::string("not-a-token")}) {
        const json big = Raw(login + padding, token);
        EXPECT_EQ(big["error"]["code"], "bad_request");
        EXPECT_NE(big["error"]["message"].get<std::string>().find("tamanho máximo"),
                  std::string::npos);
    }
    // With a session the same body is an ordinary call, and Login still fits.
    EXPECT_FALSE(Raw(login + padding, rpc.Login()).contains("error"));
    EXPECT_FALSE(Raw(login).contains("error"));
}

TEST_F(RequestLimitsTest, WithoutASessionNoMethodOrArgumentErrorIsTold) {
    for (const std::string& token : {std::string(), std::string("not-a-token")}) {
        EXPECT_EQ(Raw(Request("NoSuchMethod", "[]"), token)["error"]["code"], "unauthenticated");
        EXPECT_EQ(Raw(Request("GetPrxTarefa", "[]"), token)["error"]["code"], "unauthenticated");
        EXPECT_EQ(Raw(Request("GetPrxTarefa", "[1]"), token)["error"]["code"], "unauthenticated");
        EXPECT_EQ(Raw(Request("SetControle", R"(["not a packet"])"), token)["error"]["code"],
                  "unauthenticated");
        EXPECT_EQ(Raw(Request("GetPrxTarefa", R"([")" + std::string(5000, '0') + R"("])"),
                      token)["error"]["code"],
                  "unauthenticated");
    }
    // Login itself needs no session, and its arguments are checked.
    EXPECT_EQ(Raw(Request("Login", "[]"))["error"]["code"], "bad_arguments");
}

TEST_F(RequestLimitsTest, ADateOutsideTheCalendarIsABadArgument) {
    const std::string token = rpc.Login();
    for (const char* bad : {"1e308", "-1e308", "99999999", "-700000"}) {
        json params = AllMeetingsParams();
        params[10] = "D";  // filter by the two dates
        params[8] = json::parse(bad);
        const json reply = Raw(Request("GetControle", params.dump()), token);
        EXPECT_EQ(reply["error"]["code"], "bad_arguments") << bad;
        EXPECT_NE(reply["error"]["message"].get<std::string>().find("01/01/0001 e 31/12/9999"),
                  std::string::npos)
            << reply.dump();
    }
    // The same filter with real dates still answers.
    json params = AllMeetingsParams();
    params[10] = "D";
    params[8] = EncodeDate(2026, 1, 1);
    params[9] = EncodeDate(2026, 12, 31);
    EXPECT_FALSE(Raw(Request("GetControle", params.dump()), token).contains("error"));
}

TEST_F(RequestLimitsTest, RepeatedFailedLoginsWaitButNotFromAnotherAddress) {
    for (int i = 0; i < LoginThrottle::kPairFreeFailures; ++i)
        EXPECT_EQ(LoginFrom("10.0.0.1", "wrong")["error"]["code"], "unauthenticated");
    // While waiting even the right password is refused, before it is checked.
    const json refused = LoginFrom("10.0.0.1", "demo");
    EXPECT_EQ(refused["error"]["code"], "too_many_attempts");
    EXPECT_NE(refused["error"]["message"].get<std::string>().find("Aguarde"), std::string::npos);
    // The operator from his own address is not locked out by someone else's guesses.
    EXPECT_FALSE(LoginFrom("10.0.0.2", "demo").contains("error"));
}

TEST(LoginThrottleCountTest, WaitsDoubleUpToTheCeilingAndASuccessClearsThem) {
    const auto db = Database::Open("sqlite::memory:", 1);
    Migrate(*db);
    db->Transact(true, [](SqlConnection& c) {
        const TDateTime now = 46000.0;
        const double second = 1.0 / 86400.0;
        const auto wait = [&](const char* op, const char* address, TDateTime at = 46000.0) {
            return LoginThrottle::WaitFor(c, op, address, at);
        };
        for (int i = 0; i < LoginThrottle::kPairFreeFailures; ++i) {
            EXPECT_EQ(wait("op", "a"), 0) << "failure " << i;
            LoginThrottle::Failed(c, "op", "a", now);
        }
        const double first = wait("op", "a");
        EXPECT_NEAR(first, LoginThrottle::kFirstWaitSeconds, 0.01);
        LoginThrottle::Failed(c, "op", "a", now);
        EXPECT_NEAR(wait("op", "a"), 2 * first, 0.01);
        for (int i = 0; i < 30; ++i)
            LoginThrottle::Failed(c, "op", "a", now);
        EXPECT_LE(wait("op", "a"), LoginThrottle::kMaxWaitSeconds + 0.01);
        EXPECT_EQ(wait("op", "a", now + (LoginThrottle::kMaxWaitSeconds + 1) * second), 0);
        // The address's own count holds every operator tried from it, but no other address.
        EXPECT_EQ(wait("other", "b"), 0);
        EXPECT_GT(wait("other", "a"), 0);
        EXPECT_EQ(wait("op", "b"), 0);
        LoginThrottle::Succeeded(c, "op", "a");
        EXPECT_GT(wait("op", "a"), 0) << "the address's count stays";
        EXPECT_EQ(c.Exec("SELECT COUNT(*) FROM FALHALOGIN").rows[0][0].AsInteger(), 1);
    });
}

TEST(NumberWidthTest, ANumberThatOutgrowsItsWidthIsRefusedNotWidened) {
    EXPECT_EQ(NumberText(42, 10, "as reuniões"), "0000000042");
    EXPECT_EQ(NumberText(9999999999, 10, "as reuniões"), "9999999999");
    try {
        NumberText(10000000000, 10, "as reuniões");
        ADD_FAILURE() << "an 11-digit meeting number was handed out";
    } catch (const RpcError& e) {
        EXPECT_EQ(e.code(), code::kConflict);
        EXPECT_STREQ(e.what(), "Não há mais números disponíveis para as reuniões.");
    }
    EXPECT_THROW(NumberText(100000, 5, "as reservas"), RpcError);
}

}  // namespace
}  // namespace zel::appserver::test
