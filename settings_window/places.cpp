#include "settings_window/places.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace lumora {

namespace {

struct UserFolder {
  const char* key;  // XDG_<key>_DIR
  Place::Kind kind;
  const char* fallbackName;  // when the folder's own name is empty
};

// The order the selector lists them in.
constexpr UserFolder kUserFolders[] = {
    {"PICTURES", Place::Kind::Pictures, "Pictures"},    {"MUSIC", Place::Kind::Music, "Music"},
    {"VIDEOS", Place::Kind::Videos, "Videos"},          {"DESKTOP", Place::Kind::Desktop, "Desktop"},
    {"DOCUMENTS", Place::Kind::Documents, "Documents"}, {"DOWNLOAD", Place::Kind::Downloads, "Downloads"},
};

std::string withSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

std::string withoutSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool isFolder(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// The shell-quoted value of a user-dirs line: "..." with \" \\ \$ escapes.
bool unquote(std::string_view value, std::string& out) {
  if (value.size() < 2 || value.front() != '"' || value.back() != '"') return false;
  value = value.substr(1, value.size() - 2);
  out.clear();
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) ++i;
    out += value[i];
  }
  return true;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> parseUserDirs(std::string_view text, const std::string& home) {
  std::vector<std::pair<std::string, std::string>> dirs;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == '#') continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view name = trim(line.substr(0, eq));
    if (!name.starts_with("XDG_") || !name.ends_with("_DIR") || name.size() <= 8) continue;
    std::string value;
    if (!unquote(trim(line.substr(eq + 1)), value)) continue;
    if (value.starts_with("$HOME"))
      value = withoutSlash(home) + value.substr(5);
    else if (!value.starts_with('/'))
      continue;
    dirs.emplace_back(std::string(name.substr(4, name.size() - 8)), value);
  }
  return dirs;
}

std::vector<Place> userPlaces(const std::string& home, std::string_view userDirsText,
                              const std::vector<Volume>& volumes) {
  std::vector<Place> places;
  const std::string homePath = withSlash(home.empty() ? "/" : home);
  places.push_back({Place::Kind::Home, homePath, withoutSlash(homePath)});

  const auto dirs = parseUserDirs(userDirsText, home);
  for (const UserFolder& folder : kUserFolders) {
    for (const auto& [key, path] : dirs) {
      if (key != folder.key) continue;
      const std::string p = withSlash(path);
      // A folder set to the home folder itself (the desktop's way of
      // switching one off) is no place of its own.
      if (p == homePath || !isFolder(p)) break;
      std::string name = std::filesystem::path(withoutSlash(p)).filename().string();
      places.push_back({folder.kind, p, name.empty() ? folder.fallbackName : name});
      break;
    }
  }

  for (const Volume& v : volumes) {
    const std::string root = withSlash(v.root);
    if (root == "/") continue;
    std::string name = withoutSlash(root);
    if (!v.label.empty())
      name = v.label + " (" + name + ")";
    else if (v.removable)
      name = "可移动磁盘 (" + name + ")";
    places.push_back({Place::Kind::Volume, root, std::move(name)});
  }
  places.push_back({Place::Kind::Root, "/", "/"});
  return places;
}

std::vector<Place> sessionPlaces(const std::vector<Volume>& volumes) {
  const char* homeEnv = std::getenv("HOME");
  const std::string home = homeEnv && *homeEnv ? homeEnv : "/";
  const char* configEnv = std::getenv("XDG_CONFIG_HOME");
  const std::string config = configEnv && *configEnv == '/' ? std::string(configEnv) : withoutSlash(home) + "/.config";
  std::string text;
  std::ifstream in(config + "/user-dirs.dirs", std::ios::binary);
  if (in) text.assign(std::istreambuf_iterator<char>(in), {});
  return userPlaces(home, text, volumes);
}

const Place* startPlace(const std::vector<Place>& places, Place::Kind preferred) {
  for (const Place& p : places)
    if (p.kind == preferred) return &p;
  for (const Place& p : places)
    if (p.kind == Place::Kind::Home) return &p;
  return places.empty() ? nullptr : &places.front();
}

}  // namespace lumora
