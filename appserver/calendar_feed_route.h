// The HTTP side of calendar feeds: GET /calendar/TOKEN.ics on the application server's
// address, answered without a session (the token is the key), with ETag, Last-Modified and
// 304 for an unchanged feed.
#pragma once

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

namespace zel::appserver {

class AppServer;

// The route's pattern; the token is its first group.
inline constexpr const char* kCalendarFeedRoute = R"(/calendar/([0-9A-Za-z]+)\.ics)";
// What every path of the route begins with.
inline constexpr const char* kCalendarFeedPrefix = "/calendar/";

// Answers one feed request: 200 with the calendar, 304, 404 for an unknown or revoked token,
// 503 while the database cannot be reached.
void ServeCalendarFeed(AppServer& app, const httplib::Request& req, httplib::Response& res);

}  // namespace zel::appserver
