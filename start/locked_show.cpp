#include "start/locked_show.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QWindow>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

#include "frame_export/frame_export.h"
#include "platform/core/hooks.h"
#include "platform/core/packet_channel.h"
#include "platform/core/paths.h"
#include "platform/desktop/power_off.h"
#include "platform/desktop/x11_window.h"
#include "saver/ui/saver_window.h"
#include "settings/show_start.h"
#include "start/show_termination.h"

namespace lumora {

namespace {

constexpr int kChannelFd = 3;
constexpr int kSettingsFd = 4;
constexpr int kOwnWindowPollMs = 250;

std::string readAll(int fd) {
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    bytes.append(buffer, std::size_t(n));
  }
  return bytes;
}

// The shutdown countdown's end goes to the lock, which powers off once its
// prompt has been answered.
class ShutdownToLock : public PowerOff {
 public:
  explicit ShutdownToLock(const PacketChannel& channel) : channel_(channel) {}
  void powerOff() override { channel_.send("shutdown"); }

 private:
  const PacketChannel& channel_;
};

// What every show the lock runs starts from: the lock channel, the registry
// file as the lock read it, and the shutdown that goes to the lock.
class LockedStart {
 public:
  LockedStart() : snapshot_(readAll(kSettingsFd)), shutdown_(channel_) { ::close(kSettingsFd); }

  const PacketChannel& channel() const { return channel_; }
  SaverServices services() {
    SaverServices services;
    services.powerOff = &shutdown_;
    services.start = readShowStart(registryFilePath(), false,
                                   [this](const std::filesystem::path&) { return RegistryFile::parse(snapshot_); });
    if (const auto fx = hookNumber(Hook::Effect)) services.forcedEffect = int(*fx);
    return services;
  }

 private:
  PacketChannel channel_{UniqueFd(kChannelFd)};
  std::string snapshot_;
  ShutdownToLock shutdown_;
};

// Listens to the lock: while its prompt is up the slides wait; every other
// message goes to `other`; when the lock is gone, nothing holds the screen
// for this show any more and it ends.
void listenToLock(const PacketChannel& channel, SaverWindow& saver, QSocketNotifier& fromLock,
                  const std::function<void(const std::string&)>& other) {
  QObject::connect(&fromLock, &QSocketNotifier::activated, &saver, [&channel, &saver, &fromLock, other] {
    for (;;) {
      bool closed = false;
      const std::optional<Packet> packet = channel.receive(closed);
      if (closed) {
        saver.endShow();
        fromLock.setEnabled(false);
        return;
      }
      if (!packet) return;
      if (packet->text == "prompt 1")
        saver.holdForLockPrompt(true);
      else if (packet->text == "prompt 0")
        saver.holdForLockPrompt(false);
      else if (other)
        other(packet->text);
    }
  });
}

// The show under the lock on Wayland: full screen on the lumoraframes
// platform, its pixels sent to the lock (frame_export/), its screen the size
// the lock asks for.
int runLockedShowForFrames() {
  LockedStart start;
  FrameExport frames(start.channel());
  SaverWindow saver(start.services());
  ShowTermination termination(saver);
  QSocketNotifier fromLock(start.channel().fd(), QSocketNotifier::Read);
  listenToLock(start.channel(), saver, fromLock, [&frames](const std::string& text) { frames.handle(text); });
  saver.show();
  QApplication::exec();
  return 0;
}

}  // namespace

int runLockedShow(std::optional<std::uint32_t> windowId) {
  if (!windowId) return runLockedShowForFrames();
  if (!onX11()) {
    std::fputs("lumora: --locked-show needs --window-id on X11\n", stderr);
    return 1;
  }
  if (!x11WindowSize(*windowId)) {
    std::fprintf(stderr, "lumora: no such window: 0x%x\n", unsigned(*windowId));
    return 1;
  }
  LockedStart start;
  const std::unique_ptr<QWindow> host(QWindow::fromWinId(WId(*windowId)));
  SaverServices services = start.services();
  services.host = host.get();
  services.hostId = *windowId;
  SaverWindow saver(services);
  ShowTermination termination(saver);
  QSocketNotifier fromLock(start.channel().fd(), QSocketNotifier::Read);
  listenToLock(start.channel(), saver, fromLock, {});
  saver.show();
  // Another program may destroy the show's own window and leave the lock's
  // area: the show would play on unseen. It ends instead, and the lock
  // starts a new one.
  QTimer ownWindow;
  QObject::connect(&ownWindow, &QTimer::timeout, &saver, [&saver] {
    if (x11WindowSize(std::uint32_t(saver.winId()))) return;
    std::fputs("lumora: the show's window was destroyed\n", stderr);
    QCoreApplication::exit(1);
  });
  ownWindow.start(kOwnWindowPollMs);
  return QApplication::exec();
}

}  // namespace lumora
