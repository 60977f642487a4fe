#include "settings_window/file_list_box.h"

#include <QFile>
#include <algorithm>

#include "settings_window/dir_scan.h"
#include "settings_window/file_masks.h"
#include "settings_window/file_names.h"
#include "settings_window/line_room_delegate.h"

namespace lumora {

namespace {
constexpr int kNameRole = Qt::UserRole + 1;
}

FileListBox::FileListBox(const std::string& mask, QWidget* parent) : QListWidget(parent), mask_(mask) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setItemDelegate(new LineRoomDelegate(this));
}

void FileListBox::setDirectory(const std::string& folder) {
  directory_ = folder;
  refresh();
}

void FileListBox::setMask(const std::string& mask) {
  mask_ = mask;
  refresh();
}

void FileListBox::refresh() {
  clear();
  if (directory_.empty()) return;
  std::vector<std::string> names;
  const std::string folder = directory_.back() == '/' ? directory_ : directory_ + "/";
  for (const FolderEntry& e : readFolderEntries(folder))
    if (!e.directory && !e.name.starts_with('.') && matchesMask(e.name, mask_)) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    auto* item = new QListWidgetItem(QFile::decodeName(QByteArray::fromStdString(name)), this);
    item->setData(kNameRole, QByteArray::fromStdString(name));
  }
}

std::string FileListBox::fileName(int row) const { return item(row)->data(kNameRole).toByteArray().toStdString(); }

std::string FileListBox::filePath(int row) const { return joinFolderAndName(directory_, fileName(row)); }

}  // namespace lumora
