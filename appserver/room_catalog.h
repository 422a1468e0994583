// What a room offers and what a meeting needs of it: the number of places (SALA.QTCAPACSALA)
// and the equipment tags (EQUIPSALA), the rule that says whether a room fits, and the extra
// columns the room listings carry (places, tags, fits). Used by the room methods, the slot
// suggestions and the administration commands; every function runs in the caller's
// transaction.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "appserver/method_registry.h"
#include "appserver/storage.h"
#include "platform/packet.h"

namespace zel::appserver {

inline constexpr size_t kMaxRoomTags = 20;         // tags one room may carry
inline constexpr int64_t kMaxRoomPlaces = 100000;  // places one room may hold

// A tag as it is stored and compared: blanks trimmed and collapsed, lower case (Portuguese
// accents included), so "Quadro  Branco" and "quadro branco" are one tag. Throws RpcError
// bad_arguments for an empty tag, one over 30 characters, or one with a comma (tags are
// listed separated by commas).
std::string NormalRoomTag(const std::string& text);

// The tags of a list as the clients send it ("projetor, quadro branco"), normalised, each
// once, in the order given. Throws as NormalRoomTag, and for more than kMaxRoomTags tags.
std::vector<std::string> ParseRoomTags(const std::string& text);

// The tags as one text, separated by ", ".
std::string RoomTagsText(const std::vector<std::string>& tags);

// What a meeting needs of its room: at least `places` places (0: any room, also one whose
// places are not informed) and every tag of `tags`.
struct RoomNeeds {
    int64_t places = 0;
    std::vector<std::string> tags;

    bool Any() const { return places > 0 || !tags.empty(); }
    // A text for the operator: "12 lugares, projetor, quadro branco".
    std::string Text() const;
};

// Needs from a call's arguments: a whole number of places from 0 to kMaxRoomPlaces and a tag
// list. Throws RpcError bad_arguments with a message for the operator.
RoomNeeds ParseRoomNeeds(double places, const std::string& tags);

// A room of a branch with what it offers.
struct RoomInfo {
    std::string code, name;
    std::optional<int64_t> places;  // nullopt: not informed
    std::vector<std::string> tags;  // in alphabetical order
};

// True when the room offers what is needed. A room whose places are not informed fits only
// a meeting that asks for no number of places.
bool Fits(const RoomInfo& room, const RoomNeeds& needs);

// The order in which fitting rooms are offered: the smallest first (rooms whose places are
// not informed after every other), then by code.
bool SmallerRoomFirst(const RoomInfo& a, const RoomInfo& b);

// The tags of every room of the branch, by room code, each room's in alphabetical order.
std::map<std::string, std::vector<std::string>> BranchRoomTags(SqlConnection& db,
                                                               const std::string& branch);

// The active rooms of the branch that fit `needs`, smallest first.
std::vector<RoomInfo> FittingRooms(SqlConnection& db, const std::string& branch,
                                   const RoomNeeds& needs);

// --- the room listings (free rooms, the rooms' day) ---

// A listing narrowed to what a meeting needs. `onlyFitting` false keeps every room and only
// marks (and, where the listing ranks, orders) the ones that fit.
struct RoomRequest {
    RoomNeeds needs;
    bool onlyFitting = true;
};

// The optional trailing parameters of a room listing: QTLUGARES (places, a number),
// DSEQUIPSALA (tags separated by commas), IDSOCABEM ("S" only the rooms that fit, the
// default; "N" every room, the fitting ones marked).
std::vector<ParamSpec> RoomRequestParams();

// The request of a call whose room-request arguments start at `first`; nullopt when the
// caller left them out (the listing then is as it always was).
std::optional<RoomRequest> RequestedRooms(const CallContext& ctx, size_t first);

// A listing's fields followed by those DescribeRooms appends: QTCAPACSALA (places, null when
// not informed), DSEQUIPSALA (the room's tags as RoomTagsText), IDCABE ("S" the room fits the
// request, "N" not; "S" for every room when there is no request).
std::vector<FieldDef> WithRoomDescription(std::vector<FieldDef> fields);

// Completes the rows of a listing: in each row the column `codeColumn` holds a room code of
// `branch` and the last column the room's places (as read from SALA.QTCAPACSALA); the tags and
// the fit flag are appended. With a request, the rooms that do not fit are left out when it
// asks only for fitting rooms; with `rank`, the fitting rooms then come first, smallest first,
// the others after them in the order they had.
void DescribeRooms(SqlConnection& db, const std::string& branch, std::vector<SqlRow>& rows,
                   size_t codeColumn, const std::optional<RoomRequest>& request, bool rank);

}  // namespace zel::appserver
