// The opening picture dialog's filter, from the picture loader's table of
// file types: "All (...)" with every extension, then one row per type.
#pragma once

#include <string>
#include <vector>

namespace lumora {

// Rows as a file dialog takes them: "description (*.a *.b)".
std::vector<std::string> pictureDialogFilter();

}  // namespace lumora
