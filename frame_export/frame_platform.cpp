#include "frame_export/frame_platform.h"

#include <QGuiApplication>
#include <QWindow>
#include <QtGui/private/qgenericunixeventdispatcher_p.h>
#include <QtGui/private/qgenericunixfontdatabase_p.h>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformbackingstore.h>
#include <qpa/qplatformintegrationplugin.h>
#include <qpa/qplatformwindow.h>
#include <qpa/qwindowsysteminterface.h>

#include "frame_export/frame_sink.h"

namespace lumora {

namespace {

class FrameWindow : public QPlatformWindow {
 public:
  using QPlatformWindow::QPlatformWindow;

  void setGeometry(const QRect& rect) override {
    QPlatformWindow::setGeometry(rect);
    QWindowSystemInterface::handleGeometryChange(window(), rect);
    if (window()->isVisible()) QWindowSystemInterface::handleExposeEvent(window(), QRect(QPoint(), rect.size()));
  }
  void setVisible(bool visible) override {
    QPlatformWindow::setVisible(visible);
    if (visible && window()->type() != Qt::Desktop) {
      QWindowSystemInterface::handleWindowActivated(window(), Qt::ActiveWindowFocusReason);
    }
    QWindowSystemInterface::handleExposeEvent(window(),
                                              visible ? QRegion(QRect(QPoint(), geometry().size())) : QRegion());
  }
  void setWindowState(Qt::WindowStates state) override {
    if (state & (Qt::WindowFullScreen | Qt::WindowMaximized)) setGeometry(screen()->geometry());
    QWindowSystemInterface::handleWindowStateChanged(window(), state);
  }
  void requestActivateWindow() override { QWindowSystemInterface::handleWindowActivated(window()); }
};

// The window's pixels in memory; a flush hands them to the sink.
class FrameBackingStore : public QPlatformBackingStore {
 public:
  FrameBackingStore(QWindow* window, const FramePlatform& platform)
      : QPlatformBackingStore(window), platform_(platform) {}
  ~FrameBackingStore() override {
    if (FrameSink* sink = platform_.sink()) sink->forget(&image_);
  }
  QPaintDevice* paintDevice() override { return &image_; }
  void resize(const QSize& size, const QRegion&) override {
    if (image_.size() == size) return;
    if (FrameSink* sink = platform_.sink()) sink->forget(&image_);
    image_ = QImage(size, QImage::Format_RGB32);
    image_.fill(Qt::black);
  }
  QImage toImage() const override { return image_; }
  void flush(QWindow* window, const QRegion& region, const QPoint& offset) override {
    FrameSink* sink = platform_.sink();
    if (!sink || !window->isVisible()) return;
    sink->flushed(&image_, window->geometry().topLeft() - offset, region.translated(offset));
  }

 private:
  const FramePlatform& platform_;
  QImage image_;
};

}  // namespace

FramePlatform::FramePlatform() : fonts_(std::make_unique<QGenericUnixFontDatabase>()) {}

FramePlatform::~FramePlatform() {
  if (screen_) QWindowSystemInterface::handleScreenRemoved(screen_);
}

void FramePlatform::initialize() {
  screen_ = new FrameScreen;  // Qt owns it from here
  QWindowSystemInterface::handleScreenAdded(screen_, true);
}

bool FramePlatform::hasCapability(Capability capability) const {
  return capability == ThreadedPixmaps || QPlatformIntegration::hasCapability(capability);
}

QPlatformWindow* FramePlatform::createPlatformWindow(QWindow* window) const {
  auto* platformWindow = new FrameWindow(window);  // Qt owns it
  platformWindow->requestActivateWindow();
  return platformWindow;
}

QPlatformBackingStore* FramePlatform::createPlatformBackingStore(QWindow* window) const {
  return new FrameBackingStore(window, *this);  // Qt owns it
}

QAbstractEventDispatcher* FramePlatform::createEventDispatcher() const { return createUnixEventDispatcher(); }

void FramePlatform::resizeScreen(QSize size) {
  const QRect geometry(QPoint(), size);
  if (!screen_ || geometry == screen_->geometry()) return;
  screen_->setGeometry(geometry);
  QWindowSystemInterface::handleScreenGeometryChange(screen_->screen(), geometry, geometry);
  for (QWindow* window : QGuiApplication::topLevelWindows())
    if (window->handle() && (window->windowStates() & (Qt::WindowFullScreen | Qt::WindowMaximized)))
      window->handle()->setGeometry(geometry);
}

FramePlatform* framePlatform() { return dynamic_cast<FramePlatform*>(QGuiApplicationPrivate::platformIntegration()); }

// Found by Qt under the key "lumoraframes" (-platform lumoraframes).
class FramePlatformPlugin : public QPlatformIntegrationPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QPlatformIntegrationFactoryInterface_iid FILE "lumoraframes.json")

 public:
  QPlatformIntegration* create(const QString& key, const QStringList&) override {
    return key.compare(QLatin1String("lumoraframes"), Qt::CaseInsensitive) == 0 ? new FramePlatform : nullptr;
  }
};

}  // namespace lumora

#include "frame_platform.moc"
