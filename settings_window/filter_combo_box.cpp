#include "settings_window/filter_combo_box.h"

#include "settings_window/file_list_box.h"

namespace lumora {

FilterComboBox::FilterComboBox(std::span<const FilterRow> rows, FileListBox* fileList, QWidget* parent)
    : QComboBox(parent) {
  for (const FilterRow& row : rows) addItem(QString::fromUtf8(row.description), QByteArray(row.mask));
  connect(this, &QComboBox::currentIndexChanged, fileList,
          [this, fileList](int) { fileList->setMask(currentData().toByteArray().toStdString()); });
}

}  // namespace lumora
