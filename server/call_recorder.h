// CallRecorder: the list of application-server calls a connection made, in order, with the
// arguments as sent. Window tests attach one to a connection and check what the window asked
// of the server with one assertion on ToString():
//
//   getHoraServidor()
//   GetControle('0001', '', 'T', ..., #2026-12-07T00:00:00#, 'T')
//   GetSeqSalas(&'', #2026-12-07T00:00:00#)          <- '&' marks a by-reference argument
#pragma once

#include <string>
#include <vector>

#include "platform/variant.h"

class CallRecorder {
  public:
    struct Call {
        std::string method;
        std::vector<Variant> args;
        std::vector<bool> byRef;  // one per argument
    };

    void Record(Call call) { m_calls.push_back(std::move(call)); }
    void Clear() { m_calls.clear(); }

    const std::vector<Call>& Calls() const { return m_calls; }
    std::vector<std::string> Methods() const;
    // One line per call, "Method(arg, arg)", in Variant::DebugString form; lines joined by '\n'.
    std::string ToString() const;

  private:
    std::vector<Call> m_calls;
};
