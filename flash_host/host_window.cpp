#include "flash_host/host_window.h"
#include "platform/core/hooks.h"

#include <QApplication>
#include <QKeyEvent>
#include <QQuickWidget>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWebEngineSettings>
#include <QWindow>
#include <cstdio>
#include <utility>
#include <unistd.h>

#include "flash_host/memory_limits.h"
#include "flash_host/player_page.h"
#include "players/swf_frame_reports.h"

namespace lumora {

namespace {
// How long the view waits for the first frame before it goes into the window
// to play in all the same.
constexpr int kPlaceAnywayMs = 8000;
// Where in the window to play in the view waits, out of sight.
constexpr int kOutside = -30000;
// How long after a movie's first frame the freed memory is handed back (not
// in the way of its first frames; after the page's collection).
constexpr int kTrimAfterShownMs = 800;
}  // namespace

void HostPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int line,
                                        const QString& source) {
  if (message.startsWith(QLatin1String(kReportPrefix)))
    emit report(message.mid(int(std::char_traits<char>::length(kReportPrefix))));
  else if (hookOn(Hook::FlashDebug))
    std::fprintf(stderr, "lumora-flash: %s:%d: %s\n", qPrintable(source), line, qPrintable(message));
}

HostWindow::HostWindow(const QString& ruffleDir, const HostPlace& place)
    : place_(place),
      profile_(std::make_unique<QWebEngineProfile>()),  // no storage name: off the record
      scheme_(new LumoraSchemeHandler(ruffleDir, profile_.get())),
      interceptor_(new OfflineInterceptor(profile_.get())),
      page_(new HostPage(profile_.get(), profile_.get())),
      view_(std::make_unique<QWebEngineView>()),
      stdin_(STDIN_FILENO, QSocketNotifier::Read) {
  // Every file comes from our scheme, out of memory or the disk: a cache
  // would only hold second copies (of Ruffle's 14 MB module, of movies).
  profile_->setHttpCacheType(QWebEngineProfile::NoCache);
  profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
  profile_->setSpellCheckEnabled(false);
  profile_->installUrlSchemeHandler(kSchemeName, scheme_);
  profile_->setUrlRequestInterceptor(interceptor_);
  page_->setBackgroundColor(Qt::black);
  QWebEngineSettings* s = page_->settings();
  s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
  s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
  s->setAttribute(QWebEngineSettings::ShowScrollBars, false);
  s->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
  connect(page_, &HostPage::report, this, &HostWindow::pageReport);
  connect(page_, &QWebEnginePage::renderProcessTerminated, this,
          [this](QWebEnginePage::RenderProcessTerminationStatus, int code) {
            send("error The web engine's page process ended (" + std::to_string(code) + ")");
          });
  connect(page_, &QWebEnginePage::loadFinished, this, [this](bool ok) {
    if (!ok) send("error The player page did not load");
  });

  view_->setPage(page_);
  view_->setContextMenuPolicy(Qt::NoContextMenu);
  view_->setWindowFlags(Qt::FramelessWindowHint);
  QPalette pal = view_->palette();
  pal.setColor(QPalette::Window, Qt::black);
  view_->setPalette(pal);
  view_->setAutoFillBackground(true);
  qApp->installEventFilter(this);
  connect(&stdin_, &QSocketNotifier::activated, this, &HostWindow::readCommands);
  page_->load(QUrl(QString::fromLatin1(kPageUrl)));
  // Played inside another window, the view goes into it before it is shown,
  // but outside its area, and moves into view when the first movie's first
  // frame is drawn: until then the show's window (black) stays in view. A
  // movie that never reports it (an error, a page that does not load) is
  // moved in a few seconds after its load anyway; a player started ahead of
  // its first movie stays out of sight until then.
  view_->resize(place.width, place.height);
  view_->setWindowTitle(QStringLiteral("Lumora Flash"));
  if (place.parentWindow) {
    parent_.reset(QWindow::fromWinId(WId(place.parentWindow)));
    view_->winId();  // the view's own window, to put into the parent
    view_->windowHandle()->setParent(parent_.get());
    view_->windowHandle()->setPosition(kOutside, kOutside);
    view_->show();
    return;
  }
  // A window of our own (Wayland): it covers its output at once, black until
  // the movie's first frame. It cannot wait out of sight as inside another
  // window: the web engine draws nothing for a page that is not shown.
  if (place.fullScreen) {
    QScreen* screen = QGuiApplication::primaryScreen();
    for (QScreen* s : QGuiApplication::screens())
      if (s->name() == place.output) screen = s;
    view_->winId();
    if (screen) {
      view_->windowHandle()->setScreen(screen);
      view_->setGeometry(screen->geometry());
    }
  } else {
    // Fixed: tiling compositors (sway) float a window whose size is fixed,
    // at that size, rather than tile it.
    view_->setFixedSize(place.width, place.height);
  }
  if (!place.hidden) showOwnWindow(true);
}

void HostWindow::resizeView(int width, int height) {
  if (parent_)
    view_->resize(width, height);
  else if (!place_.fullScreen)  // a full-screen window keeps its output's size
    view_->setFixedSize(width, height);
}

void HostWindow::showOwnWindow(bool shown) {
  if (parent_) return;
  if (!shown)
    view_->hide();
  else if (place_.fullScreen)
    view_->showFullScreen();
  else
    view_->show();
}

void HostWindow::placeInParent() {
  if (parent_ && !placed_) view_->windowHandle()->setPosition(0, 0);
  placed_ = true;
}

HostWindow::~HostWindow() {
  qApp->removeEventFilter(this);
  view_.reset();
  // The page belongs to the profile and must go before it.
  delete page_;
}

