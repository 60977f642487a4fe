// The drive selector: the mount points of the machine, "/" first, each as a
// folder path ending with "/".
#pragma once

#include <QComboBox>
#include <string>
#include <vector>

namespace lumora {

// The mount points: "/" first, then the others sorted, each ending with "/".
std::vector<std::string> mountPoints();

class DriveComboBox : public QComboBox {
 public:
  explicit DriveComboBox(QWidget* parent = nullptr);
  // The chosen drive's root path ("/" or "/media/usb/").
  std::string drivePath() const;
};

}  // namespace lumora
