#include "tls_certificates.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <random>

namespace zel::appserver::test {

namespace {
constexpr const char* kEcKey = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
constexpr const char* kRsaKey = "-newkey rsa:2048 -nodes";
}  // namespace

TlsCertificates::TlsCertificates() {
    std::mt19937_64 rng{std::random_device{}()};
    m_dir = std::filesystem::temp_directory_path() / ("zel-tls-" + std::to_string(rng()));
    std::filesystem::create_directories(m_dir);
    const std::string d = m_dir.string();
    const std::string req = std::string("openssl req ") + kEcKey + " -days 2 ";
    Run(req + "-x509 -keyout " + d + "/ca.key -out " + d + "/ca.crt -subj /CN=zel-test-ca");
    Write("server.ext", "subjectAltName=IP:127.0.0.1\n");
    Write("other.ext", "subjectAltName=DNS:elsewhere.test\n");
    Write("rsa.ext", "subjectAltName=IP:127.0.0.1\n");
    for (const char* name : {"server", "other", "rsa"}) {
        const std::string n = d + "/" + name;
        const char* key = std::string(name) == "rsa" ? kRsaKey : kEcKey;
        Run(std::string("openssl req ") + key + " -keyout " + n + ".key -out " + n +
            ".csr -subj /CN=" + name);
        Run("openssl x509 -req -days 2 -in " + n + ".csr -CA " + d + "/ca.crt -CAkey " + d +
            "/ca.key -CAcreateserial -extfile " + n + ".ext -out " + n + ".crt");
    }
    Run(req + "-x509 -keyout " + d + "/stranger.key -out " + d +
        "/stranger.crt -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1");
}

TlsCertificates::~TlsCertificates() {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
}

void TlsCertificates::Run(const std::string& command) {
    if (!m_error.empty()) return;
    if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) m_error = "failed: " + command;
}

std::string TlsCertificates::Write(const std::string& name, const std::string& text) const {
    std::ofstream(m_dir / name) << text;
    return Path(name);
}

}  // namespace zel::appserver::test
