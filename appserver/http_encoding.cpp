#include "appserver/http_encoding.h"

#include <httplib.h>
#include <zlib.h>

#include <cctype>
#include <stdexcept>

#include "platform/text_view.h"

namespace zel::appserver {

namespace {

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// A coding's q-value is 0 when written as "q=0", "q=0.", "q=0.0"... ; anything else admits it.
bool RefusedByQ(std::string_view params) {
    while (!params.empty()) {
        const size_t semi = params.find(';');
        std::string_view p = TrimBlanks(params.substr(0, semi));
        params = semi == std::string_view::npos ? std::string_view() : params.substr(semi + 1);
        if (p.size() < 2 || (p[0] != 'q' && p[0] != 'Q') || p[1] != '=') continue;
        p.remove_prefix(2);
        if (p.empty() || p[0] != '0') return false;
        for (const char c : p.substr(1))
            if (c != '.' && c != '0') return false;
        return true;
    }
    return false;
}

}  // namespace

bool AcceptsGzip(std::string_view header) {
    bool gzip = false, star = false, gzipNamed = false;
    while (!header.empty()) {
        const size_t comma = header.find(',');
        const std::string_view item = header.substr(0, comma);
        header = comma == std::string_view::npos ? std::string_view() : header.substr(comma + 1);
        const size_t semi = item.find(';');
        const std::string_view coding = TrimBlanks(item.substr(0, semi));
        const bool admitted =
            !RefusedByQ(semi == std::string_view::npos ? std::string_view() : item.substr(semi));
        if (SameLetters(coding, "gzip") || SameLetters(coding, "x-gzip")) {
            gzipNamed = true;
            gzip = gzip || admitted;
        } else if (coding == "*") {
            star = admitted;
        }
    }
    // A coding named on its own outranks "*".
    return gzipNamed ? gzip : star;
}

bool TakeGzipAcceptance(const httplib::Request& req) {
    const bool gzip = AcceptsGzip(req.get_header_value("Accept-Encoding"));
    // The request is the server's own object, handed to handlers as const only by habit.
    const_cast<httplib::Request&>(req).headers.erase("Accept-Encoding");
    return gzip;
}

std::string GzipFast(std::string_view text) {
    z_stream z{};
    // 15 bits of window, +16 for the gzip wrapper rather than zlib's.
    if (deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("gzip: cannot start the compressor");
    std::string out(deflateBound(&z, static_cast<uLong>(text.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&z, Z_FINISH);
    const size_t written = out.size() - z.avail_out;
    deflateEnd(&z);
    if (rc != Z_STREAM_END) throw std::runtime_error("gzip: the answer did not compress");
    out.resize(written);
    return out;
}

std::string GzipETag(const std::string& etag) {
    if (etag.size() < 2 || etag.back() != '"') return etag;
    return etag.substr(0, etag.size() - 1) + "-gz\"";
}

}  // namespace zel::appserver
