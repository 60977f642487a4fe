#include "metafile_render/render.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstring>
#include <memory>

#include "metafile_render/qt_canvas.h"

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
  QImage image(frame.width, frame.height, QImage::Format_RGB32);
  if (image.isNull()) throw PictureError("Picture too large.");
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    QtMetafileCanvas canvas(painter, frame.width, frame.height);
    metafile::play(data, frame, canvas, limits);
  }
  Picture picture;
  picture.allocate(frame.width, frame.height, 32);
  for (int y = 0; y < frame.height; ++y) {
    std::memcpy(picture.row(y), image.constScanLine(y), std::size_t(frame.width) * 4);
    for (int x = 0; x < frame.width; ++x) picture.row(y)[4 * x + 3] = 0xFF;
  }
  return picture;
}

Picture renderMetafile(const ReaderInput& input) { return renderMetafile(input.data, {}); }

}  // namespace lumora
