// The places of the drive selectors: the home folder, the user's own folders
// (Pictures, Music, ...) under the names the desktop gave them, the mounted
// volumes, then "/". Plain C++: the volumes are handed in by the caller.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumora {

struct Place {
  enum class Kind { Home, Pictures, Music, Videos, Desktop, Documents, Downloads, Volume, Root };
  Kind kind;
  std::string path;  // ends with "/"
  std::string name;  // what the selector shows (UTF-8)
};

struct Volume {
  std::string root;   // mount point
  std::string label;  // file system label, may be empty
  bool removable = false;
};

// The XDG user folders named in a user-dirs.dirs text: the value of each
// XDG_<KEY>_DIR line, "$HOME" expanded; relative or malformed lines are skipped.
// Returns (key, path) pairs such as ("PICTURES", "/home/li/图片").
std::vector<std::pair<std::string, std::string>> parseUserDirs(std::string_view text, const std::string& home);

// Every place in selector order. `home` is the home folder; `userDirsText`
// the content of user-dirs.dirs (may be empty); only folders that exist are
// taken, the home folder itself and "/" always.
std::vector<Place> userPlaces(const std::string& home, std::string_view userDirsText,
                              const std::vector<Volume>& volumes);

// The places of this session: $HOME, $XDG_CONFIG_HOME/user-dirs.dirs (or
// ~/.config/user-dirs.dirs) and the given volumes.
std::vector<Place> sessionPlaces(const std::vector<Volume>& volumes);

// The place a tab starts on: the first of `preferred` that is there, else home.
const Place* startPlace(const std::vector<Place>& places, Place::Kind preferred);

}  // namespace lumora
