// The start-up baseline: an empty full-screen Qt window that ends once it has
// been painted, measured the same way as "lumora /S".
#include <QApplication>
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
  window.showFullScreen();
  return QApplication::exec();
}
