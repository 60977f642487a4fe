// The password as stored in "mima": a salted yescrypt hash from crypt(3)
// (libxcrypt), "$y$..."; older files hold the stored-text form instead (each
// byte followed by 'A'), which is still accepted when a typed password is
// checked. An empty password is stored as an empty string.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace lumora {

// The system could not hash a password (no random bytes, no yescrypt), or
// the password cannot be hashed (it holds a NUL byte).
class PasswordHashError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The stored form of a new password (ANSI bytes): a yescrypt hash with a new
// random salt, or "" for the empty password. Throws PasswordHashError.
std::string hashPassword(const std::string& ansiPassword);

// True when `stored` is a crypt(3) hash ("$id$..."), not the old stored-text
// form (whose second byte is always 'A').
bool isPasswordHash(std::string_view stored);

// Whether the typed password (ANSI bytes) is the one stored, in either form.
bool passwordMatches(const std::string& stored, const std::string& typedAnsi);

}  // namespace lumora
