// The show's covers of the screens beside the primary one: each is a black
// full-screen window without a cursor on its own screen (output, on
// Wayland), placed as the show's window is (show_placement.h), so that
// nothing of the desktop shows anywhere while the show runs. Screens that
// come or go while it runs are covered or released.
#pragma once

#include <QObject>
#include <QWidget>
#include <memory>
#include <vector>

class QScreen;

namespace lumora {

// One screen's cover. A key or mouse button on it is input to the show.
class CoverWindow : public QWidget {
  Q_OBJECT

 public:
  CoverWindow(QScreen* screen, bool bypassWindowManager);
  QScreen* coveredScreen() const { return screen_; }
  // Shows the cover over its screen; later calls follow the screen's place
  // and size.
  void fit();

 signals:
  void inputReceived();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QScreen* screen_;
  bool bypass_;
};

class ScreenCovers : public QObject {
  Q_OBJECT

 public:
  // Covers every screen but the primary one at once.
  explicit ScreenCovers(bool bypassWindowManager = false, QObject* parent = nullptr);
  ~ScreenCovers() override;

  const std::vector<std::unique_ptr<CoverWindow>>& covers() const { return covers_; }

 signals:
  // A key or mouse button on any cover.
  void inputReceived();

 private:
  // Brings the covers in line with the screens there are now.
  void update();

  bool bypass_;
  std::vector<std::unique_ptr<CoverWindow>> covers_;
};

}  // namespace lumora
