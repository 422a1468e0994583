// SQLite backend of the storage interface: a file database in WAL mode (readers never wait
// for the writer; an interrupted process leaves the last committed state) or one private
// in-memory database. Foreign keys are enforced on every connection.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "appserver/storage.h"

namespace zel::appserver {

// `busyWait`: how long a statement waits for another process's lock before SQLITE_BUSY.
std::unique_ptr<SqlConnection> OpenSqliteFile(
    const std::string& path, std::chrono::milliseconds busyWait = kDefaultBusyWait);
std::unique_ptr<SqlConnection> OpenSqliteMemory();

}  // namespace zel::appserver
