#include "settings/password_hash.h"

#include <crypt.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "settings/stored_text.h"

namespace lumora {
namespace {

// Compares without stopping at the first difference, so that the time
// taken says nothing about how much of a hash was guessed.
bool sameBytes(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned char difference = 0;
  for (std::size_t i = 0; i < a.size(); ++i) difference |= static_cast<unsigned char>(a[i] ^ b[i]);
  return difference == 0;
}

// crypt_r's result for the phrase and setting, or nothing (its failure
// token starts with '*').
std::string cryptHash(const std::string& phrase, const char* setting) {
  const auto data = std::make_unique<crypt_data>();  // zeroed, as crypt_r wants it first
  const char* hash = crypt_r(phrase.c_str(), setting, data.get());
  if (!hash || hash[0] == '*') return {};
  return hash;
}

}  // namespace

std::string hashPassword(const std::string& ansiPassword) {
  if (ansiPassword.empty()) return {};
  if (ansiPassword.find('\0') != std::string::npos) throw PasswordHashError("a password cannot hold a NUL character");
  char setting[CRYPT_GENSALT_OUTPUT_SIZE];
  // Prefix "$y$", the default cost, random bytes from the system.
  if (!crypt_gensalt_rn("$y$", 0, nullptr, 0, setting, sizeof setting))
    throw PasswordHashError(std::string("cannot make a password salt: ") + std::strerror(errno));
  std::string hash = cryptHash(ansiPassword, setting);
  if (hash.empty()) throw PasswordHashError(std::string("cannot hash the password: ") + std::strerror(errno));
  return hash;
}

bool isPasswordHash(std::string_view stored) { return stored.size() > 1 && stored[0] == '$' && stored[1] != 'A'; }

bool passwordMatches(const std::string& stored, const std::string& typedAnsi) {
  if (!isPasswordHash(stored)) return sameBytes(decodeStoredText(stored), typedAnsi);
  // crypt(3) reads up to the first NUL: neither may hold one, or a prefix
  // of the right password would pass.
  if (typedAnsi.find('\0') != std::string::npos || stored.find('\0') != std::string::npos) return false;
  const std::string hash = cryptHash(typedAnsi, stored.c_str());
  return !hash.empty() && sameBytes(hash, stored);
}

}  // namespace lumora
