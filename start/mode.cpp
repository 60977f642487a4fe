#include "start/mode.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "config/settings_window.h"
#include "platform/core/paths.h"
#include "platform/desktop/power_off.h"
#include "password/password_window.h"
#include "saver/ui/face_names.h"
#include "saver/ui/saver_window.h"

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

// LUMORA_EXIT_AFTER_FIRST_FRAME=1: print "first frame" and end once the
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

int runShow() {
  const auto powerOff = makePowerOff();
  SaverServices services;
  services.powerOff = powerOff.get();
  if (const char* fx = std::getenv("LUMORA_EFFECT")) services.forcedEffect = std::atoi(fx);
  SaverWindow saver(services);
  FirstFrameExit firstFrame;
  if (std::getenv("LUMORA_EXIT_AFTER_FIRST_FRAME")) saver.installEventFilter(&firstFrame);
  saver.showFullScreen();
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

}  // namespace

int runMode(Mode mode, int argc, char** argv) {
  if (mode == Mode::None) return 0;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Lumora"));
  installFaceNameSubstitutions();
  try {
    if (mode == Mode::Settings) return runSettings();
    return mode == Mode::Show ? runShow() : runPassword();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lumora: %s\n", e.what());
    return 1;
  }
}

}  // namespace lumora
