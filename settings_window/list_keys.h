// The keys a list takes beyond Qt's own (arrows, Shift and Ctrl selection,
// Ctrl+A): Enter and Delete, each mapped to an action of the window.
#pragma once

#include <QObject>
#include <functional>

namespace lumora {

class ListKeys : public QObject {
 public:
  // Installs itself on `view` (which owns it). An empty action leaves the
  // key to the view.
  ListKeys(QObject* view, std::function<void()> onEnter, std::function<void()> onDelete);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<void()> onEnter_;
  std::function<void()> onDelete_;
};

}  // namespace lumora
