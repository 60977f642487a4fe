#include "settings_window/preview_loader.h"

#include <exception>

#include "settings_window/preview_size.h"
#include "imaging/loader.h"
#include "widgets/bitmap_image.h"

namespace lumora {

PreviewResult decodePreview(const std::string& path) {
  PreviewResult out;
  try {
    LoadOptions options;
    options.fitWidth = kPreviewBoxWidth;
    options.fitHeight = kPreviewBoxHeight;
    const Picture picture = loadPicture(path, options);
    out.fullWidth = picture.fullWidth();
    out.fullHeight = picture.fullHeight();
    const PreviewSize size = previewSize(out.fullWidth, out.fullHeight);
    if (picture.empty() || size.width <= 0 || size.height <= 0) return out;
    const Bitmap& bitmap = picture.bitmap();
    // scaled() makes its own image: nothing keeps pointing into `bitmap`.
    out.image = imageOver(bitmap).scaled(size.width, size.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  } catch (const std::exception& e) {
    out = PreviewResult{};
    out.error = e.what();
  }
  return out;
}

PreviewLoader::PreviewLoader(Decoder decoder, QObject* parent)
    : QObject(parent), decoder_(std::move(decoder)), worker_([this](std::stop_token stop) { work(stop); }) {}

PreviewLoader::~PreviewLoader() {
  worker_.request_stop();
  worker_.join();
}

void PreviewLoader::request(const std::string& path) {
  {
    std::lock_guard lock(mutex_);
    waiting_ = Job{++newest_, path};
  }
  wake_.notify_one();
}

void PreviewLoader::work(std::stop_token stop) {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      if (!wake_.wait(lock, stop, [this] { return waiting_.has_value(); })) return;
      job = std::move(*waiting_);
      waiting_.reset();
    }
    PreviewResult result;
    try {
      result = decoder_(job.path);
    } catch (const std::exception& e) {
      result.error = e.what();
    }
    if (stop.stop_requested()) return;
    // Queued to the loader's thread; dropped with the loader if it is gone.
    QMetaObject::invokeMethod(
        this, [this, generation = job.generation, result = std::move(result)] { deliver(generation, result); },
        Qt::QueuedConnection);
  }
}

void PreviewLoader::deliver(std::uint64_t generation, const PreviewResult& result) {
  if (generation != newest_) return;  // a newer request is on its way
  if (!result.error.empty()) {
    emit pictureFailed(QString::fromUtf8(result.error));
    return;
  }
  emit pictureReady(result.image, result.fullWidth, result.fullHeight);
}

}  // namespace lumora
