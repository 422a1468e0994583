#include "appserver/method_registry.h"

#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "appserver/rpc_error.h"
#include "appserver/sql_value.h"
#include "platform/date_time.h"
#include "platform/exceptions.h"

namespace zel::appserver {

namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

[[noreturn]] void BadArgument(const ParamSpec& spec, size_t index, const std::string& why) {
    throw RpcError(code::kBadArguments, "Argumento " + std::to_string(index + 1) + " (" +
                                            spec.name + ") inválido: " + why);
}

const char* KindText(ParamKind kind) {
    switch (kind) {
        case ParamKind::String:
            return "um texto";
        case ParamKind::Number:
            return "um número";
        case ParamKind::DateTime:
            return "uma data/hora";
        case ParamKind::DataPacket:
            return "um pacote de dados";
        case ParamKind::ChangePacket:
            return "um pacote de alterações";
        case ParamKind::Any:
            break;
    }
    return "um valor";
}

}  // namespace

bool Session::MayUse(const std::string& branchCode) const {
    return std::find(branches.begin(), branches.end(), branchCode) != branches.end();
}

size_t MethodDef::requiredParams() const {
    size_t n = 0;
    while (n < params.size() && !params[n].optional)
        ++n;
    return n;
}

MethodRegistry& MethodRegistry::add(MethodDef def) {
    std::string key = Lower(def.name);
    if (m_methods.count(key)) throw std::logic_error("method registered twice: " + def.name);
    for (size_t i = def.requiredParams(); i < def.params.size(); ++i)
        if (!def.params[i].optional)
            throw std::logic_error("required parameter after an optional one: " + def.name);
    m_methods.emplace(std::move(key), std::move(def));
    return *this;
}

const MethodDef* MethodRegistry::find(std::string_view name) const {
    auto it = m_methods.find(Lower(name));
    return it == m_methods.end() ? nullptr : &it->second;
}

std::vector<std::string> MethodRegistry::names() const {
    std::vector<std::string> out;
    for (const auto& [key, def] : m_methods)
        out.push_back(def.name);
    std::sort(out.begin(), out.end());
    return out;
}

Variant DecodeArgument(const ParamSpec& spec, size_t index, const nlohmann::json& value,
                       std::optional<ChangePacket>& delta) {
    const std::string expected = std::string("esperava ") + KindText(spec.kind) + ".";
    switch (spec.kind) {
        case ParamKind::String: {
            if (value.is_null()) return Variant(std::string());
            if (!value.is_string()) BadArgument(spec, index, expected);
            std::string s = value.get<std::string>();
            if (spec.maxLength > 0 && Utf8Length(s) > static_cast<size_t>(spec.maxLength))
                throw RpcError(code::kTooLong, "Argumento " + std::to_string(index + 1) + " (" +
                                                   spec.name + ") aceita no máximo " +
                                                   std::to_string(spec.maxLength) + " caracteres.");
            return Variant(std::move(s));
        }
        case ParamKind::Number: {
            if (value.is_number_integer()) return Variant(value.get<long long>());
            if (value.is_number()) return Variant(value.get<double>());
            double d = 0;
            if (value.is_string() && ParsePtBrNumber(value.get<std::string>(), d))
                return Variant(d);
            BadArgument(spec, index, expected);
        }
        case ParamKind::DateTime: {
            if (value.is_number()) {
                const double d = value.get<double>();
                if (!IsValidDateTime(d))
                    BadArgument(spec, index, "esperava uma data entre 01/01/0001 e 31/12/9999.");
                return Variant::FromDateTime(d);
            }
            if (value.is_object() && value.contains("$dt")) {
                try {
                    return VariantFromJson(value);
                } catch (const std::exception& e) {
                    BadArgument(spec, index, e.what());
                }
            }
            BadArgument(spec, index, expected);
        }
        case ParamKind::DataPacket:
            try {
                DataPacketFromJson(value);
                return Variant::FromPacket(value);
            } catch (const std::exception& e) {
                BadArgument(spec, index, e.what());
            }
        case ParamKind::ChangePacket:
            try {
                delta = ChangePacketFromJson(value);
                return Variant::FromPacket(value);
            } catch (const std::exception& e) {
                BadArgument(spec, index, e.what());
            }
        case ParamKind::Any:
            try {
                return VariantFromJson(value);
            } catch (const std::exception& e) {
                BadArgument(spec, index, e.what());
            }
    }
    BadArgument(spec, index, expected);
}

}  // namespace zel::appserver
