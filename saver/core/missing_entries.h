// The start-up pass over the picture and media lists that drops entries
// whose files are missing. Every entry but the last is checked; the last is
// always kept, so a list that was not empty stays so (the show then reports
// that one when it comes to it). One pass, linear in the list's length.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace lumora {

// True when an entry (a path in ANSI bytes) names an existing regular file.
bool entryFileExists(const std::string& ansiPath);

// Drops every entry except the last for which `exists` is false, keeping
// the others in their order.
void dropMissingEntries(std::vector<std::string>& entries,
                        const std::function<bool(const std::string&)>& exists = entryFileExists);

}  // namespace lumora
