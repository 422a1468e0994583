// Throw-away certificates for the HTTPS tests, made with the openssl command in a temporary
// folder removed on destruction: a private CA, a server certificate it signed for 127.0.0.1
// (EC, and one with an RSA key, which static-RSA suites could use), one it signed for another
// host name only, and a self-signed stranger.
#pragma once

#include <filesystem>
#include <string>

namespace zel::appserver::test {

class TlsCertificates {
  public:
    TlsCertificates();
    ~TlsCertificates();
    // False when openssl failed (Error() says how).
    bool ok() const { return m_error.empty(); }
    const std::string& Error() const { return m_error; }

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    std::string CaCert() const { return Path("ca.crt"); }
    std::string ServerCert() const { return Path("server.crt"); }  // IP:127.0.0.1
    std::string ServerKey() const { return Path("server.key"); }
    std::string RsaServerCert() const { return Path("rsa.crt"); }  // IP:127.0.0.1, RSA key
    std::string RsaServerKey() const { return Path("rsa.key"); }
    std::string OtherHostCert() const { return Path("other.crt"); }  // DNS:elsewhere.test
    std::string OtherHostKey() const { return Path("other.key"); }
    std::string StrangerCert() const { return Path("stranger.crt"); }  // self-signed
    std::string StrangerKey() const { return Path("stranger.key"); }

    // Writes `text` to a file in the folder and returns its path.
    std::string Write(const std::string& name, const std::string& text) const;

  private:
    void Run(const std::string& command);
    std::filesystem::path m_dir;
    std::string m_error;
};

}  // namespace zel::appserver::test
