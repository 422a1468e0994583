#include "base/server_query.h"

#include <strings.h>

#include <nlohmann/json.hpp>

#include "server/check_server_result.h"
#include "server/server_connection.h"

TServerQuery::TServerQuery(std::string queryName)
    : TClientDataSet(queryName), QueryName(std::move(queryName)) {}

TServerQueryParam& TServerQuery::AddParam(const std::string& name) {
    for (TServerQueryParam& p : m_params)
        if (strcasecmp(p.Name().c_str(), name.c_str()) == 0) return p;
    m_params.emplace_back(name);
    return m_params.back();
}

TServerQueryParam& TServerQuery::ParamByName(const std::string& name) {
    for (TServerQueryParam& p : m_params)
        if (strcasecmp(p.Name().c_str(), name.c_str()) == 0) return p;
    throw EDatabaseError(Name() + ": Parameter '" + name + "' not found");
}

Variant TServerQuery::ParamsPacket() const {
    DataPacket packet;
    PacketRow row;
    for (const TServerQueryParam& p : m_params) {
        packet.fields.push_back(FieldDef{p.Name(), TFieldType::ftString, 0, 0});
        row.push_back(Variant(p.AsString()));
    }
    // No parameters: a packet without fields and rows.
    if (!m_params.empty()) packet.rows.push_back(std::move(row));
    return Variant::FromPacket(DataPacketToJson(packet));
}

void TServerQuery::Open() {
    if (!Connection) throw EDatabaseError(Name() + ": no server connection");
    Close();
    const Variant result =
        Connection->AppServer().Call("OpenServerQuery", {Arg(QueryName), Arg(ParamsPacket())});
    SetData(CheckServerResult(result, true, 0));
}

void TServerQuery::Close() {
    TClientDataSet::Close();
}
