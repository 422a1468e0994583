// Shared by the application-server benchmarks: a server on a SQLite file with the demo data
// plus enough meetings to reach `meetings` in branch 0001, and a logged-in token.
#pragma once

#include <memory>
#include <string>

#include "appserver/app_server.h"

namespace zel::appserver::bench {

struct BenchServer {
    std::string dir, dbPath;
    std::unique_ptr<AppServer> server;
    std::string token;
    ~BenchServer();
};

std::unique_ptr<BenchServer> MakeBenchServer(int meetings, int poolSize = 8);

// The GetControle request for every meeting of branch 0001.
std::string GetControleRequest();
std::string HoraServidorRequest();

// The meeting-list query, as the server runs it with every "all" flag set.
extern const std::string kRawControleSql;

}  // namespace zel::appserver::bench
