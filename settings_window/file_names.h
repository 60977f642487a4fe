// Small rules about file names that the settings window applies.
#pragma once

#include <string>

namespace lumora {

// The file a list is saved to: the chosen name, with ".txt" appended only
// when it does not already end with ".txt" (in any case).
std::string listSaveName(const std::string& chosen);

// A folder and a file name joined by one "/" (none added when the folder
// already ends with one).
std::string joinFolderAndName(const std::string& folder, const std::string& name);

// The extension of a path from the last dot of its last component, dot
// included, in lower case; "" when there is none.
std::string lowerExtension(const std::string& path);

// Media preview: ".swf" goes to the Flash player, anything else to the
// audio player.
bool isFlashMovie(const std::string& path);

}  // namespace lumora
