#include "base/multi_select_keys.h"

#include "platform/client_data_set.h"
#include "platform/routines.h"

std::vector<std::string> ParseKeyList(const std::string& keys) {
    std::vector<std::string> out;
    std::string item;
    bool quoted = false;
    auto flush = [&] {
        std::string k = TrimAll(item);
        if (k.size() >= 2 && k.front() == '\'' && k.back() == '\'') k = k.substr(1, k.size() - 2);
        std::string unescaped;
        for (size_t i = 0; i < k.size(); ++i) {
            unescaped += k[i];
            if (k[i] == '\'' && i + 1 < k.size() && k[i + 1] == '\'') ++i;
        }
        if (!unescaped.empty()) out.push_back(unescaped);
        item.clear();
    };
    for (char c : keys) {
        if (c == '\'') quoted = !quoted;
        if (c == ',' && !quoted)
            flush();
        else
            item += c;
    }
    flush();
    return out;
}

std::string FormatKeyList(const std::vector<std::string>& keys) {
    std::string out;
    for (const auto& k : keys) {
        if (!out.empty()) out += ',';
        out += '\'';
        for (char c : k) {
            out += c;
            if (c == '\'') out += '\'';
        }
        out += '\'';
    }
    return out;
}

bool FindInDataSet(TClientDataSet& dataSet, const std::string& text) {
    const std::string wanted = UpperCase(TrimAll(text));
    if (wanted.empty() || !dataSet.Active()) return false;
    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        TField& f = dataSet.Fields(i);
        if (!f.Visible()) continue;
        if (f.DataType() != TFieldType::ftString && f.DataType() != TFieldType::ftFixedChar)
            continue;
        if (dataSet.Locate(f.FieldName(), {Variant(wanted)}, {loCaseInsensitive, loPartialKey}))
            return true;
    }
    return false;
}
