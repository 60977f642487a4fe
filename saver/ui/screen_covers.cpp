#include "saver/ui/screen_covers.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <algorithm>

#include "saver/ui/show_placement.h"

namespace lumora {

CoverWindow::CoverWindow(QScreen* screen, bool bypassWindowManager)
    : QWidget(nullptr, showWindowFlags(bypassWindowManager)), screen_(screen), bypass_(bypassWindowManager) {
  setObjectName(QStringLiteral("ScreenCover"));
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);
  setPalette(pal);
  setAutoFillBackground(true);
  setCursor(Qt::BlankCursor);
  setFocusPolicy(Qt::StrongFocus);
  connect(screen, &QScreen::geometryChanged, this, &CoverWindow::fit);
  new ShowWindowKeeper(this, bypass_, [this] {
    hide();
    fit();
  });
}

void CoverWindow::fit() {
  if (isVisible())
    setGeometry(screen_->geometry());
  else
    showOnScreen(this, screen_, bypass_);
}

void CoverWindow::keyPressEvent(QKeyEvent*) { emit inputReceived(); }
void CoverWindow::mousePressEvent(QMouseEvent*) { emit inputReceived(); }

ScreenCovers::ScreenCovers(bool bypassWindowManager, QObject* parent) : QObject(parent), bypass_(bypassWindowManager) {
  auto* app = qGuiApp;
  connect(app, &QGuiApplication::screenAdded, this, &ScreenCovers::update);
  connect(app, &QGuiApplication::screenRemoved, this, &ScreenCovers::update);
  connect(app, &QGuiApplication::primaryScreenChanged, this, &ScreenCovers::update);
  update();
}

ScreenCovers::~ScreenCovers() = default;

void ScreenCovers::update() {
  const QList<QScreen*> screens = QGuiApplication::screens();
  QScreen* primary = QGuiApplication::primaryScreen();
  // A screen that overlaps the primary one on the same desktop (a mirror, or
  // an area spanning several monitors) already shows the show there: a
  // cover would hide it. Separate X screens each start at (0, 0).
  auto overlapsPrimary = [&](QScreen* s) {
    return primary && primary->virtualSiblings().contains(s) && s->geometry().intersects(primary->geometry());
  };
  auto wanted = [&](QScreen* s) { return s != primary && screens.contains(s) && !overlapsPrimary(s); };
  // Release the covers of screens that went away or became the primary one.
  std::erase_if(covers_, [&](const std::unique_ptr<CoverWindow>& c) { return !wanted(c->coveredScreen()); });
  for (QScreen* s : screens) {
    if (!wanted(s)) continue;
    const bool covered = std::any_of(covers_.begin(), covers_.end(),
                                     [s](const std::unique_ptr<CoverWindow>& c) { return c->coveredScreen() == s; });
    if (covered) continue;
    auto cover = std::make_unique<CoverWindow>(s, bypass_);
    connect(cover.get(), &CoverWindow::inputReceived, this, &ScreenCovers::inputReceived);
    cover->fit();
    covers_.push_back(std::move(cover));
  }
}

}  // namespace lumora
