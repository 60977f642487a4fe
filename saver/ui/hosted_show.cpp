#include "saver/ui/hosted_show.h"

#include <QCoreApplication>
#include <QWidget>
#include <QWindow>

#include "platform/desktop/x11_window.h"

namespace lumora {

HostedShow::HostedShow(QWindow* host, std::uint32_t hostId, QObject* parent)
    : QObject(parent), host_(host), hostId_(hostId), size_(x11WindowSize(hostId).value_or(host->size())) {
  connect(&timer_, &QTimer::timeout, this, &HostedShow::follow);
}

void HostedShow::embed(QWidget& window, std::function<bool()> mayResize) {
  mayResize_ = std::move(mayResize);
  window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                        Qt::WindowDoesNotAcceptFocus);
  window.setAttribute(Qt::WA_ShowWithoutActivating);
  window.setFocusPolicy(Qt::NoFocus);
  window.winId();
  window.windowHandle()->setParent(host_);
  window.setGeometry(area());
  timer_.start(250);
}

void HostedShow::follow() {
  const std::optional<QSize> size = x11WindowSize(hostId_);
  if (!size) {
    timer_.stop();
    emit gone();
    return;
  }
  if (*size == size_ || (mayResize_ && !mayResize_())) return;
  size_ = *size;
  emit resized();
}

void HostedShow::endApplication() const { QCoreApplication::exit(0); }

}  // namespace lumora
