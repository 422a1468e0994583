// ITransport: how a TServerConnection hands one encoded request to the application server and
// gets the encoded response back. The connection owns the envelope (method, params, id, refs,
// error); a transport only moves bytes.
//
// Contract for implementations: Post returns the response body of a request that reached the
// server, whatever the server answered (an error envelope is still a response). When the
// request could not be delivered or no answer came back, Post throws EServerError with code
// "transport" and a message naming the server's address. Post never blocks forever: HTTP is
// bounded by the connect and read timeouts.
#pragma once

#include <string>

class ITransport {
  public:
    virtual ~ITransport() = default;

    // Makes sure the server can be reached; throws EServerError("transport") when not.
    // Called by TServerConnection::Open after BeforeConnect.
    virtual void Open() {}
    // Releases the link (sockets); a later Post or Open may open it again.
    virtual void Close() {}
    // Sends one request; `token` travels as "Authorization: Bearer" (empty: no header).
    virtual std::string Post(const std::string& body, const std::string& token) = 0;
    // The address for messages, e.g. "127.0.0.1:8400".
    virtual std::string Address() const = 0;
};
