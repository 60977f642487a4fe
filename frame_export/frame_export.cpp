#include "frame_export/frame_export.h"

#include <QtPlugin>
#include <sstream>
#include <stdexcept>

#include "frame_export/frame_platform.h"
#include "frame_export/frame_sink.h"

Q_IMPORT_PLUGIN(FramePlatformPlugin)

namespace lumora {

namespace {

constexpr int kMostSide = 16384;

}  // namespace

FrameExport::FrameExport(const PacketChannel& channel) : sink_(std::make_unique<FrameSink>(channel)) {
  FramePlatform* platform = framePlatform();
  if (!platform) throw std::runtime_error("the show is not on the lumoraframes platform");
  platform->setSink(sink_.get());
}

FrameExport::~FrameExport() {
  if (FramePlatform* platform = framePlatform()) platform->setSink(nullptr);
}

bool FrameExport::handle(const std::string& text) {
  std::istringstream in(text);
  std::string verb;
  int width = 0, height = 0;
  if (!(in >> verb >> width >> height) || verb != "size") return false;
  if (width <= 0 || height <= 0 || width > kMostSide || height > kMostSide) return true;
  sink_->resize(QSize(width, height));
  framePlatform()->resizeScreen(QSize(width, height));
  return true;
}

}  // namespace lumora
