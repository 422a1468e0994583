// Writer: who makes a write and when, as every write path stamps it: the session's operator,
// the server clock read once at the start of the call, and the address of the workstation the
// request came from ("" when unknown). Method code takes it from WriterOf(ctx)
// (method_support.h), never from its arguments.
#pragma once

#include <string>

#include "platform/date_time.h"

namespace zel::appserver {

struct Writer {
    std::string op;
    TDateTime now = 0;
    std::string address;
};

}  // namespace zel::appserver
