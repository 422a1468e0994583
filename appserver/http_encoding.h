// Compression of answers. The HTTP library would compress by itself whatever a client's
// Accept-Encoding asks, brotli at its slowest setting included (half a second of CPU for a
// megabyte): a client could make the server burn that on every request. The server decides
// instead: no answer is compressed but the calendar feed, with gzip at its fastest level.
#pragma once

#include <string>
#include <string_view>

namespace httplib {
struct Request;
}

namespace zel::appserver {

// Whether an Accept-Encoding header admits gzip: a "gzip" (or "x-gzip", or "*") coding whose
// q-value is not 0.
bool AcceptsGzip(std::string_view acceptEncoding);

// Reads the request's Accept-Encoding and removes it, so the library never compresses the
// answer on its own; true when the client admits gzip.
bool TakeGzipAcceptance(const httplib::Request& req);

// `text` in the gzip format, compressed for speed (zlib level 1).
std::string GzipFast(std::string_view text);

// The ETag of the gzipped form of an answer whose identity form is tagged `etag` (with its
// quotes): the two forms differ in bytes, so their strong tags differ too.
std::string GzipETag(const std::string& etag);

}  // namespace zel::appserver
