#include "settings_window/drive_combo_box.h"

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>

namespace lumora {

namespace {

// A block device is removable when the kernel says so of it or of the disk
// it is a partition of.
bool removableDevice(const QByteArray& device) {
  if (!device.startsWith("/dev/")) return false;
  const QString sys = QFileInfo(QStringLiteral("/sys/class/block/") + QFileInfo(QFile::decodeName(device)).fileName())
                          .canonicalFilePath();
  if (sys.isEmpty()) return false;
  for (const QString& dir : {sys, QFileInfo(sys).path()}) {
    QFile flag(dir + QStringLiteral("/removable"));
    if (flag.open(QIODevice::ReadOnly)) return flag.readAll().trimmed() == "1";
  }
  return false;
}

QString placeIcon(Place::Kind kind) {
  switch (kind) {
    case Place::Kind::Home:
      return QStringLiteral("user-home");
    case Place::Kind::Pictures:
      return QStringLiteral("folder-pictures");
    case Place::Kind::Music:
      return QStringLiteral("folder-music");
    case Place::Kind::Videos:
      return QStringLiteral("folder-videos");
    case Place::Kind::Desktop:
      return QStringLiteral("user-desktop");
    case Place::Kind::Documents:
      return QStringLiteral("folder-documents");
    case Place::Kind::Downloads:
      return QStringLiteral("folder-download");
    case Place::Kind::Volume:
      return QStringLiteral("drive-harddisk");
    case Place::Kind::Root:
      return QStringLiteral("drive-harddisk");
  }
  return {};
}

}  // namespace

std::vector<Volume> mountedVolumes() {
  std::vector<Volume> volumes;
  for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
    if (!v.device().startsWith("/dev/") || v.fileSystemType() == "squashfs") continue;
    Volume volume;
    volume.root = QFile::encodeName(v.rootPath()).toStdString();
    volume.label = v.name().toStdString();
    volume.removable = removableDevice(v.device());
    if (volume.root.empty() || volume.root == "/") continue;
    volumes.push_back(std::move(volume));
  }
  std::sort(volumes.begin(), volumes.end(), [](const Volume& a, const Volume& b) { return a.root < b.root; });
  volumes.erase(
      std::unique(volumes.begin(), volumes.end(), [](const Volume& a, const Volume& b) { return a.root == b.root; }),
      volumes.end());
  return volumes;
}

DriveComboBox::DriveComboBox(QWidget* parent) : QComboBox(parent) { setPlaces(sessionPlaces(mountedVolumes())); }

void DriveComboBox::setPlaces(const std::vector<Place>& places) {
  places_ = places;
  clear();
  for (const Place& place : places_) {
    const QByteArray path = QByteArray::fromStdString(place.path);
    addItem(QIcon::fromTheme(placeIcon(place.kind)), QString::fromStdString(place.name), path);
    setItemData(count() - 1, QFile::decodeName(path), Qt::ToolTipRole);
  }
}

std::string DriveComboBox::drivePath() const { return currentData().toByteArray().toStdString(); }

void DriveComboBox::selectStartPlace(Place::Kind preferred) {
  const Place* start = startPlace(places_, preferred);
  if (!start) return;
  setCurrentIndex(int(start - places_.data()));
}

}  // namespace lumora
