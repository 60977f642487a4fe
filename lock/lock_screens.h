// The lock's covers on one kind of display (X11, Wayland): black on every
// screen, the show placed on the primary one, the prompt above the show.
// The lock itself (Lock) is the same on every display.
#pragma once

#include <QObject>
#include <QStringList>

namespace lumora {

class PasswordPrompt;

class LockScreens : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  // The arguments the show is run with after "--locked-show" (where to play).
  virtual QStringList showArguments() const = 0;
  // The widget the prompt is a child of (nullptr: a window of its own that
  // the covers draw, as on Wayland).
  virtual QWidget* promptParent() const = 0;
  // The prompt came up or went away (the covers may draw it).
  virtual void promptShown(PasswordPrompt& prompt, bool shown) = 0;
  // A message from the show the lock does not handle itself (frames).
  virtual void showMessage(const QString& text, int fd) = 0;
  // A show (the first, or a new one after a death) has just been started.
  virtual void showStarted() {}

 signals:
  void input();                              // a key or a button on any screen
  void showMoved();                          // the show must start again with new showArguments()
  void messageForShow(const QString& text);  // to pass to the running show
  void lost(const QString& why);             // the screen could not be held (the session's own lock is asked)
};

}  // namespace lumora
