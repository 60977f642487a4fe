// A filter selector: shows the descriptions of its rows and sets the mask of
// its file list when one is chosen.
#pragma once

#include <QComboBox>
#include <span>

#include "settings_window/file_masks.h"

namespace lumora {

class FileListBox;

class FilterComboBox : public QComboBox {
 public:
  FilterComboBox(std::span<const FilterRow> rows, FileListBox* fileList, QWidget* parent = nullptr);
};

}  // namespace lumora
