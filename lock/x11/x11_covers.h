// The lock on X11: an override-redirect black window on every screen (RandR
// monitors as Qt reports them), following every change of the screens; the
// primary one holds the area the show plays in (a native child whose id the
// show gets with --window-id) and, above it, the prompt and the notice that
// another program holds the keyboard or the pointer. Every 100 ms the covers
// are made again when someone destroyed them, mapped again when someone
// unmapped them, raised, and the grabs taken again; while another program holds a grab the lock says so, on standard
// error and on the screen, and keeps trying.
#pragma once

#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <vector>

#include "lock/lock_screens.h"

#include <QScreen>

namespace lumora {

class LockCover : public QWidget {
  Q_OBJECT

 public:
  explicit LockCover(QScreen* screen);
  QScreen* coveredScreen() const { return screen_; }
  void fit();

 signals:
  void input();

 protected:
  void keyPressEvent(QKeyEvent*) override { emit input(); }
  void mousePressEvent(QMouseEvent*) override { emit input(); }

 private:
  QPointer<QScreen> screen_;
};

class X11Covers : public LockScreens {
  Q_OBJECT

 public:
  explicit X11Covers(QObject* parent = nullptr);
  ~X11Covers() override;

  QStringList showArguments() const override;
  QWidget* promptParent() const override;
  void promptShown(PasswordPrompt& prompt, bool shown) override;
  void showMessage(const QString&, int fd) override;

  // Both grabs held (the screen is locked).
  bool locked() const { return keyboardHeld_ && pointerHeld_; }

 private:
  void update();  // covers for the screens as they are now
  void keep();    // there, mapped, on top, grabbed
  void dropPrimary();
  void grab();
  void placeNotice();

  std::vector<std::unique_ptr<LockCover>> covers_;
  LockCover* primary_ = nullptr;
  QWidget* showArea_ = nullptr;  // child of *primary_
  QLabel* notice_ = nullptr;     // child of *primary_
  QPointer<PasswordPrompt> prompt_;
  QTimer keeper_;
  bool keyboardHeld_ = false;
  bool pointerHeld_ = false;
  bool saidNotLocked_ = false;
  bool promptOpen_ = false;
  bool updating_ = false;
};

}  // namespace lumora
