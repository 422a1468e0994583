#include "server/call_recorder.h"

std::vector<std::string> CallRecorder::Methods() const {
    std::vector<std::string> names;
    names.reserve(m_calls.size());
    for (const auto& c : m_calls)
        names.push_back(c.method);
    return names;
}

std::string CallRecorder::ToString() const {
    std::string out;
    for (const auto& c : m_calls) {
        if (!out.empty()) out += '\n';
        out += c.method + '(';
        for (size_t i = 0; i < c.args.size(); ++i) {
            if (i > 0) out += ", ";
            if (i < c.byRef.size() && c.byRef[i]) out += '&';
            out += c.args[i].DebugString();
        }
        out += ')';
    }
    return out;
}
