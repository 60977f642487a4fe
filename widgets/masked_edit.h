// A line edit that shows "*" for every character, as the masked edits of
// the password windows do.
#pragma once

#include <QLineEdit>

namespace lumora {

class MaskedEdit : public QLineEdit {
 public:
  explicit MaskedEdit(QWidget* parent = nullptr);
};

}  // namespace lumora
