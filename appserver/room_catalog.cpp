#include "appserver/room_catalog.h"

#include <algorithm>
#include <cmath>

#include "appserver/key_list.h"
#include "appserver/method_support.h"
#include "appserver/methods.h"
#include "appserver/rpc_error.h"
#include "platform/routines.h"

namespace zel::appserver {

namespace {

constexpr size_t kMaxTagLength = 30;

[[noreturn]] void Refuse(const std::string& message) {
    throw RpcError(code::kBadArguments, message);
}

std::optional<int64_t> PlacesOf(const Variant& v) {
    if (v.IsNull()) return std::nullopt;
    return v.AsInteger();
}

}  // namespace

std::string NormalRoomTag(const std::string& text) {
    std::string tag;
    bool blank = false;
    for (const char c : text) {
        if (c == ' ' || c == '\t') {
            blank = !tag.empty();
            continue;
        }
        if (static_cast<unsigned char>(c) < ' ' || c == ',' || c == '\'')
            Refuse("Equipamento inválido: \"" + text +
                   "\" (não use vírgula, apóstrofo nem caracteres de controle).");
        if (blank) tag += ' ';
        blank = false;
        tag += c;
    }
    if (tag.empty()) Refuse("Informe o nome do equipamento.");
    if (Utf8Length(tag) > kMaxTagLength)
        Refuse("Equipamento \"" + tag + "\" tem mais de " + std::to_string(kMaxTagLength) +
               " caracteres.");
    return LowerCase(tag);
}

std::vector<std::string> ParseRoomTags(const std::string& text) {
    std::vector<std::string> tags;
    for (const std::string& item : ParseKeyList(text, "equipamentos", kMaxRoomTags)) {
        std::string tag = NormalRoomTag(item);
        if (std::find(tags.begin(), tags.end(), tag) == tags.end()) tags.push_back(std::move(tag));
    }
    return tags;
}

std::string RoomTagsText(const std::vector<std::string>& tags) {
    std::string text;
    for (const std::string& t : tags)
        text += (text.empty() ? "" : ", ") + t;
    return text;
}

std::string RoomNeeds::Text() const {
    std::string text = places > 0 ? std::to_string(places) + " lugares" : "";
    const std::string list = RoomTagsText(tags);
    if (!list.empty()) text += (text.empty() ? "" : ", ") + list;
    return text;
}

RoomNeeds ParseRoomNeeds(double places, const std::string& tags) {
    if (!(places >= 0 && places <= static_cast<double>(kMaxRoomPlaces)) ||
        std::trunc(places) != places)
        Refuse("Número de lugares inválido: informe um número inteiro de 0 a " +
               std::to_string(kMaxRoomPlaces) + ".");
    return {static_cast<int64_t>(places), ParseRoomTags(tags)};
}

bool Fits(const RoomInfo& room, const RoomNeeds& needs) {
    if (needs.places > 0 && (!room.places || *room.places < needs.places)) return false;
    for (const std::string& tag : needs.tags)
        if (!std::binary_search(room.tags.begin(), room.tags.end(), tag)) return false;
    return true;
}

bool SmallerRoomFirst(const RoomInfo& a, const RoomInfo& b) {
    if (a.places.has_value() != b.places.has_value()) return a.places.has_value();
    if (a.places != b.places) return *a.places < *b.places;
    return a.code < b.code;
}

std::map<std::string, std::vector<std::string>> BranchRoomTags(SqlConnection& db,
                                                               const std::string& branch) {
    std::map<std::string, std::vector<std::string>> tags;
    for (const SqlRow& r : db.Exec("SELECT CDSALA, NMEQUIPSALA FROM EQUIPSALA WHERE CDFILIAL = ? "
                                   "ORDER BY CDSALA, NMEQUIPSALA",
                                   {branch})
                               .rows)
        tags[r[0].AsString()].push_back(r[1].AsString());
    return tags;
}

std::vector<RoomInfo> FittingRooms(SqlConnection& db, const std::string& branch,
                                   const RoomNeeds& needs) {
    auto tags = BranchRoomTags(db, branch);
    std::vector<RoomInfo> rooms;
    for (const SqlRow& r : db.Exec("SELECT CDSALA, NMSALA, QTCAPACSALA FROM SALA "
                                   "WHERE CDFILIAL = ? AND IDATIVO = 'S'",
                                   {branch})
                               .rows) {
        RoomInfo room{r[0].AsString(), r[1].AsString(), PlacesOf(r[2]),
                      std::move(tags[r[0].AsString()])};
        if (Fits(room, needs)) rooms.push_back(std::move(room));
    }
    std::sort(rooms.begin(), rooms.end(), SmallerRoomFirst);
    return rooms;
}

std::vector<ParamSpec> RoomRequestParams() {
    return {Optional(NumParam("QTLUGARES")), Optional(StrParam("DSEQUIPSALA", 700)),
            Optional(StrParam("IDSOCABEM", 1))};
}

std::optional<RoomRequest> RequestedRooms(const CallContext& ctx, size_t first) {
    if (!ctx.has(first)) return std::nullopt;
    RoomRequest request;
    request.needs = ParseRoomNeeds(ctx.num(first), ctx.has(first + 1) ? ctx.str(first + 1) : "");
    const std::string only = ctx.has(first + 2) ? TrimAll(ctx.str(first + 2)) : "";
    if (!only.empty() && only != "S" && only != "N")
        Refuse("IDSOCABEM deve ser \"S\" (só as salas que atendem) ou \"N\" (todas as salas).");
    request.onlyFitting = only != "N";
    return request;
}

std::vector<FieldDef> WithRoomDescription(std::vector<FieldDef> fields) {
    fields.push_back(Field("QTCAPACSALA", TFieldType::ftInteger));
    fields.push_back(StringField("DSEQUIPSALA", 700));
    fields.push_back(StringField("IDCABE", 1));
    return fields;
}

void DescribeRooms(SqlConnection& db, const std::string& branch, std::vector<SqlRow>& rows,
                   size_t codeColumn, const std::optional<RoomRequest>& request, bool rank) {
    const auto tags = BranchRoomTags(db, branch);
    struct Described {
        SqlRow row;
        RoomInfo room;
        bool fits;
    };
    std::vector<Described> described;
    described.reserve(rows.size());
    for (SqlRow& row : rows) {
        RoomInfo room;
        room.code = row.at(codeColumn).AsString();
        room.places = PlacesOf(row.back());
        if (auto it = tags.find(room.code); it != tags.end()) room.tags = it->second;
        const bool fits = !request || Fits(room, request->needs);
        if (!fits && request->onlyFitting) continue;
        row.push_back(RoomTagsText(room.tags));
        row.push_back(fits ? "S" : "N");
        described.push_back({std::move(row), std::move(room), fits});
    }
    if (request && rank)
        std::stable_sort(described.begin(), described.end(),
                         [](const Described& a, const Described& b) {
                             if (a.fits != b.fits) return a.fits;
                             return a.fits && SmallerRoomFirst(a.room, b.room);
                         });
    rows.clear();
    for (Described& d : described)
        rows.push_back(std::move(d.row));
}

}  // namespace zel::appserver
