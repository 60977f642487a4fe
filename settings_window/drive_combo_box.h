// The drive selector: the places of the session (home, the user's folders,
// the mounted volumes, "/"), each standing for a folder path ending with "/".
#pragma once

#include <QComboBox>
#include <string>
#include <vector>

#include "settings_window/places.h"

namespace lumora {

// The mounted volumes worth offering: those on a device (not the kernel's
// own file systems), with their labels and whether they are removable.
std::vector<Volume> mountedVolumes();

class DriveComboBox : public QComboBox {
 public:
  explicit DriveComboBox(QWidget* parent = nullptr);
  // Lists these places instead of the session's (tests).
  void setPlaces(const std::vector<Place>& places);
  // The chosen place's folder path ("/home/li/" or "/media/usb/").
  std::string drivePath() const;
  // Stands on the first place of this kind, else on the home folder.
  void selectStartPlace(Place::Kind preferred);

 private:
  std::vector<Place> places_;
};

}  // namespace lumora
