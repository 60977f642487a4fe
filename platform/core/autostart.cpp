#include "platform/core/autostart.h"

#include <cctype>
#include <cstdlib>
#include <system_error>

#include "platform/core/atomic_file.h"
#include "platform/core/paths.h"

namespace lumora {

namespace {

std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// An Exec argument: bare when it holds only harmless characters, else in
// double quotes with ", `, $ and \ escaped by a backslash.
std::string execArgument(const std::string& arg) {
  bool plain = !arg.empty();
  for (char c : arg)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '.' || c == '-' || c == '_' ||
          static_cast<unsigned char>(c) >= 0x80))
      plain = false;
  if (plain) return arg;
  std::string quoted = "\"";
  for (char c : arg) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  // The key's value itself escapes backslashes once more.
  std::string value;
  for (char c : quoted) {
    if (c == '\\') value += '\\';
    value += c;
  }
  return value;
}

// A string key's value: backslashes and control characters escaped.
std::string stringValue(const std::string& text) {
  std::string value;
  for (char c : text) {
    switch (c) {
      case '\\':
        value += "\\\\";
        break;
      case '\n':
        value += "\\n";
        break;
      case '\t':
        value += "\\t";
        break;
      case '\r':
        value += "\\r";
        break;
      default:
        value += c;
    }
  }
  return value;
}

}  // namespace

std::filesystem::path idleAutostartPath() {
  const std::string name = "lumora-idle.desktop";
  if (const std::string home = env("LUMORA_HOME"); !home.empty())
    return std::filesystem::path(home) / "autostart" / name;
  if (const std::string config = env("XDG_CONFIG_HOME"); !config.empty())
    return std::filesystem::path(config) / "autostart" / name;
  // The registry file sits in ~/.config/lumora: its parent's parent is ~/.config.
  return registryFilePath().parent_path().parent_path() / "autostart" / name;
}

std::string idleAutostartEntry(const std::string& program) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Lumora idle start\n"
         "Name[zh_CN]=Lumora 空闲时自动启动\n"
         "Comment=Starts the Lumora picture show when the session is idle\n"
         "Exec=" +
         execArgument(program) +
         " --idle\n"
         // The session skips the entry once the program is gone.
         "TryExec=" +
         stringValue(program) +
         "\n"
         "Icon=lumora\n"
         "Terminal=false\n"
         "NoDisplay=true\n"
         "X-GNOME-Autostart-enabled=true\n";
}

void writeIdleAutostart(const std::filesystem::path& path, const std::string& program) {
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  if (ec) throw std::system_error(ec, path.parent_path().string());
  writeFileAtomically(path, idleAutostartEntry(program));
}

void removeIdleAutostart(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
  if (ec) throw std::system_error(ec, path.string());
}

}  // namespace lumora
