// Every file of a folder and of all its subfolders that matches a file
// list's mask: what "==> 全部添加" takes when "包含子文件夹" is checked.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lumora {

// Walks depth first by name: the folder's own matching files (sorted by
// name, hidden ones left out, as the file list shows them), then each
// subfolder in name order the same way. Hidden folders (".thumbnails",
// ".cache") are left out like hidden files. Folders that cannot be read are
// skipped; a folder reached again through a symbolic link (a loop, or a
// second link to it) is not walked again. `keepGoing` is called now and then
// with the number of files found so far; when it returns false the walk
// stops and the result is empty (nothing of a cancelled walk is used).
std::optional<std::vector<std::string>> walkMatchingFiles(const std::string& folder, const std::string& mask,
                                                          const std::function<bool(std::size_t found)>& keepGoing);

}  // namespace lumora
