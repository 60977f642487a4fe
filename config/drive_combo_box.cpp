#include "config/drive_combo_box.h"

#include <QFile>
#include <QStorageInfo>
#include <algorithm>

namespace lumora {

std::vector<std::string> mountPoints() {
  std::vector<std::string> others;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    std::string root = QFile::encodeName(volume.rootPath()).toStdString();
    if (root.empty() || root == "/") continue;
    if (root.back() != '/') root += '/';
    others.push_back(root);
  }
  std::sort(others.begin(), others.end());
  others.erase(std::unique(others.begin(), others.end()), others.end());
  others.insert(others.begin(), "/");
  return others;
}

DriveComboBox::DriveComboBox(QWidget* parent) : QComboBox(parent) {
  for (const std::string& root : mountPoints()) {
    const QByteArray bytes = QByteArray::fromStdString(root);
    addItem(QFile::decodeName(bytes), bytes);
  }
}

std::string DriveComboBox::drivePath() const { return currentData().toByteArray().toStdString(); }

}  // namespace lumora
