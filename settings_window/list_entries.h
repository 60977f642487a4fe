// The list boxes of the settings window hold their entries as ANSI bytes,
// exactly as they came from a list file or will go into one, and show them
// converted for the screen; so an entry that is no valid text in the code
// page is written back byte for byte.
#pragma once

#include <QListWidget>
#include <string>

#include "settings/list_file.h"

namespace lumora {

void appendEntry(QListWidget* list, const std::string& ansi);
std::string entryAt(const QListWidget* list, int row);  // ANSI bytes
StringList listEntries(const QListWidget* list);
void setListEntries(QListWidget* list, const StringList& entries);

// A path as the file system gives it (UTF-8 or raw bytes) in ANSI bytes.
std::string ansiFromFsPath(const std::string& path);
// An ANSI path for the file system.
std::string fsPathFromAnsi(const std::string& ansi);

}  // namespace lumora
