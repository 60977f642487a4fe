// The start-up baseline: an empty full-screen Qt window that ends once it has
// been painted, measured the same way as "lumora /S". With --caption it also
// shows the show's welcome caption in the same face and size, which tells
// how much of the show's start-up is the caption's text alone.
#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <cstring>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

class EmptyWindow : public QWidget {
 protected:
  void paintEvent(QPaintEvent*) override {
    if (done_) return;
    done_ = true;
    QTimer::singleShot(0, qApp, [] {
      std::puts("first frame");
      std::fflush(stdout);
      QCoreApplication::exit(0);
    });
  }

 private:
  bool done_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  EmptyWindow window;
  window.setStyleSheet(QStringLiteral("background: black"));
  if (argc > 1 && std::strcmp(argv[1], "--caption") == 0) {
    auto* label = new QLabel(QStringLiteral("欢迎使用《Lumora》"), &window);
    QFont font;
    font.setFamilies({QStringLiteral("AR PL UKai CN"), QStringLiteral("华文行楷")});
    const int width = QGuiApplication::primaryScreen()->geometry().width();
    const int points = int(width / 18.0 / 1.2 + 0.5);  // 18 ANSI bytes
    font.setPixelSize((points * 96 + 36) / 72);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: yellow; background: transparent"));
    label->adjustSize();
  }
  window.showFullScreen();
  return QApplication::exec();
}
