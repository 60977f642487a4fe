// The "lumora:" URL scheme of the player program: the page, Ruffle's files
// from its folder and the movie being played, all from memory or the disk,
// with no web server. Every other address is refused (no network).
#pragma once

#include <QByteArray>
#include <QString>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlSchemeHandler>

namespace lumora {

inline constexpr const char* kSchemeName = "lumora";

// Registers the scheme; must run before the application object exists.
void registerLumoraScheme();

class LumoraSchemeHandler : public QWebEngineUrlSchemeHandler {
  Q_OBJECT
 public:
  LumoraSchemeHandler(QString ruffleDir, QObject* parent = nullptr)
      : QWebEngineUrlSchemeHandler(parent), ruffleDir_(std::move(ruffleDir)) {}
  void setMovie(QByteArray movie) { movie_ = std::move(movie); }
  void requestStarted(QWebEngineUrlRequestJob* job) override;

 private:
  QString ruffleDir_;
  QByteArray movie_;
};

// Blocks every request that would leave the machine.
class OfflineInterceptor : public QWebEngineUrlRequestInterceptor {
  Q_OBJECT
 public:
  using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
  void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};

// The MIME type the page needs for one of Ruffle's files (wasm must be
// "application/wasm" to be compiled while it streams in).
QByteArray mimeTypeFor(const QString& fileName);
// A file name from Ruffle's folder, or empty when the path names anything
// else (sub-folders, "..", hidden files).
QString ruffleFileName(const QString& urlPath);

}  // namespace lumora
