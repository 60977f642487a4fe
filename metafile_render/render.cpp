#include "metafile_render/render.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <memory>

#include "metafile_render/qt_canvas.h"
#include "widgets/bitmap_image.h"

namespace lumora {

namespace {

// Fonts need a Qt application; a program without one (lumora-tool, tests)
// gets an offscreen one that lives until the program ends.
void ensureGuiApplication() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
  if (QCoreApplication::instance()) throw PictureError("Metafiles cannot be shown in this build.");
  static int argc = 3;
  static char arg0[] = "lumora", arg1[] = "-platform", arg2[] = "offscreen";
  static char* argv[] = {arg0, arg1, arg2, nullptr};
  // Start-up notes of the offscreen platform (a missing runtime folder) are
  // not the program's output.
  const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  static const std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(argc, argv);
  qInstallMessageHandler(previous);
}

// The loader's metafile entries use this reader as soon as the library is
// part of the program.
const bool kInstalled = [] {
  setMetafileRenderer(static_cast<Picture (*)(const ReaderInput&)>(renderMetafile));
  return true;
}();

}  // namespace

Picture renderMetafile(std::span<const std::uint8_t> data, const metafile::PlayLimits& limits) {
  const metafile::Frame frame = metafile::measure(data, limits);
  ensureGuiApplication();
  // Painted straight into the picture's pixels: Qt's RGB32 lays a pixel out
  // as the bitmap does.
  Picture picture;
  picture.allocate(frame.width, frame.height, 32, kWhite);
  if (picture.empty()) return picture;
  QImage image = imageOver(picture.bitmap());
  if (image.isNull()) throw PictureError("Picture too large.");
  {
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    QtMetafileCanvas canvas(painter, frame.width, frame.height);
    metafile::play(data, frame, canvas, limits);
  }
  return picture;
}

Picture renderMetafile(const ReaderInput& input) { return renderMetafile(input.data, {}); }

}  // namespace lumora
