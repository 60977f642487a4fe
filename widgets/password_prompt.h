// TForm4, the password prompt of the show: "密码", a masked edit, "确定"
// and "取消", 246 x 147. It is a child widget of the show's window (never a
// window of its own, which a window manager could stack under the show):
// exec() shows it and waits in a local event loop until a button, Return or
// Escape closes it; meanwhile every key typed anywhere in the application
// goes to its edit and buttons outside it do nothing. The edit keeps what
// was typed between prompts.
#pragma once

#include <QEventLoop>
#include <QFrame>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <functional>

class QLabel;
class QPushButton;

namespace lumora {

class MaskedEdit;

class PasswordPrompt : public QFrame {
  Q_OBJECT

 public:
  static constexpr int kWidth = 246;
  static constexpr int kHeight = 147;

  explicit PasswordPrompt(QWidget* parent = nullptr);
  ~PasswordPrompt() override;
  MaskedEdit* passwordEdit() const { return passwordEdit_; }
  QString caption() const;  // "密码"

  // Shows the prompt above its siblings and returns when it is closed:
  // 1 by "确定" or Return, 0 by "取消" or Escape.
  int exec();
  bool isOpen() const { return loop_ != nullptr; }
  // Answers are refused while `msLeft()` is above 0 (after a wrong password):
  // "确定" and Return do nothing, and the prompt counts the seconds down.
  void setWait(std::function<std::int64_t()> msLeft);
  bool waiting() const { return msLeft_ && msLeft_() > 0; }

 public slots:
  void accept();
  void reject() { done(0); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void done(int result);
  bool inside(QObject* object) const;
  void showWait();  // the countdown, or the question once the wait is over

  MaskedEdit* passwordEdit_;
  QLabel* question_;
  QPushButton* ok_;
  std::function<std::int64_t()> msLeft_;
  QTimer waitTimer_;
  QPointer<QEventLoop> loop_;
  int result_ = 0;
  bool forwarding_ = false;  // a key from elsewhere is being typed in
};

}  // namespace lumora
