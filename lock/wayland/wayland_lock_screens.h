// The lock on Wayland: WaylandCovers on every output, the show's frames
// (FrameReceiver) on the primary one, and the prompt, a window of Qt's
// offscreen platform, drawn over them whenever it changes. Keys reach the
// prompt from the covers' keyboard. Where the compositor lets no client hold
// the screen (Hold::None), losing it asks the desktop's own lock.
#pragma once

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <memory>

#include "lock/lock_screens.h"
#include "lock/wayland/frame_receiver.h"
#include "lock/wayland/wayland_covers.h"

namespace lumora {

class WaylandLockScreens : public LockScreens {
  Q_OBJECT

 public:
  // Throws std::runtime_error without a Wayland connection.
  explicit WaylandLockScreens(QObject* parent = nullptr);
  ~WaylandLockScreens() override;

  QStringList showArguments() const override { return {}; }
  QWidget* promptParent() const override { return nullptr; }
  void promptShown(PasswordPrompt& prompt, bool shown) override;
  void showMessage(const QString& text, int fd) override;
  void showStarted() override;

  WaylandCovers& covers() { return covers_; }

 private:
  void key(QKeyEvent* event);
  void drawPrompt();
  void sendSize();

  WaylandCovers covers_;
  FrameReceiver frames_;
  QPointer<PasswordPrompt> prompt_;
  QImage promptImage_;
  QTimer promptRedraw_;  // the prompt's caret and countdown change by themselves
};

}  // namespace lumora
