// The report of a picture that cannot be read: a small box at the top of the
// screen with the loader's message, over the show, that removes itself after
// a few seconds. It never takes the keyboard and never waits: the show goes
// on beneath it. A child widget of the show's window above the stage, it
// leaves the Stage untouched, so what lay beneath it comes back whole when it
// goes.
#pragma once

#include <QLabel>
#include <QTimer>
#include <QWidget>

namespace lumora {

class PictureErrorReport : public QWidget {
  Q_OBJECT

 public:
  // How long a report stays on the screen.
  static constexpr int kShownMs = 4000;

  explicit PictureErrorReport(QWidget* parent = nullptr);

  // Shows `message` (UTF-8) at the top of `screen` (the show's area), above
  // the stage, for kShownMs (a new report replaces one still shown).
  void report(const QString& message, const QRect& screen);
  // Puts the box back on top (after the stage was raised).
  void keepOnTop();
  QString text() const { return label_->text(); }

 signals:
  // A mouse button on the box: ends the show like input anywhere else.
  void inputReceived();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QLabel* label_;
  QTimer hideTimer_;
};

}  // namespace lumora
