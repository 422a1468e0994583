#include "appserver/feed_stamps.h"

#include "platform/routines.h"

namespace zel::appserver {

std::string FeedStamps::OperatorKey(const std::string& op) {
    return "O:" + TrimAll(op);
}

std::string FeedStamps::RoomKey(const std::string& branch, const std::string& room) {
    return "S:" + TrimAll(branch) + ":" + TrimAll(room);
}

std::string FeedStamps::SeriesKey(const std::string& branch, const std::string& series) {
    return "R:" + TrimAll(branch) + ":" + TrimAll(series);
}

void FeedStamps::Operator(const std::string& op) {
    if (!IsBlank(op)) m_keys.insert(OperatorKey(op));
}

void FeedStamps::Room(const std::string& branch, const std::string& room) {
    if (!IsBlank(room)) m_keys.insert(RoomKey(branch, room));
}

void FeedStamps::Series(const std::string& branch, const std::string& series) {
    if (!IsBlank(series)) m_keys.insert(SeriesKey(branch, series));
}

void FeedStamps::Bump(SqlConnection& db, TDateTime now) {
    for (const std::string& key : m_keys)
        db.Exec(
            "INSERT INTO CALENDVERSAO (DSCHAVE, NRVERSAO, DTALTERACAO) VALUES (?, 1, ?) "
            "ON CONFLICT (DSCHAVE) DO UPDATE SET NRVERSAO = CALENDVERSAO.NRVERSAO + 1, "
            "DTALTERACAO = EXCLUDED.DTALTERACAO",
            {key, Variant::FromDateTime(now)});
    m_keys.clear();
}

void FeedStamps::Ensure(SqlConnection& db, const std::string& key, TDateTime now) {
    db.Exec(
        "INSERT INTO CALENDVERSAO (DSCHAVE, NRVERSAO, DTALTERACAO) VALUES (?, 1, ?) "
        "ON CONFLICT (DSCHAVE) DO NOTHING",
        {key, Variant::FromDateTime(now)});
}

}  // namespace zel::appserver
