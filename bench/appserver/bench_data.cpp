#include "bench_data.h"

#include <filesystem>
#include <nlohmann/json.hpp>

#include "appserver/app_server_impl.h"
#include "appserver/counters.h"
#include "appserver/meeting_record.h"
#include "platform/date_time.h"

namespace zel::appserver::bench {

using nlohmann::json;

const std::string kRawControleSql = std::string(kControleSelectSql) +
                                    " AND T.IDSITTAREFA IN (?, ?, ?, ?) "
                                    "ORDER BY T.DTHRREUNIAO, T.NRTAREFA";

BenchServer::~BenchServer() {
    server.reset();
    if (!dir.empty()) std::filesystem::remove_all(dir);
}

std::unique_ptr<BenchServer> MakeBenchServer(int meetings, int poolSize) {
    auto b = std::make_unique<BenchServer>();
    b->dir = (std::filesystem::temp_directory_path() / "zel-bench-XXXXXX").string();
    if (!mkdtemp(b->dir.data())) throw std::runtime_error("mkdtemp");
    b->dbPath = b->dir + "/zel.db";
    AppServerOptions o;
    o.db = "sqlite:" + b->dbPath;
    o.demo = true;
    o.fastPasswordHashing = true;
    o.poolSize = poolSize;
    b->server = std::make_unique<AppServer>(o);
    b->server->Impl().db().Transact(true, [&](SqlConnection& c) {
        const TDateTime today = Date();
        const int have = static_cast<int>(
            c.Exec("SELECT COUNT(*) FROM TAREFA WHERE CDFILIAL = '0001'").rows[0][0].AsInteger());
        for (int i = have; i < meetings; ++i) {
            const std::string nr = ZeroFill(NextCounterValue(c, counter::kMeeting, "0001"), 10);
            c.Exec(
                "INSERT INTO TAREFA (CDFILIAL, NRTAREFA, DSREFETAREFA, CDPROCESSO, CDOPERRESP, "
                "CDPROJETO, CDASSUNTO, CDOPERABER, DTABERTAREFA, IDSITTAREFA, IDORIGTARE, "
                "DTHRREUNIAO, QTHRREUNIAO) VALUES ('0001', ?, ?, '0000000002', "
                "'000000000002', '0000000001', '00002', '000000000001', ?, ?, '4', ?, 1.5)",
                {nr, "Reunião de acompanhamento " + std::to_string(i),
                 Variant::FromDateTime(today - 30), std::string(1, "PACX"[i % 4]),
                 Variant::FromDateTime(today - 180 + i * 0.37)});
        }
    });
    const json login = json::parse(b->server->HandleRpc(
        R"({"method":"Login","params":["000000000001","demo","0001"],"id":1})", ""));
    b->token = login["result"]["rows"][0][0];
    return b;
}

std::string GetControleRequest() {
    return json{{"method", "GetControle"},
                {"params", {"0001", "", "T", "_P_A_C_X", "", "T", "", "T", 0, 0, "T"}},
                {"id", 1}}
        .dump();
}

std::string HoraServidorRequest() {
    return R"({"method":"getHoraServidor","params":[],"id":1})";
}

}  // namespace zel::appserver::bench