// A key or a mouse button on the movie is the show's input: report it.
bool HostWindow::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      if (!static_cast<QKeyEvent*>(event)->isAutoRepeat()) send("input key");
      return true;
    case QEvent::MouseButtonPress:
      send("input button");
      return true;
    case QEvent::ChildPolished:
      // The web engine draws through a QQuickWidget, which shows its clear
      // colour, white by default, wherever it has no frame of the page yet.
      // Black is the show's own colour.
      if (watched == view_.get())
        if (auto* surface = qobject_cast<QQuickWidget*>(static_cast<QChildEvent*>(event)->child()))
          surface->setClearColor(Qt::black);
      return QObject::eventFilter(watched, event);
    case QEvent::KeyRelease:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
      return true;
    default:
      return QObject::eventFilter(watched, event);
  }
}

void HostWindow::send(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

// Before the page is ready there is nothing to drive (the movie starts
// playing when it is loaded).
void HostWindow::runScript(const QString& script) {
  if (pageReady_) page_->runJavaScript(script);
}

// exit, not quit: quit first asks every window to close, and the window we
// play in when given --parent is the show's, which refuses.
void HostWindow::leave() { QCoreApplication::exit(0); }

void HostWindow::readCommands() {
  char buf[4096];
  const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
  if (n <= 0) {  // the show has gone: so does the player
    stdin_.setEnabled(false);
    leave();
    return;
  }
  pending_.append(buf, std::size_t(n));
  std::size_t eol;
  while ((eol = pending_.find('\n')) != std::string::npos) {
    std::string line = pending_.substr(0, eol);
    pending_.erase(0, eol + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    command(line);
  }
}

void HostWindow::command(const std::string& line) {
  const std::size_t space = line.find(' ');
  const std::string verb = line.substr(0, space);
  const std::string arg = space == std::string::npos ? std::string() : line.substr(space + 1);
  if (verb == "load") {
    // Everything reported after this line is about the new movie.
    send("loading");
    if (parent_ && !placeTimerArmed_) {
      placeTimerArmed_ = true;
      QTimer::singleShot(kPlaceAnywayMs, this, &HostWindow::placeInParent);
    }
    load(arg);
  } else if (verb == "play") {
    runScript(QStringLiteral("lumoraResume()"));
  } else if (verb == "pause") {
    runScript(QStringLiteral("lumoraPause()"));
  } else if (verb == "volume") {
    const double v = std::clamp(std::atof(arg.c_str()), 0.0, 100.0) / 100.0;
    runScript(QStringLiteral("lumoraVolume(%1)").arg(v));
  } else if (verb == "size") {
    int w = 0, h = 0;
    if (std::sscanf(arg.c_str(), "%d %d", &w, &h) == 2 && w > 0 && h > 0) resizeView(w, h);
  } else if (verb == "show" || verb == "hide") {
    showOwnWindow(verb == "show");
  } else if (verb == "stop" || verb == "quit") {
    leave();
  } else if (!verb.empty()) {
    send("error Unknown command: " + verb);
  }
}

void HostWindow::load(const std::string& path) {
  if (!pageReady_) {
    queuedLoad_ = path;
    return;
  }
  QString background;  // "#rrggbb": the colour the first frame sets
  try {
    const std::vector<std::uint8_t> file = readSwfBytes(path);
    const SwfWithReports movie = addFrameReports(file.data(), file.size());
    scheme_->setMovie(QByteArray(reinterpret_cast<const char*>(movie.movie.data()), qsizetype(movie.movie.size())));
    send(std::string("reports ") + (movie.reportsFrames ? "1" : "0"));
    if (movie.background) background = QStringLiteral("#%1").arg(*movie.background, 6, 16, QLatin1Char('0'));
  } catch (const SwfError& e) {
    send(std::string("error ") + e.what());
    return;
  }
  lastFrame_ = -1;
  // A new address per movie, so the engine never serves an older one.
  ++loads_;
  runScript(QStringLiteral("lumoraLoad('%1?%2', %2, '%3')").arg(QLatin1String(kMovieUrl)).arg(loads_).arg(background));
}

void HostWindow::pageReport(const QString& line) {
  const std::string text = line.toStdString();
  if (text == "ready") {
    pageReady_ = true;
    send("ready");
    if (!queuedLoad_.empty())
      load(std::exchange(queuedLoad_, std::string()));
    else if (loads_ == 0)  // started ahead of a movie: Ruffle gets ready for it
      runScript(QStringLiteral("lumoraWarm('%1')").arg(QLatin1String(kWarmUpUrl)));
    return;
  }
  // "movie", "shown" and "frame" carry the movie's generation: reports of
  // an earlier movie are dropped, the generation is not passed on.
  for (const char* verb : {"movie ", "shown ", "frame "}) {
    if (text.rfind(verb, 0) != 0) continue;
    const std::string rest = text.substr(6);
    const std::size_t space = rest.find(' ');
    if (std::atoi(rest.substr(0, space).c_str()) != loads_) return;
    const std::string args = space == std::string::npos ? std::string() : rest.substr(space);
    if (text[0] == 's') {
      placeInParent();
      // What loading the movie (and, the first time, Ruffle) took and has
      // freed goes back to the system once the movie plays.
      QTimer::singleShot(kTrimAfterShownMs, this, &returnFreedMemory);
    }
    if (text[0] == 'f') {
      const int frame = std::atoi(args.c_str());
      if (frame < lastFrame_) send("end");
      lastFrame_ = frame;
    }
    send(std::string(verb, 5) + args);
    return;
  }
  send(text);
}

}  // namespace lumora
