// SqlQuery: SQL text built from fixed pieces plus the values bound to its placeholders.
// Lists become "col IN (?, ?, ...)"; the count of placeholders is rounded up to a power of
// two (repeating the last value) so a few prepared statements serve every list length.
#pragma once

#include <string>
#include <vector>

#include "appserver/storage.h"

namespace zel::appserver {

struct SqlQuery {
    std::string sql;
    SqlParams params;

    // "column IN (...)" bound to `values`; an empty list matches nothing ("1 = 0").
    std::string In(const std::string& column, const std::vector<std::string>& values) {
        if (values.empty()) return "1 = 0";
        size_t slots = 1;
        while (slots < values.size())
            slots *= 2;
        std::string out = column + " IN (";
        for (size_t i = 0; i < slots; ++i) {
            out += i ? ", ?" : "?";
            params.push_back(values[i < values.size() ? i : values.size() - 1]);
        }
        return out + ")";
    }
};

}  // namespace zel::appserver
