#include "flash_host/scheme.h"

#include <QBuffer>
#include <QFile>
#include <QUrl>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

#include "flash_host/player_page.h"

namespace lumora {

void registerLumoraScheme() {
  QWebEngineUrlScheme scheme(kSchemeName);
  scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
  scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalScheme |
                  QWebEngineUrlScheme::LocalAccessAllowed | QWebEngineUrlScheme::CorsEnabled |
                  QWebEngineUrlScheme::ContentSecurityPolicyIgnored);
  QWebEngineUrlScheme::registerScheme(scheme);
}

QByteArray mimeTypeFor(const QString& fileName) {
  struct Entry {
    const char* suffix;
    const char* mime;
  };
  static constexpr Entry kTypes[] = {
      {".js", "text/javascript"},
      {".wasm", "application/wasm"},
      {".map", "application/json"},
      {".html", "text/html"},
      {".swf", "application/x-shockwave-flash"},
  };
  for (const Entry& e : kTypes)
    if (fileName.endsWith(QLatin1String(e.suffix))) return e.mime;
  return "application/octet-stream";
}

QString ruffleFileName(const QString& urlPath) {
  const QString prefix = QString::fromLatin1(kRufflePrefix);
  if (!urlPath.startsWith(prefix)) return {};
  const QString name = urlPath.mid(prefix.size());
  if (name.isEmpty() || name.startsWith(QLatin1Char('.')) || name.contains(QLatin1Char('/')) ||
      name.contains(QLatin1Char('\\')))
    return {};
  return name;
}

void LumoraSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
  const QUrl url = job->requestUrl();
  const QString path = url.path();
  QByteArray data;
  QByteArray mime;
  if (url.host() != QLatin1String("flash")) {
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
    return;
  }
  if (path == QLatin1String("/page.html")) {
    data = playerPageHtml();
    mime = "text/html";
  } else if (path == QLatin1String("/warm-up.swf")) {
    data = warmUpMovie();
    mime = mimeTypeFor(path);
  } else if (path == QLatin1String("/movie.swf")) {
    data = movie_;
    mime = mimeTypeFor(path);
  } else if (const QString name = ruffleFileName(path); !name.isEmpty()) {
    QFile file(ruffleDir_ + QLatin1Char('/') + name);
    if (!file.open(QIODevice::ReadOnly)) {
      job->fail(QWebEngineUrlRequestJob::UrlNotFound);
      return;
    }
    data = file.readAll();
    mime = mimeTypeFor(name);
  } else {
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
    return;
  }
  auto* buffer = new QBuffer(job);  // owned by the job
  buffer->setData(data);
  buffer->open(QIODevice::ReadOnly);
  job->reply(mime, buffer);
}

void OfflineInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info) {
  const QString scheme = info.requestUrl().scheme();
  if (scheme != QLatin1String(kSchemeName) && scheme != QLatin1String("data") && scheme != QLatin1String("blob"))
    info.block(true);
}

}  // namespace lumora
