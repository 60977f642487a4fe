// The mouse cursor's show/hide counter, kept as Windows keeps it: it starts
// at 0, each hide takes one off, each show adds one, and the cursor is hidden
// while the counter is below 0.
#pragma once

#include <functional>

namespace lumora {

// The counting alone, with callbacks for the moments the cursor's visibility
// changes: onHide when the counter drops below 0, onShow when it comes back
// to 0.
class CursorCounter {
 public:
  CursorCounter(std::function<void()> onHide, std::function<void()> onShow)
      : onHide_(std::move(onHide)), onShow_(std::move(onShow)) {}

  // Returns the new counter (as ShowCursor does).
  int hide();
  int show();
  int count() const { return count_; }
  bool hidden() const { return count_ < 0; }

 private:
  std::function<void()> onHide_;
  std::function<void()> onShow_;
  int count_ = 0;
};

// The application's cursor: hides with
// QGuiApplication::setOverrideCursor(Qt::BlankCursor) and shows with
// restoreOverrideCursor(), and tells `windows` (when given) to blank their
// own cursor or give it back. A Wayland compositor takes a cursor only from
// the window the pointer has entered: a window that holds the blank cursor
// itself has it hidden from the moment the pointer is over it, motion or
// not. When destroyed while hidden, it restores the cursor. Needs a
// QGuiApplication.
class AppCursor {
 public:
  explicit AppCursor(std::function<void(bool hidden)> windows = {});
  ~AppCursor();
  AppCursor(const AppCursor&) = delete;
  AppCursor& operator=(const AppCursor&) = delete;

  int hide() { return counter_.hide(); }
  int show() { return counter_.show(); }
  int count() const { return counter_.count(); }

 private:
  CursorCounter counter_;
};

}  // namespace lumora
