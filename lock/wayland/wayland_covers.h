// Covers every output on Wayland on a wayland-client connection of its own
// (the lock's Qt runs on the offscreen platform, so this is the lock's only
// Wayland connection), driven from Qt's event loop.
//
// How the screen is held, best first: overlay-layer surfaces with exclusive
// keyboard on every output plus the input inhibitor (wlroots' sway), the
// layer surfaces alone (KWin), else plain full-screen xdg toplevels, which any
// window can cover (GNOME's mutter): then screenLost says when that happened.
#pragma once

#include <QImage>
#include <QObject>
#include <QRegion>
#include <QSize>
#include <QString>
#include <memory>

class QKeyEvent;
class QSocketNotifier;

namespace lumora {

class WaylandCovers : public QObject {
  Q_OBJECT
 public:
  // SessionLock (ext-session-lock-v1) is not used yet: no compositor of
  // Debian 12 offers it to test against.
  enum class Hold { SessionLock, LayerShellWithInhibitor, LayerShell, None };

  // Throws std::runtime_error(message) when there is no Wayland connection
  // or the compositor lacks what every client needs (wl_compositor, wl_shm,
  // and layer-shell or xdg-shell).
  explicit WaylandCovers(QObject* parent = nullptr);
  ~WaylandCovers() override;

  Hold hold() const;
  // The primary (first) output's size in buffer pixels.
  QSize primarySize() const;
  // The show's picture on the primary output: `frame` must stay valid until
  // the next call (it is read again to repair older buffers); `damage` is
  // what changed since the last one. A null frame is black.
  void showFrame(const QImage& frame, const QRegion& damage);
  // Drawn centred over the primary output, above the frame (null: none).
  void setOverlay(const QImage& prompt);

 signals:
  // Built with xkbcommon from wl_keyboard: Qt key, modifiers, text.
  void keyPressed(QKeyEvent* event);
  void buttonPressed();
  void primarySizeChanged(QSize size);
  // Hold::None only: lost the focus or its full screen, asked to close, an
  // output left uncovered.
  void screenLost(QString why);
  // Every output covered (first configure and first buffer on each).
  void ready();

 public:
  // The connection's state (wayland_covers.cpp).
  struct Connection;

 private:
  friend struct Connection;
  void connectToCompositor(bool withInhibitor);
  void dispatch();

  std::unique_ptr<Connection> connection_;
  std::unique_ptr<QSocketNotifier> notifier_;
  QImage frame_;
  QImage overlay_;
};

}  // namespace lumora
