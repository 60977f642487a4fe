#include "settings_window/list_entries.h"

#include "platform/core/ansi.h"

namespace lumora {

namespace {
constexpr int kAnsiRole = Qt::UserRole + 1;
}

void appendEntry(QListWidget* list, const std::string& ansi) {
  auto* item = new QListWidgetItem(QString::fromStdString(ansiToUtf8(ansi)), list);  // owned by the list
  item->setData(kAnsiRole, QByteArray(ansi.data(), qsizetype(ansi.size())));
}

std::string entryAt(const QListWidget* list, int row) {
  const QByteArray bytes = list->item(row)->data(kAnsiRole).toByteArray();
  return std::string(bytes.constData(), std::size_t(bytes.size()));
}

StringList listEntries(const QListWidget* list) {
  StringList entries;
  entries.reserve(std::size_t(list->count()));
  for (int i = 0; i < list->count(); ++i) entries.push_back(entryAt(list, i));
  return entries;
}

void setListEntries(QListWidget* list, const StringList& entries) {
  list->clear();
  for (const std::string& e : entries) appendEntry(list, e);
}

std::string ansiFromFsPath(const std::string& path) { return ansiFromPath(std::filesystem::path(path)); }

std::string fsPathFromAnsi(const std::string& ansi) { return pathFromAnsi(ansi).string(); }

}  // namespace lumora
