// A file list: the files of one folder that match a mask, sorted by name,
// with extended selection. Folders and hidden files are not listed.
#pragma once

#include <QListWidget>
#include <string>

namespace lumora {

class FileListBox : public QListWidget {
 public:
  explicit FileListBox(const std::string& mask, QWidget* parent = nullptr);

  // The folder shown (file system path; may or may not end with "/").
  const std::string& directory() const { return directory_; }
  void setDirectory(const std::string& folder);
  const std::string& mask() const { return mask_; }
  void setMask(const std::string& mask);
  // Reads the folder again.
  void refresh();

  // The file name of a row (file system bytes).
  std::string fileName(int row) const;
  // The full path of a row: the folder and the name joined by one "/".
  std::string filePath(int row) const;

 private:
  std::string directory_;
  std::string mask_;
};

}  // namespace lumora
