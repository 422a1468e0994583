#include "messages/message_table.h"

#include <spdlog/spdlog.h>

#include <mutex>

#include "platform/exceptions.h"
#include "platform/routines.h"

namespace {

std::mutex g_handlerMutex;
MessageDialogHandler g_handler;

}  // namespace

MessageDialogHandler SetMessageDialogHandler(MessageDialogHandler handler) {
    std::lock_guard lock(g_handlerMutex);
    std::swap(g_handler, handler);
    return handler;
}

TMessageTable::TMessageTable(std::string name, std::string_view text) : m_name(std::move(name)) {
    size_t lineNo = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        const size_t bar = line.find('|');
        if (bar == std::string_view::npos || bar == 0)
            throw Exception("Message table " + m_name + ", line " + std::to_string(lineNo) +
                            ": expected key|text, got '" + std::string(line) + "'");
        m_entries.push_back({std::string(line.substr(0, bar)), std::string(line.substr(bar + 1))});
    }
}

const TMessageTable::Entry* TMessageTable::Find(const std::string& key) const {
    for (const Entry& e : m_entries)
        if (SameText(e.key, key)) return &e;
    return nullptr;
}

std::string TMessageTable::Msg(const std::string& key) const {
    if (const Entry* e = Find(key)) return e->text;
    spdlog::warn("message table {} has no entry '{}'", m_name, key);
    return "";
}

bool TMessageTable::Contains(const std::string& key) const {
    return Find(key) != nullptr;
}

int TMessageTable::ShowMsg(const std::string& key, TMsgDlgType type, TMsgDlgButtons buttons,
                           int /*helpContext*/) const {
    const Entry* e = Find(key);
    if (!e) throw Exception("Message table " + m_name + " has no entry '" + key + "'");
    MessageDialogHandler handler;
    {
        std::lock_guard lock(g_handlerMutex);
        handler = g_handler;
    }
    if (!handler) throw Exception("No message dialog is installed to show '" + e->text + "'");
    return handler(e->text, type, buttons);
}

std::vector<std::string> TMessageTable::Keys() const {
    std::vector<std::string> keys;
    keys.reserve(m_entries.size());
    for (const Entry& e : m_entries)
        keys.push_back(e.key);
    return keys;
}

std::vector<std::string> TMessageTable::Lines() const {
    std::vector<std::string> lines;
    lines.reserve(m_entries.size());
    for (const Entry& e : m_entries)
        lines.push_back(e.key + "|" + e.text);
    return lines;
}
