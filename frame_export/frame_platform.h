// A Qt platform ("lumoraframes") for the show under the lock on Wayland: one
// screen of the size the lock asks for, windows that are only rectangles on
// it, and backing stores in memory whose flushes go to a FrameSink. The show
// draws exactly as on any screen; the lock shows the pixels.
#pragma once

#include <QImage>
#include <QRect>
#include <memory>
#include <qpa/qplatformintegration.h>
#include <qpa/qplatformscreen.h>

namespace lumora {

class FrameSink;

class FrameScreen : public QPlatformScreen {
 public:
  QRect geometry() const override { return geometry_; }
  int depth() const override { return 32; }
  QImage::Format format() const override { return QImage::Format_RGB32; }
  qreal refreshRate() const override { return 60; }
  QString name() const override { return QStringLiteral("lumora-lock"); }
  void setGeometry(QRect geometry) { geometry_ = geometry; }

 private:
  QRect geometry_{0, 0, 1280, 800};
};

class FramePlatform : public QPlatformIntegration {
 public:
  FramePlatform();
  ~FramePlatform() override;

  void initialize() override;
  bool hasCapability(Capability capability) const override;
  QPlatformWindow* createPlatformWindow(QWindow* window) const override;
  QPlatformBackingStore* createPlatformBackingStore(QWindow* window) const override;
  QAbstractEventDispatcher* createEventDispatcher() const override;
  QPlatformFontDatabase* fontDatabase() const override { return fonts_.get(); }

  // Where flushes go from now on (nullptr: nowhere).
  void setSink(FrameSink* sink) { sink_ = sink; }
  FrameSink* sink() const { return sink_; }
  // The screen takes `size`; full-screen and maximized windows follow.
  void resizeScreen(QSize size);

 private:
  FrameScreen* screen_ = nullptr;  // owned by Qt once added
  std::unique_ptr<QPlatformFontDatabase> fonts_;
  FrameSink* sink_ = nullptr;
};

// The platform of the running application, when it is this one.
FramePlatform* framePlatform();

}  // namespace lumora
