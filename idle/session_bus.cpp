#include "idle/session_bus.h"

#include <cstdlib>
#include <filesystem>

namespace lumora {

namespace {

// A value in a D-Bus address: bytes outside [-0-9A-Za-z_/.\\*] as %XX.
std::string escapeAddressValue(const std::string& value) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : value) {
    const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                       c == '-' || c == '_' || c == '/' || c == '.' || c == '\\' || c == '*';
    if (plain) {
      out += char(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

}  // namespace

std::optional<std::string> sessionBusAddress() {
  if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) return address;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!runtime || !*runtime) return std::nullopt;
  const std::filesystem::path socket = std::filesystem::path(runtime) / "bus";
  std::error_code ec;
  if (!std::filesystem::is_socket(socket, ec)) return std::nullopt;
  return "unix:path=" + escapeAddressValue(socket.string());
}

}  // namespace lumora
