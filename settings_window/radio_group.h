// A radio group: a titled box of exclusive choices with an item index
// (-1 when no item is marked).
#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

namespace lumora {

class RadioGroup : public QGroupBox {
 public:
  RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);

  int itemIndex() const { return buttons_.checkedId(); }
  // -1 clears every mark; an index outside the items changes nothing.
  void setItemIndex(int index);
  QAbstractButton* item(int index) const { return buttons_.button(index); }
  int count() const { return int(buttons_.buttons().size()); }

 private:
  QButtonGroup buttons_;
};

}  // namespace lumora
