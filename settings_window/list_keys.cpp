#include "settings_window/list_keys.h"

#include <QKeyEvent>

namespace lumora {

ListKeys::ListKeys(QObject* view, std::function<void()> onEnter, std::function<void()> onDelete)
    : QObject(view), onEnter_(std::move(onEnter)), onDelete_(std::move(onDelete)) {
  view->installEventFilter(this);
}

bool ListKeys::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->modifiers() & ~Qt::KeypadModifier) return false;
  const std::function<void()>* action = nullptr;
  switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      action = &onEnter_;
      break;
    case Qt::Key_Delete:
      action = &onDelete_;
      break;
    default:
      return false;
  }
  if (!*action) return false;
  (*action)();
  return true;
}

}  // namespace lumora
