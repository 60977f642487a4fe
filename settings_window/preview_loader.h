// The picture preview's decoding, off the thread that answers the keys: a
// worker owned by the loader decodes the newest requested picture, reduced
// for the preview box (a JPEG through libjpeg's scaled decoding), and hands
// the result back on the loader's thread. A request made while another is
// decoding replaces any request still waiting, and a result that is no
// longer the newest request's is dropped, so moving quickly through a folder
// of large photographs never queues work and the preview ends on the last
// picture chosen.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

namespace lumora {

// One decoded preview: the picture at its preview size (empty for a picture
// without area) and its size in the file; or the loader's message.
struct PreviewResult {
  QImage image;
  int fullWidth = 0, fullHeight = 0;
  std::string error;  // not empty: the picture cannot be read
};

// Loads `path` reduced for the preview box and scales it to its preview
// size; a picture that cannot be read gives its message in `error`.
PreviewResult decodePreview(const std::string& path);

class PreviewLoader : public QObject {
  Q_OBJECT

 public:
  using Decoder = std::function<PreviewResult(const std::string& path)>;

  // `decoder` does the work on the worker (decodePreview unless a test
  // replaces it).
  explicit PreviewLoader(Decoder decoder = decodePreview, QObject* parent = nullptr);
  // Stops the worker and waits for a decoding in progress to end.
  ~PreviewLoader() override;
  PreviewLoader(const PreviewLoader&) = delete;
  PreviewLoader& operator=(const PreviewLoader&) = delete;

  // Asks for `path`; returns at once. Only the newest request is answered.
  void request(const std::string& path);

 signals:
  // The newest request's picture is decoded.
  void pictureReady(const QImage& image, int fullWidth, int fullHeight);
  // The newest request's picture cannot be read.
  void pictureFailed(const QString& message);

 private:
  struct Job {
    std::uint64_t generation = 0;
    std::string path;
  };
  void work(std::stop_token stop);
  void deliver(std::uint64_t generation, const PreviewResult& result);

  Decoder decoder_;
  std::uint64_t newest_ = 0;  // the loader's thread only
  std::mutex mutex_;
  std::condition_variable_any wake_;
  std::optional<Job> waiting_;  // under mutex_
  std::jthread worker_;         // last: started once the rest exists
};

}  // namespace lumora
