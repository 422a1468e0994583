// Small helpers shared by the method areas: declaring a method in one line and returning a
// data packet built from query rows.
#pragma once

#include <string>
#include <vector>

#include "appserver/method_registry.h"
#include "appserver/packet_builder.h"
#include "platform/routines.h"

namespace zel::appserver {

inline void AddMethod(MethodRegistry& registry, const char* name, std::vector<ParamSpec> params,
                      MethodDef::Handler handler, int branchParam, Access access = Access::Read) {
    MethodDef def;
    def.name = name;
    def.params = std::move(params);
    def.handler = std::move(handler);
    def.branchParam = branchParam;
    def.access = access;
    registry.add(std::move(def));
}

inline Variant RowsPacket(const std::vector<FieldDef>& fields, const std::vector<SqlRow>& rows) {
    return PacketResult(BuildDataPacket(fields, rows));
}

}  // namespace zel::appserver
