#include "lock/x11/x11_covers.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScopedValueRollback>
#include <QScreen>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

#include "widgets/application_palette.h"
#include "widgets/password_prompt.h"

namespace lumora {

namespace {

constexpr int kKeepMs = 100;
const char* const kNotLockedKeyboard = "另一个程序占用着键盘，屏幕尚未锁定";
const char* const kNotLockedPointer = "另一个程序占用着鼠标，屏幕尚未锁定";

xcb_connection_t* connection() {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

// Whether each window still exists: another program may destroy any
// window (XDestroyWindow), and Qt is not told.
std::vector<bool> windowsExist(xcb_connection_t* c, const std::vector<xcb_window_t>& windows) {
  std::vector<xcb_get_window_attributes_cookie_t> cookies;
  for (xcb_window_t w : windows) cookies.push_back(xcb_get_window_attributes(c, w));
  std::vector<bool> exist;
  for (const auto& cookie : cookies) {
    xcb_generic_error_t* error = nullptr;
    xcb_get_window_attributes_reply_t* reply = xcb_get_window_attributes_reply(c, cookie, &error);
    exist.push_back(reply != nullptr);
    std::free(reply);
    std::free(error);
  }
  return exist;
}

// Mapped again when another program unmapped it, and put above every other
// window (other override-redirect windows included). False when the window
// is gone.
bool keepOnTop(xcb_connection_t* c, xcb_window_t window) {
  const auto cookie = xcb_get_window_attributes(c, window);
  xcb_generic_error_t* error = nullptr;
  xcb_get_window_attributes_reply_t* reply = xcb_get_window_attributes_reply(c, cookie, &error);
  std::free(error);
  if (!reply) return false;
  if (reply->map_state != XCB_MAP_STATE_VIEWABLE) xcb_map_window(c, window);
  std::free(reply);
  const std::uint32_t above = XCB_STACK_MODE_ABOVE;
  xcb_configure_window(c, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
  return true;
}

// Lets go of a widget's X windows (its own and its native children's)
// without asking the server: another program may have destroyed them, and
// Qt, which is not told, would otherwise move the dead windows into the new
// cover. The widget gets new ones when it is shown again.
struct NativeWindows : QWidget {
  static void forget(QWidget* widget) { (widget->*&NativeWindows::destroy)(true, true); }
};

QPalette blackPalette(QPalette pal) {
  pal.setColor(QPalette::Window, Qt::black);
  return pal;
}

}  // namespace

LockCover::LockCover(QScreen* screen)
    : QWidget(nullptr,
              Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint),
      screen_(screen) {
  setObjectName(QStringLiteral("LockCover"));
  setPalette(blackPalette(palette()));
  setAutoFillBackground(true);
  setCursor(Qt::BlankCursor);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_NativeWindow);
  fit();
}

void LockCover::fit() {
  if (!screen_) return;
  setScreen(screen_);
  setGeometry(screen_->geometry());
}

X11Covers::X11Covers(QObject* parent) : LockScreens(parent) {
  auto* app = qGuiApp;
  connect(app, &QGuiApplication::screenAdded, this, [this](QScreen* s) {
    connect(s, &QScreen::geometryChanged, this, &X11Covers::update);
    update();
  });
  connect(app, &QGuiApplication::screenRemoved, this, &X11Covers::update);
  connect(app, &QGuiApplication::primaryScreenChanged, this, &X11Covers::update);
  for (QScreen* s : QGuiApplication::screens()) connect(s, &QScreen::geometryChanged, this, &X11Covers::update);
  keeper_.setInterval(kKeepMs);
  connect(&keeper_, &QTimer::timeout, this, &X11Covers::keep);
  update();
  keeper_.start();
}

X11Covers::~X11Covers() {
  if (xcb_connection_t* c = connection()) {
    xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
    xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
    xcb_flush(c);
  }
}

void X11Covers::update() {
  const QScopedValueRollback<bool> updating(updating_, true);
  const QList<QScreen*> screens = QGuiApplication::screens();
  QScreen* primary = QGuiApplication::primaryScreen();
  // A new primary screen (or the primary one gone) moves the show, which
  // then starts again there; the prompt is taken out of the old cover
  // before it goes. Covers of screens that went away go, and the plain
  // cover of the new primary screen, made again as the primary one.
  const bool primaryMoved = !primary_ || !primary_->coveredScreen() || primary_->coveredScreen() != primary;
  if (primaryMoved) dropPrimary();
  std::erase_if(covers_, [&](const std::unique_ptr<LockCover>& c) {
    return !c->coveredScreen() || !screens.contains(c->coveredScreen()) ||
           (c.get() != primary_ && c->coveredScreen() == primary);
  });
  for (QScreen* s : screens) {
    auto covering = std::find_if(covers_.begin(), covers_.end(),
                                 [s](const std::unique_ptr<LockCover>& c) { return c->coveredScreen() == s; });
    if (covering != covers_.end()) {
      (*covering)->fit();
      continue;
    }
    auto cover = std::make_unique<LockCover>(s);
    connect(cover.get(), &LockCover::input, this, &X11Covers::input);
    if (s == primary) {
      primary_ = cover.get();
      showArea_ = new QWidget(primary_);
      showArea_->setObjectName(QStringLiteral("ShowArea"));
      showArea_->setAttribute(Qt::WA_NativeWindow);
      showArea_->setPalette(blackPalette(showArea_->palette()));
      showArea_->setAutoFillBackground(true);
      notice_ = new QLabel(primary_);
      notice_->setObjectName(QStringLiteral("GrabNotice"));
      notice_->setAttribute(Qt::WA_NativeWindow);
      notice_->setPalette(applicationPalette());
      notice_->setAutoFillBackground(true);
      notice_->setFrameStyle(QFrame::Box | QFrame::Plain);
      notice_->setMargin(8);
      notice_->hide();
      if (prompt_) prompt_->setParent(primary_);
    }
    cover->show();
    covers_.push_back(std::move(cover));
  }
  if (primary_ && showArea_) {
    showArea_->setGeometry(primary_->rect());
    showArea_->show();
    placeNotice();
    if (prompt_ && promptOpen_ && !prompt_->isVisible()) prompt_->show();
    if (prompt_ && prompt_->isVisible()) {
      prompt_->move((primary_->width() - prompt_->width()) / 2, (primary_->height() - prompt_->height()) / 2);
      prompt_->raise();
    }
  }
  keep();
  if (primaryMoved && primary_) emit showMoved();
}

void X11Covers::dropPrimary() {
  // The prompt and the notice are children of the primary cover: keep the
  // prompt alive (it is the lock's) by taking it out first; update() puts
  // it back, open if it was. It is a child from the lock's start, before
  // promptShown() has named it.
  if (primary_)
    for (PasswordPrompt* p : primary_->findChildren<PasswordPrompt*>(Qt::FindDirectChildrenOnly)) prompt_ = p;
  if (prompt_) {
    NativeWindows::forget(prompt_);
    prompt_->setParent(nullptr);
  }
  std::erase_if(covers_, [&](const std::unique_ptr<LockCover>& c) { return c.get() == primary_; });
  primary_ = nullptr;
  showArea_ = nullptr;
  notice_ = nullptr;
}

void X11Covers::keep() {
  xcb_connection_t* c = connection();
  if (!c) return;
  // A cover whose window another program destroyed is made again; the
  // primary one also when a window inside it went (the show's area, the
  // notice, the open prompt), and the show then starts again in it.
  const std::size_t before = covers_.size();
  bool remade = false;
  std::erase_if(covers_, [&](const std::unique_ptr<LockCover>& cover) {
    return cover.get() != primary_ && !keepOnTop(c, xcb_window_t(cover->winId()));
  });
  if (primary_) {
    std::vector<xcb_window_t> inside{xcb_window_t(primary_->winId())};
    if (showArea_) inside.push_back(xcb_window_t(showArea_->winId()));
    if (notice_) inside.push_back(xcb_window_t(notice_->winId()));
    if (prompt_ && prompt_->isVisible() && prompt_->internalWinId()) inside.push_back(xcb_window_t(prompt_->winId()));
    const std::vector<bool> exist = windowsExist(c, inside);
    if (std::find(exist.begin(), exist.end(), false) != exist.end()) {
      std::fputs("lumora: a window of the lock was destroyed; it is made again\n", stderr);
      dropPrimary();
      remade = true;
    } else {
      keepOnTop(c, inside.front());
    }
  }
  if (remade || covers_.size() != before) {
    if (!updating_) update();  // calls keep() again with every window there
    return;
  }
  grab();
  xcb_flush(c);
}

void X11Covers::grab() {
  xcb_connection_t* c = connection();
  if (!c || !primary_) return;
  const auto window = xcb_window_t(primary_->winId());
  // Asked again each time: a grab is lost when its window is unmapped, and
  // asking again for a grab the lock holds costs nothing.
  const auto keyboard = xcb_grab_keyboard(c, 1, window, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
  const auto pointer = xcb_grab_pointer(
      c, 1, window, XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION,
      XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME);
  // The status of a grab: success, or why not; only a grab that another
  // program holds (or froze) is its doing, a window not yet viewable is ours.
  auto status = [](auto* reply) {
    const int s = reply ? int(reply->status) : int(XCB_GRAB_STATUS_NOT_VIEWABLE);
    std::free(reply);
    return s;
  };
  const int keyboardStatus = status(xcb_grab_keyboard_reply(c, keyboard, nullptr));
  const int pointerStatus = status(xcb_grab_pointer_reply(c, pointer, nullptr));
  keyboardHeld_ = keyboardStatus == XCB_GRAB_STATUS_SUCCESS;
  pointerHeld_ = pointerStatus == XCB_GRAB_STATUS_SUCCESS;
  auto othersHold = [](int s) { return s == XCB_GRAB_STATUS_ALREADY_GRABBED || s == XCB_GRAB_STATUS_FROZEN; };
  if (locked()) {
    if (saidNotLocked_) std::fputs("lumora: the keyboard and the pointer are held now; the screen is locked\n", stderr);
    saidNotLocked_ = false;
  } else if (!saidNotLocked_ && (othersHold(keyboardStatus) || othersHold(pointerStatus))) {
    saidNotLocked_ = true;
    std::fprintf(stderr, "lumora: another program holds the %s; the screen is not locked until it lets go\n",
                 keyboardHeld_ ? "pointer" : "keyboard");
  }
  placeNotice();
}

void X11Covers::placeNotice() {
  if (!notice_ || !primary_) return;
  // Only once a first grab has been tried: a window not yet mapped cannot
  // be grabbed, which is no other program's doing.
  if (locked() || !saidNotLocked_) {
    notice_->hide();
    return;
  }
  notice_->setText(QString::fromUtf8(keyboardHeld_ ? kNotLockedPointer : kNotLockedKeyboard));
  notice_->adjustSize();
  notice_->move((primary_->width() - notice_->width()) / 2, primary_->height() / 8);
  notice_->show();
  notice_->raise();
}

QStringList X11Covers::showArguments() const {
  if (!showArea_) return {};
  return {QStringLiteral("--window-id"), QString::number(showArea_->winId())};
}

QWidget* X11Covers::promptParent() const { return primary_; }

void X11Covers::promptShown(PasswordPrompt& prompt, bool shown) {
  prompt_ = &prompt;
  promptOpen_ = shown;
  if (!shown || !primary_) return;
  if (prompt.parentWidget() != primary_) prompt.setParent(primary_);
  prompt.setAttribute(Qt::WA_NativeWindow);
  prompt.setCursor(Qt::ArrowCursor);
  prompt.move((primary_->width() - prompt.width()) / 2, (primary_->height() - prompt.height()) / 2);
}

void X11Covers::showMessage(const QString&, int fd) {
  if (fd >= 0) ::close(fd);  // nothing comes with a message on X11
}

}  // namespace lumora
