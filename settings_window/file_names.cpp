#include "settings_window/file_names.h"

#include <algorithm>

namespace lumora {

namespace {
std::string lowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return s;
}
}  // namespace

std::string listSaveName(const std::string& chosen) {
  if (chosen.size() >= 4 && lowerAscii(chosen.substr(chosen.size() - 4)) == ".txt") return chosen;
  return chosen + ".txt";
}

std::string joinFolderAndName(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string lowerExtension(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  const std::size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return lowerAscii(path.substr(dot));
}

bool isFlashMovie(const std::string& path) { return lowerExtension(path) == ".swf"; }

}  // namespace lumora
