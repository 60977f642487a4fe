// Item rows two pixels taller than the font's line: the Ming face draws its
// underscore one pixel below its own descent, where a row of exactly the
// line's height would cut it off ("楷体_GB2312" would read "楷体 GB2312").
#pragma once

#include <QStyledItemDelegate>

namespace lumora {

class LineRoomDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return QStyledItemDelegate::sizeHint(option, index) + QSize(0, 2);
  }
};

}  // namespace lumora
