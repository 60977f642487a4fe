#include "platform/core/session_bus.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace lumora {
namespace {

constexpr const char* kAddressVariable = "DBUS_SESSION_BUS_ADDRESS";

bool isOptionallyEscaped(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '_' ||
         c == '/' || c == '.' || c == '*';
}

// The user's bus socket under the runtime folder, or "" when there is none
// to trust (another user's socket is not our session's).
std::string userBusSocket(const char* runtimeDir) {
  if (!runtimeDir || runtimeDir[0] != '/') return {};
  const std::string path = std::string(runtimeDir) + "/bus";
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode) || info.st_uid != ::getuid()) return {};
  return path;
}

}  // namespace

std::string escapeBusAddressValue(std::string_view value) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(value.size());
  for (const char ch : value) {
    const auto c = static_cast<unsigned char>(ch);
    if (isOptionallyEscaped(c)) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xf];
    }
  }
  return out;
}

std::string sessionBusAddress(const char* given, const char* runtimeDir) {
  if (given && *given) return given;
  if (const std::string socket = userBusSocket(runtimeDir); !socket.empty())
    return "unix:path=" + escapeBusAddressValue(socket);
  return std::string(kNoSessionBus);
}

void settleSessionBus() {
  const std::string address = sessionBusAddress(std::getenv(kAddressVariable), std::getenv("XDG_RUNTIME_DIR"));
  ::setenv(kAddressVariable, address.c_str(), 1);
}

bool hasSessionBus() {
  const char* address = std::getenv(kAddressVariable);
  return address && *address && std::string_view(address) != kNoSessionBus;
}

}  // namespace lumora
