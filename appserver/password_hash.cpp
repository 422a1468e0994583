#include "appserver/password_hash.h"

#include <sodium.h>

#include <mutex>
#include <stdexcept>
#include <string_view>

namespace zel::appserver {

namespace {

void EnsureSodium() {
    static const int rc = sodium_init();
    if (rc < 0) throw std::runtime_error("libsodium cannot start");
}

std::string Hex(const unsigned char* data, size_t n) {
    std::string out(n * 2 + 1, '\0');
    sodium_bin2hex(out.data(), out.size(), data, n);
    out.pop_back();
    return out;
}

}  // namespace

std::string HashPassword(const std::string& password, bool fast) {
    EnsureSodium();
    char out[crypto_pwhash_STRBYTES];
    const auto ops = fast ? crypto_pwhash_OPSLIMIT_MIN : crypto_pwhash_OPSLIMIT_INTERACTIVE;
    const auto mem = fast ? crypto_pwhash_MEMLIMIT_MIN : crypto_pwhash_MEMLIMIT_INTERACTIVE;
    if (crypto_pwhash_str(out, password.data(), password.size(), ops, mem) != 0)
        throw std::runtime_error("cannot hash password (out of memory)");
    return out;
}

bool VerifyPassword(const std::string& hash, const std::string& password) {
    EnsureSodium();
    if (hash.empty() || hash.size() >= crypto_pwhash_STRBYTES) return false;
    return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

void SpendPasswordCheckTime(const std::string& password, bool fast) {
    static std::once_flag onceFast, onceSlow;
    static std::string dummyFast, dummySlow;
    std::once_flag& flag = fast ? onceFast : onceSlow;
    std::string& dummy = fast ? dummyFast : dummySlow;
    std::call_once(flag, [&] { dummy = HashPassword("\x01not-a-password", fast); });
    VerifyPassword(dummy, password);
}

std::string NewToken() {
    EnsureSodium();
    unsigned char bytes[32];
    randombytes_buf(bytes, sizeof bytes);
    return Hex(bytes, sizeof bytes);
}

std::string TokenDigest(std::string_view token) {
    EnsureSodium();
    unsigned char digest[32];
    crypto_generichash(digest, sizeof digest, reinterpret_cast<const unsigned char*>(token.data()),
                       token.size(), nullptr, 0);
    return Hex(digest, sizeof digest);
}

}  // namespace zel::appserver
