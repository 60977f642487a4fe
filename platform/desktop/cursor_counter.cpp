#include "platform/desktop/cursor_counter.h"

#include <QCursor>
#include <QGuiApplication>

namespace lumora {

int CursorCounter::hide() {
  if (--count_ == -1 && onHide_) onHide_();
  return count_;
}

int CursorCounter::show() {
  if (++count_ == 0 && onShow_) onShow_();
  return count_;
}

AppCursor::AppCursor(std::function<void(bool hidden)> windows)
    : counter_(
          [windows] {
            QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
            if (windows) windows(true);
          },
          [windows] {
            QGuiApplication::restoreOverrideCursor();
            if (windows) windows(false);
          }) {}

AppCursor::~AppCursor() {
  if (counter_.hidden()) QGuiApplication::restoreOverrideCursor();
}

}  // namespace lumora
