#include "settings_window/picture_filter.h"

#include "imaging/loader.h"

namespace lumora {

std::vector<std::string> pictureDialogFilter() {
  std::vector<std::string> rows;
  std::string all;
  for (const FileType& t : fileTypes()) {
    const std::string pattern = std::string("*.") + t.extension;
    if (!all.empty()) all += ' ';
    all += pattern;
    rows.push_back(std::string(t.description) + " (" + pattern + ")");
  }
  rows.insert(rows.begin(), "All (" + all + ")");
  return rows;
}

}  // namespace lumora
