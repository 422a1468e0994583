// TServerConnection: the client's one connection to the application server, and the
// late-bound caller of its methods.
//
//   TServerConnection net;
//   net.ServerName = "ZEL00400.rdmReuniao";
//   net.BeforeConnect = [](TServerConnection& c) { c.Host = ServerHost(); c.Port = ServerPort(); };
//   net.Open();
//   Variant r = net.AppServer().Call("getHoraServidor");
//
// Life: Open() fires BeforeConnect, then builds the transport (HTTP or HTTPS to Host:Port
// unless a transport factory is set) and checks that the server answers. Close() drops the link.
// A call while not connected connects first. A transport failure during a call closes the
// connection, so the next call connects again (BeforeConnect fires again).
//
// Errors: every call raises EServerError, checked or not: code "transport" when the server
// could not be reached (message names the address), "protocol" when the answer is not a valid
// envelope, otherwise the server's own code and operator message. No result is ever produced
// for a failed call, and by-reference arguments are written back only on success.
//
// Threading: one connection is used from one thread (the GUI thread); it is not thread-safe.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant.h"
#include "server/call_arg.h"
#include "server/call_recorder.h"
#include "server/server_address.h"
#include "server/transport.h"

class TServerConnection;

// The remote server object of a connection: calls its methods by name.
class TAppServer {
  public:
    explicit TAppServer(TServerConnection& connection) : m_connection(connection) {}

    Variant Call(std::string_view method, std::initializer_list<CallArg> args = {}) const;
    Variant Call(std::string_view method, const std::vector<CallArg>& args) const;

  private:
    TServerConnection& m_connection;
};

class TServerConnection {
  public:
    using TransportFactory = std::function<std::shared_ptr<ITransport>(const TServerConnection&)>;

    TServerConnection();
    ~TServerConnection();
    TServerConnection(const TServerConnection&) = delete;
    TServerConnection& operator=(const TServerConnection&) = delete;

    std::string Host = "127.0.0.1";
    int Port = 8400;
    // HTTPS and the CA to trust. Unset: the process-wide default (SetDefaultTls) as it is at
    // each connect, so connections that set only Host and Port follow the host's login.
    std::optional<TlsOptions> Tls;
    // The remote data module the calls address ("ZEL00400.rdmReuniao"); informational.
    std::string ServerName;
    // Open(): true raises a connect failure; false shows it through the server-error display
    // (check_server_result.h) and leaves the connection closed. Calls always raise.
    bool ThrowException = false;
    // Session token sent as "Authorization: Bearer"; when empty, the process-wide session
    // token provider (SetSessionTokenProvider) is asked at every call.
    std::string Token;
    std::chrono::milliseconds ConnectTimeout = std::chrono::seconds(5);
    std::chrono::milliseconds ReadTimeout = std::chrono::seconds(60);
    // Fired before every connect, explicit or on demand; may change Host and Port.
    std::function<void(TServerConnection&)> BeforeConnect;
    std::function<void(TServerConnection&)> AfterConnect;
    std::function<void(TServerConnection&)> AfterDisconnect;

    bool Connected() const { return m_transport != nullptr; }
    void SetConnected(bool connected);
    // See ThrowException for what a failure does. No effect when already connected.
    void Open();
    void Close();

    // Replaces the default HTTP transport (e.g. an in-process one for tests). Takes effect at
    // the next connect.
    void SetTransportFactory(TransportFactory factory) { m_factory = std::move(factory); }
    // Every connect uses this same transport.
    void SetTransport(std::shared_ptr<ITransport> transport);

    // Records every call made from now on (nullptr: stop recording).
    void SetRecorder(std::shared_ptr<CallRecorder> recorder) { m_recorder = std::move(recorder); }
    const std::shared_ptr<CallRecorder>& Recorder() const { return m_recorder; }

    TAppServer AppServer() { return TAppServer(*this); }
    // The address of the open transport, else Host:Port (with "https://" under TLS).
    std::string Address() const;
    // Tls, or the process-wide default when unset.
    TlsOptions EffectiveTls() const;

    // The token used when a connection's Token is empty (the login context installs it).
    static void SetSessionTokenProvider(std::function<std::string()> provider);
    // The TLS settings of every connection whose Tls is unset (the host sets them at login).
    static void SetDefaultTls(TlsOptions tls);
    static TlsOptions DefaultTls();

  private:
    friend class TAppServer;
    void connectOrThrow();
    Variant call(std::string_view method, const CallArg* args, size_t count);

    std::shared_ptr<ITransport> m_transport;
    TransportFactory m_factory;
    std::shared_ptr<CallRecorder> m_recorder;
    int64_t m_nextId = 1;
};
