#include "appserver/calendar_feed_route.h"

#include <httplib.h>
#include <spdlog/spdlog.h>

#include "appserver/app_server.h"
#include "appserver/app_server_impl.h"
#include "appserver/calendar_service.h"
#include "appserver/http_encoding.h"

namespace zel::appserver {

void ServeCalendarFeed(AppServer& app, const httplib::Request& req, httplib::Response& res) {
    // The address is a secret: calendar programs and proxies keep it to themselves, and a
    // client asks again rather than trusting a stored copy.
    res.set_header("Cache-Control", "private, no-cache");
    res.set_header("Vary", "Accept-Encoding");
    const bool gzip = TakeGzipAcceptance(req);
    try {
        FeedAnswer a = app.Impl().calendar().Feed(
            req.matches.size() > 1 ? req.matches[1].str() : std::string(),
            req.get_header_value("If-None-Match"));
        res.status = a.status;
        if (!a.etag.empty()) res.set_header("ETag", gzip ? GzipETag(a.etag) : a.etag);
        if (!a.lastModified.empty()) res.set_header("Last-Modified", a.lastModified);
        if (a.status == 200) {
            // Moved, not copied (the library's set_content copies): a feed of 2,000 meetings
            // is over a megabyte. Gzipped, it is some thirty times smaller, for 2 ms.
            if (gzip) {
                res.body = GzipFast(a.body);
                res.set_header("Content-Encoding", "gzip");
            } else {
                res.body = std::move(a.body);
            }
            res.set_header("Content-Type", "text/calendar; charset=utf-8");
        } else if (a.status != 304) {
            res.set_content(a.body, "text/plain; charset=utf-8");
        }
    } catch (const DbError& e) {
        spdlog::warn("calendar feed: {}", e.what());
        res.status = 503;
        res.set_content("banco de dados indisponível\n", "text/plain; charset=utf-8");
    } catch (const std::exception& e) {
        spdlog::error("calendar feed: {}", e.what());
        res.status = 500;
        res.set_content("erro interno\n", "text/plain; charset=utf-8");
    }
}

}  // namespace zel::appserver
