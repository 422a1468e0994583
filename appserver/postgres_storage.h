// PostgreSQL backend of the storage interface (libpqxx): one server connection per pooled
// connection, READ COMMITTED transactions, statements prepared once per connection.
#pragma once

#include <memory>
#include <string>

#include "appserver/storage.h"

namespace zel::appserver {

// conninfo: a "postgresql://" URI or "key=value" pairs. Throws DbError(Unavailable).
std::unique_ptr<SqlConnection> OpenPostgres(const std::string& conninfo);

// "?" placeholders outside quotes become $1, $2, ...
std::string ToDollarPlaceholders(const std::string& sql);

}  // namespace zel::appserver
