#include "settings_window/radio_group.h"

#include <QRadioButton>
#include <QVBoxLayout>

namespace lumora {

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QGroupBox(title, parent), buttons_(this) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 4, 8, 4);
  layout->setSpacing(2);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    buttons_.addButton(button, i);
    layout->addWidget(button);
  }
}

void RadioGroup::setItemIndex(int index) {
  if (index == -1) {
    // An exclusive group keeps one mark; lift the rule to clear it.
    buttons_.setExclusive(false);
    for (QAbstractButton* b : buttons_.buttons()) b->setChecked(false);
    buttons_.setExclusive(true);
    return;
  }
  if (QAbstractButton* b = buttons_.button(index)) b->setChecked(true);
}

}  // namespace lumora
