// Drives WaylandCovers as the lock does, for the end-to-end tests: a frame of
// one colour (--colour RRGGBB) on the primary output, a light 246 x 147
// overlay once a key or button came, and on standard output what happens:
// "hold NAME", "ready", "key TEXT", "button", "size W H", "lost WHY". Typing
// --password TEXT then Return ends it with status 0 ("unlocked").
#include <QGuiApplication>
#include <QKeyEvent>
#include <cstdio>

#include "lock/wayland/wayland_covers.h"

using lumora::WaylandCovers;

namespace {

void say(const QString& line) {
  std::printf("%s\n", line.toUtf8().constData());
  std::fflush(stdout);
}

const char* holdName(WaylandCovers::Hold hold) {
  switch (hold) {
    case WaylandCovers::Hold::SessionLock:
      return "session-lock";
    case WaylandCovers::Hold::LayerShellWithInhibitor:
      return "layer-shell+inhibitor";
    case WaylandCovers::Hold::LayerShell:
      return "layer-shell";
    case WaylandCovers::Hold::None:
      return "none";
  }
  return "?";
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QColor colour = Qt::red;
  QString password = "secret";
  const QStringList args = app.arguments();
  for (int i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == "--colour") colour = QColor("#" + args[i + 1]);
    if (args[i] == "--password") password = args[i + 1];
  }
  try {
    WaylandCovers covers;
    say(QString("hold ") + holdName(covers.hold()));
    QImage frame;
    const auto paint = [&](QSize size) {
      frame = QImage(size, QImage::Format_RGB32);
      frame.fill(colour);
      covers.showFrame(frame, QRect(QPoint(), size));
    };
    paint(covers.primarySize());
    QString typed;
    const auto ask = [&] {
      QImage prompt(246, 147, QImage::Format_RGB32);
      prompt.fill(QColor(212, 208, 200));
      covers.setOverlay(prompt);
    };
    QObject::connect(&covers, &WaylandCovers::ready, [] { say("ready"); });
    QObject::connect(&covers, &WaylandCovers::buttonPressed, [&] {
      say("button");
      ask();
    });
    QObject::connect(&covers, &WaylandCovers::screenLost, [](const QString& why) { say("lost " + why); });
    QObject::connect(&covers, &WaylandCovers::primarySizeChanged, [&](QSize size) {
      say(QString("size %1 %2").arg(size.width()).arg(size.height()));
      paint(size);
    });
    QObject::connect(&covers, &WaylandCovers::keyPressed, [&](QKeyEvent* event) {
      say("key " + (event->text().isEmpty() ? QString::number(event->key(), 16) : event->text()));
      ask();
      if (event->key() == Qt::Key_Return) {
        if (typed == password) {
          say("unlocked");
          app.quit();
        }
        typed.clear();
      } else {
        typed += event->text();
      }
    });
    return app.exec();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "wayland_covers_probe: %s\n", e.what());
    return 2;
  }
}
