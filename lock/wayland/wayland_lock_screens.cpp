#include "lock/wayland/wayland_lock_screens.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <cstdio>

#include "lock/session_lock/desktop_session_lock.h"
#include "widgets/masked_edit.h"
#include "widgets/password_prompt.h"

namespace lumora {

namespace {

constexpr int kPromptRedrawMs = 50;

const char* holdText(WaylandCovers::Hold hold) {
  switch (hold) {
    case WaylandCovers::Hold::SessionLock:
      return "the session lock";
    case WaylandCovers::Hold::LayerShellWithInhibitor:
      return "overlay layer surfaces and the input inhibitor";
    case WaylandCovers::Hold::LayerShell:
      return "overlay layer surfaces";
    case WaylandCovers::Hold::None:
      return "full-screen windows (the desktop's own lock is asked if they lose the screen)";
  }
  return "";
}

}  // namespace

WaylandLockScreens::WaylandLockScreens(QObject* parent) : LockScreens(parent) {
  std::fprintf(stderr, "lumora-lock: Wayland: the screen is held by %s\n", holdText(covers_.hold()));
  connect(&covers_, &WaylandCovers::keyPressed, this, &WaylandLockScreens::key);
  // Queued: the prompt's own event loop must not run inside the covers'
  // Wayland dispatch.
  connect(&covers_, &WaylandCovers::buttonPressed, this, &LockScreens::input, Qt::QueuedConnection);
  connect(&covers_, &WaylandCovers::primarySizeChanged, this, &WaylandLockScreens::sendSize);
  connect(&covers_, &WaylandCovers::screenLost, this, [this](const QString& why) {
    lockDesktopSession(why.toStdString());
    emit lost(why);
  });
  promptRedraw_.setInterval(kPromptRedrawMs);
  connect(&promptRedraw_, &QTimer::timeout, this, &WaylandLockScreens::drawPrompt);
}

WaylandLockScreens::~WaylandLockScreens() = default;

void WaylandLockScreens::key(QKeyEvent* event) {
  if (!prompt_ || !prompt_->isOpen()) {
    // The first key only asks for the password, as a button does.
    QMetaObject::invokeMethod(this, &LockScreens::input, Qt::QueuedConnection);
    return;
  }
  QWidget* target = prompt_->focusWidget() ? prompt_->focusWidget() : prompt_->passwordEdit();
  QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text());
  QCoreApplication::sendEvent(target, &copy);
  drawPrompt();
}

void WaylandLockScreens::promptShown(PasswordPrompt& prompt, bool shown) {
  prompt_ = &prompt;
  if (shown) {
    prompt.setAttribute(Qt::WA_DontShowOnScreen, false);
    promptRedraw_.start();
    // Drawn once it has been laid out by its own show().
    QTimer::singleShot(0, this, &WaylandLockScreens::drawPrompt);
  } else {
    promptRedraw_.stop();
    promptImage_ = QImage();
    covers_.setOverlay(QImage());
  }
}

void WaylandLockScreens::drawPrompt() {
  if (!prompt_ || !prompt_->isVisible()) return;
  QImage image(prompt_->size(), QImage::Format_RGB32);
  image.fill(Qt::black);
  prompt_->render(&image);
  if (image == promptImage_) return;
  promptImage_ = image;
  covers_.setOverlay(image);
}

void WaylandLockScreens::showMessage(const QString& text, int fd) {
  const std::optional<QRect> changed = frames_.receive(text.toStdString(), UniqueFd(fd));
  if (changed) covers_.showFrame(frames_.image(), *changed);
}

void WaylandLockScreens::showStarted() {
  // The old show's frames go with it: black until the new one draws.
  frames_.reset();
  covers_.showFrame(QImage(), QRegion());
  sendSize();
}

void WaylandLockScreens::sendSize() {
  const QSize size = covers_.primarySize();
  emit messageForShow(QStringLiteral("size %1 %2").arg(size.width()).arg(size.height()));
}

}  // namespace lumora
