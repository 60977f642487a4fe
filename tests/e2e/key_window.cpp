// Another client's window for the lock's tests: a plain cyan window of 400 x 300
// that prints "shown" once it is on screen and "key TEXT" for every key it
// is given, so a test can tell whether it ever got one.
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <cstdio>

class KeyWindow : public QWidget {
 protected:
  void keyPressEvent(QKeyEvent* event) override {
    std::printf("key %s\n", event->text().toUtf8().constData());
    std::fflush(stdout);
  }
  void showEvent(QShowEvent*) override {
    std::puts("shown");
    std::fflush(stdout);
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  KeyWindow window;
  window.setWindowTitle("key-window");
  window.setStyleSheet("background: #00ffff");
  window.resize(400, 300);
  window.show();
  return app.exec();
}
