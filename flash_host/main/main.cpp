// lumora-flash: plays one Flash movie through Ruffle in a web view, for the
// show and the settings window's preview, which drive it over a pipe.
//
//   lumora-flash [--parent WINDOW-ID | --screen OUTPUT] [--size WxH] [--hidden] [--ruffle DIR]
//
// --parent plays inside that (X11) window; --screen in a window of our own,
// full screen on that output; else in a window of our own of the given size.
// --hidden: our own window waits for the "show" command.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/prctl.h>
#include <csignal>
#include <unistd.h>

#include "platform/core/hooks.h"
#include "flash_host/engine_switches.h"
#include "flash_host/host_window.h"
#include "flash_host/memory_limits.h"
#include "platform/core/session_bus.h"
#include "flash_host/scheme.h"

namespace {

// Ruffle's folder: --ruffle, else LUMORA_RUFFLE_DIR, else "ruffle" beside the
// program.
QString ruffleDir(const QString& given) {
  if (!given.isEmpty()) return given;
  if (const auto dir = lumora::hookValue(lumora::Hook::RuffleDir)) return QString::fromLocal8Bit(dir->c_str());
  return QCoreApplication::applicationDirPath() + QStringLiteral("/ruffle");
}

int usage() {
  std::fputs("usage: lumora-flash [--parent WINDOW-ID | --screen OUTPUT] [--size WxH] [--hidden] [--ruffle DIR]\n",
             stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Before the web engine reads the environment: its processes inherit the
  // decision and never start a bus of their own.
  lumora::settleSessionBus();
  // The player never outlives the program that drives it.
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  lumora::HostPlace place;
  QString ruffle;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--hidden") {
      place.hidden = true;
      continue;
    }
    if (i + 1 >= argc) return usage();
    if (a == "--parent") {
      place.parentWindow = std::strtoull(argv[++i], nullptr, 0);
    } else if (a == "--screen") {
      place.fullScreen = true;
      place.output = QString::fromLocal8Bit(argv[++i]);
    } else if (a == "--size") {
      if (std::sscanf(argv[++i], "%dx%d", &place.width, &place.height) != 2 || place.width <= 0 || place.height <= 0)
        return usage();
    } else if (a == "--ruffle") {
      ruffle = QString::fromLocal8Bit(argv[++i]);
    } else {
      return usage();
    }
  }
  if (place.parentWindow && place.fullScreen) return usage();
  // The web engine's sandbox cannot run as root.
  if (::geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
          QByteArray::fromStdString(lumora::playerEngineSwitches(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").toStdString())));
  lumora::limitPlayerMemory();

  lumora::registerLumoraScheme();
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  // Nothing of ours on disk: no shader cache in the user's home.
  QCoreApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("lumora-flash"));
  const QString dir = ruffleDir(ruffle);
  if (!QFileInfo::exists(dir + QStringLiteral("/ruffle.js"))) {
    std::printf("error Ruffle is missing: %s\n", qPrintable(dir));
    std::fflush(stdout);
    return 1;
  }
  lumora::HostWindow host(dir, place);
  const int status = app.exec();
  // The web engine runs in this one process, and its shutdown there can
  // wait for good on threads that never finish. It keeps nothing on disk
  // (an off-the-record profile): the program ends without it.
  std::fflush(stdout);
  std::_Exit(status);
}
