#include "start/mode.h"
#include "platform/core/hooks.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "settings_window/settings_window.h"
#include "platform/core/paths.h"
#include "platform/desktop/power_off.h"
#include "password/password_window.h"
#include "widgets/face_names.h"
#include "saver/ui/saver_window.h"
#include "settings/show_start.h"
#include "start/command_line.h"
#include "start/display.h"
#include "start/idle_mode.h"
#include "start/locked_show.h"
#include "start/lock_program.h"
#include "start/module_mode.h"
#include "start/show_termination.h"
#include "start/step_times.h"

namespace lumora {

std::string modeKey(const std::string& arg) {
  std::string key = arg.substr(0, 2);
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return key;
}

Mode modeOf(int argc, const char* const* argv) {
  if (argc < 2) return Mode::None;
  const std::string key = modeKey(argv[1]);
  if (key == "/S") return Mode::Show;
  if (key == "/C") return Mode::Settings;
  if (key == "/A") return Mode::Password;
  return Mode::None;
}

namespace {

// Hook::ExitAfterFirstFrame: print "first frame" and end once the
// window has been painted once (the start-up benchmark's measure).
class FirstFrameExit : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !seen_) {
      seen_ = true;
      QTimer::singleShot(0, qApp, [] {
        std::puts("first frame");
        std::fflush(stdout);
        QCoreApplication::exit(0);
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool seen_ = false;
};

int runShow(std::optional<ShowStart> start) {
  const auto powerOff = makePowerOff();
  SaverServices services;
  services.start = std::move(start);
  services.powerOff = powerOff.get();
  if (const auto fx = hookNumber(Hook::Effect)) services.forcedEffect = int(*fx);
  if (const auto seed = hookNumber(Hook::Seed)) services.seed = std::uint32_t(*seed);
  SaverWindow saver(services);
  ShowTermination termination(saver);
  FirstFrameExit firstFrame;
  if (hookOn(Hook::ExitAfterFirstFrame)) saver.installEventFilter(&firstFrame);
  std::optional<StepTimes> stepTimes;
  if (hookOn(Hook::StepTimes)) stepTimes.emplace(saver.slideTimer());
  saver.showOnPrimaryScreen();
  return QApplication::exec() == 0 ? 0 : 1;
}

int runSettings() {
  SettingsWindow window;
  window.show();
  return QApplication::exec() == 0 ? 0 : 1;
}

int runPassword() {
  PasswordWindow window(registryFilePath());
  window.show();
  window.exec();
  return 0;
}

// What Qt says while the application starts, held back: when its platform
// cannot start, Qt explains at length and aborts; the user gets one line and
// status 1 instead. When it starts, the held messages are printed.
std::string& startupMessages() {
  static std::string held;
  return held;
}

void startupMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtFatalMsg) {
    startupMessages() += message.toStdString() + "\n";
    return;
  }
  std::fputs(kNoDisplayMessage, stderr);
  std::fflush(stderr);
  std::_Exit(1);
}

// Runs `body` in a started application on the platform chosen for `kind`
// (passed as Qt's -platform argument, so that programs the run starts make
// their own choice); what it throws is reported.
template <typename Body>
int withApplication(int argc, char** argv, WindowKind kind, Body body) {
  if (!displayAvailable()) {
    std::fputs(kNoDisplayMessage, stderr);
    return 1;
  }
  std::vector<char*> args(argv, argv + argc);
  std::string platformOption = "-platform";
  std::string platform = platformFor(kind);
  if (!platform.empty()) {
    args.push_back(platformOption.data());
    args.push_back(platform.data());
  }
  int count = int(args.size());
  args.push_back(nullptr);
  const QtMessageHandler previous = qInstallMessageHandler(startupMessage);
  QApplication app(count, args.data());
  qInstallMessageHandler(previous);
  std::fputs(startupMessages().c_str(), stderr);
  startupMessages().clear();
  QApplication::setApplicationName(QStringLiteral("Lumora"));
  installFaceNameSubstitutions();
  try {
    return body();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lumora: %s\n", e.what());
    return 1;
  }
}

}  // namespace

int runMode(Mode mode, int argc, char** argv) {
  if (mode == Mode::None) return 0;
  // With the password on, the lock (lumora-lock) runs in this process's
  // place and runs the show as its module. The registry file is read once
  // here; without the password the show goes on with what was read.
  std::optional<ShowStart> start;
  if (mode == Mode::Show && displayAvailable()) {
    start = readShowStart(registryFilePath(), true);
    if (!start->password.empty()) {
      execLockProgram();
      // A show without its lock would be no lock at all: nothing starts.
      std::fputs("lumora: the show does not start without its lock\n", stderr);
      return 1;
    }
  }
  return withApplication(argc, argv, mode == Mode::Show ? WindowKind::Show : WindowKind::Ordinary, [mode, &start] {
    if (mode == Mode::Settings) return runSettings();
    return mode == Mode::Show ? runShow(std::move(start)) : runPassword();
  });
}

int runLumora(int argc, char** argv) {
  const CommandLine line = parseCommandLine(argc, argv);
  switch (line.launch) {
    case Launch::Help:
      std::fputs(helpText().c_str(), stdout);
      return 0;
    case Launch::Version:
      std::fputs(versionText().c_str(), stdout);
      return 0;
    case Launch::Usage:
      std::fprintf(stderr,
                   "lumora: %s\nUsage: lumora /S | /C | /A | -window-id ID | -root | --idle | --help | --version\n",
                   line.error.c_str());
      return 2;
    case Launch::Idle:
      return runIdle(argv[0]);
    case Launch::Locked:
      // Without a window id (the lock on Wayland) the show draws frames for
      // the lock into shared memory.
      return withApplication(argc, argv, line.windowId ? WindowKind::InsideXWindow : WindowKind::LockFrames,
                             [&line] { return runLockedShow(line.windowId); });
    case Launch::Module:
      return withApplication(argc, argv, WindowKind::InsideXWindow, [&line] { return runModule(line.windowId); });
    case Launch::Mode:
      break;
  }
  return runMode(line.mode, argc, argv);
}

}  // namespace lumora
