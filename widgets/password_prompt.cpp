#include "widgets/password_prompt.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScopedValueRollback>

#include "widgets/application_palette.h"
#include "widgets/masked_edit.h"

namespace lumora {

namespace {
constexpr int kTitleHeight = 22;
const char* const kCaption = "密码";
const char* const kQuestion = "请输入屏保密码：";
}  // namespace

PasswordPrompt::PasswordPrompt(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("TForm4"));
  setFixedSize(kWidth, kHeight);
  setAutoFillBackground(true);
  setPalette(applicationPalette());  // not the black window's it sits on
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  question_ = new QLabel(QString::fromUtf8(kQuestion), this);
  question_->setGeometry(16, kTitleHeight + 10, 214, 20);
  passwordEdit_ = new MaskedEdit(this);
  passwordEdit_->setObjectName(QStringLiteral("PasswordEdit"));
  passwordEdit_->setGeometry(16, kTitleHeight + 36, 214, 24);
  ok_ = new QPushButton(QStringLiteral("确定"), this);
  ok_->setObjectName(QStringLiteral("OkButton"));
  ok_->setGeometry(40, kTitleHeight + 80, 75, 27);
  ok_->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("取消"), this);
  cancel->setObjectName(QStringLiteral("CancelButton"));
  cancel->setGeometry(131, kTitleHeight + 80, 75, 27);
  connect(ok_, &QPushButton::clicked, this, &PasswordPrompt::accept);
  waitTimer_.setInterval(200);
  connect(&waitTimer_, &QTimer::timeout, this, &PasswordPrompt::showWait);
  connect(cancel, &QPushButton::clicked, this, &PasswordPrompt::reject);
  hide();
}

PasswordPrompt::~PasswordPrompt() {
  if (loop_) loop_->exit(0);
  qApp->removeEventFilter(this);
}

QString PasswordPrompt::caption() const { return QString::fromUtf8(kCaption); }

int PasswordPrompt::exec() {
  if (loop_) return 0;  // already open: the open one answers
  result_ = 0;
  show();
  raise();
  passwordEdit_->setFocus(Qt::OtherFocusReason);
  if (QWidget* top = window(); top != this) top->activateWindow();
  qApp->installEventFilter(this);
  QEventLoop loop;
  loop_ = &loop;
  const QPointer<PasswordPrompt> alive(this);
  loop.exec(QEventLoop::DialogExec);
  if (!alive) return 0;
  qApp->removeEventFilter(this);
  hide();
  return result_;
}

void PasswordPrompt::setWait(std::function<std::int64_t()> msLeft) {
  msLeft_ = std::move(msLeft);
  showWait();
}

void PasswordPrompt::showWait() {
  const std::int64_t left = msLeft_ ? msLeft_() : 0;
  ok_->setEnabled(left <= 0);
  if (left <= 0) {
    waitTimer_.stop();
    question_->setText(QString::fromUtf8(kQuestion));
    return;
  }
  question_->setText(QStringLiteral("密码错误，请等待 %1 秒").arg((left + 999) / 1000));
  if (!waitTimer_.isActive()) waitTimer_.start();
}

void PasswordPrompt::accept() {
  if (!waiting()) done(1);
}

void PasswordPrompt::done(int result) {
  result_ = result;
  if (loop_) loop_->exit(result);
}

bool PasswordPrompt::inside(QObject* object) const {
  for (QObject* o = object; o; o = o->parent())
    if (o == this) return true;
  return false;
}

// While open, the prompt is modal in effect: keys from any window of the
// application are typed into it, and buttons and wheels elsewhere are dropped
// (they would otherwise end or disturb the show under it).
bool PasswordPrompt::eventFilter(QObject* watched, QEvent* event) {
  if (!loop_ || !watched->isWidgetType() || inside(watched)) return false;
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride: {
      // A forwarded key the prompt leaves goes on to its parents, the show's
      // window: it stops there.
      if (forwarding_) return true;
      const QScopedValueRollback<bool> forwarding(forwarding_, true);
      QWidget* target = focusWidget() && inside(focusWidget()) ? focusWidget() : passwordEdit_;
      const auto* key = static_cast<QKeyEvent*>(event);
      QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(), ushort(key->count()));
      QCoreApplication::sendEvent(target, &copy);
      return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
      return true;
    default:
      return false;
  }
}

void PasswordPrompt::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      accept();
      break;
    case Qt::Key_Escape:
      reject();
      break;
    default:
      break;
  }
  // Keys the edit leaves stop here: none reaches the show's window under it.
  event->accept();
}

void PasswordPrompt::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  // The caption strip a dialog's title bar would show.
  QPainter p(this);
  const QRect strip(1, 1, width() - 2, kTitleHeight - 1);
  p.fillRect(strip, palette().color(QPalette::Highlight));
  p.setPen(palette().color(QPalette::HighlightedText));
  p.drawText(strip.adjusted(8, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, caption());
}

}  // namespace lumora
