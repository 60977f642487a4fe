// Module mode: the show plays inside a window the desktop gave it (a
// preview pane, XScreenSaver's window), whatever its size. The show's window
// becomes a native child of the desktop's: X clips it, input goes through it
// to the desktop, and it never takes the focus. The desktop owns input,
// locking and the end; the show follows the window's size between slide
// steps and ends when the desktop destroys the window.
#pragma once

#include <QObject>
#include <QSize>
#include <QRect>
#include <QTimer>
#include <cstdint>
#include <functional>

class QWidget;
class QWindow;

namespace lumora {

class HostedShow : public QObject {
  Q_OBJECT

 public:
  // `host` outlives the show's window; `hostId` is its X window id.
  HostedShow(QWindow* host, std::uint32_t hostId, QObject* parent = nullptr);

  // The area the show covers: the host window's inside, at (0, 0).
  QRect area() const { return QRect(QPoint(0, 0), size_); }
  // Makes `window` a native child of the host, covering it, and starts
  // following the host: a new size is taken only while `mayResize` holds
  // (between slide steps, never under a running one).
  void embed(QWidget& window, std::function<bool()> mayResize);
  // Stops following the host (the show is ending).
  void stop() { timer_.stop(); }

  // Ends the application: exit, not quit, for quit asks every window to
  // close first, and the host window (not ours) may refuse.
  void endApplication() const;

 signals:
  void resized();  // area() changed
  void gone();     // the desktop destroyed its window: nowhere to play

 private:
  void follow();  // the host's size, polled

  QWindow* host_;
  std::uint32_t hostId_;
  QSize size_;  // the size the show last took from the host
  std::function<bool()> mayResize_;
  QTimer timer_;
};

}  // namespace lumora
