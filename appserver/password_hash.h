// Password hashing with libsodium's argon2id (crypto_pwhash_str). The hash string carries
// its own cost, so a hash made with the fast test cost still verifies in production.
#pragma once

#include <string>
#include <string_view>

namespace zel::appserver {

// Throws std::runtime_error when libsodium cannot start or runs out of memory.
std::string HashPassword(const std::string& password, bool fast = false);
// Constant-time comparison inside libsodium; false for a malformed hash.
bool VerifyPassword(const std::string& hash, const std::string& password);
// Verifies against a fixed hash, so a login for an unknown operator costs the same time as
// one with a wrong password.
void SpendPasswordCheckTime(const std::string& password, bool fast);

// 32 random bytes as 64 hex digits; and the token's BLAKE2b digest as hex (what is stored).
std::string NewToken();
std::string TokenDigest(std::string_view token);

}  // namespace zel::appserver
