// The covers' input: wl_keyboard through xkbcommon into Qt key events, and
// pointer buttons; no cursor over the lock.
#include <sys/mman.h>
#include <xkbcommon/xkbcommon.h>

#include <QKeyEvent>
#include <QtGui/private/qxkbcommon_p.h>

#include "lock/wayland/cover_connection.h"
#include "platform/core/unique_fd.h"

namespace lumora {

namespace {

using Connection = WaylandCovers::Connection;

void keymapEvent(void* data, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
  auto* c = static_cast<Connection*>(data);
  UniqueFd owned(fd);
  if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) return;
  void* text = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  if (text == MAP_FAILED) return;
  xkb_keymap* keymap = xkb_keymap_new_from_string(c->xkb, static_cast<const char*>(text), XKB_KEYMAP_FORMAT_TEXT_V1,
                                                  XKB_KEYMAP_COMPILE_NO_FLAGS);
  ::munmap(text, size);
  if (!keymap) return;
  if (c->keyState) xkb_state_unref(c->keyState);
  if (c->keymap) xkb_keymap_unref(c->keymap);
  c->keymap = keymap;
  c->keyState = xkb_state_new(keymap);
}
void keyboardEnter(void* data, wl_keyboard*, uint32_t, wl_surface* surface, wl_array*) {
  static_cast<Connection*>(data)->keyboardFocus = surface;
}
// KWin gives a new window of another client the keyboard even over an
// overlay surface that asked for it exclusively: take it back. A leave
// followed by an enter on another of ours (in the same batch, before the
// timer runs) is the focus moving between our covers.
void keyboardLeave(void* data, wl_keyboard*, uint32_t, wl_surface*) {
  auto* c = static_cast<Connection*>(data);
  c->keyboardFocus = nullptr;
  c->later(0, [c] {
    if (!c->keyboardFocus) c->reclaimKeyboard();
  });
}
void keyEvent(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state) {
  auto* c = static_cast<Connection*>(data);
  if (state != WL_KEYBOARD_KEY_STATE_PRESSED || !c->keyState) return;
  const xkb_keycode_t code = key + 8;
  const xkb_keysym_t sym = xkb_state_key_get_one_sym(c->keyState, code);
  const Qt::KeyboardModifiers modifiers = QXkbCommon::modifiers(c->keyState);
  const int qtKey = QXkbCommon::keysymToQtKey(sym, modifiers, c->keyState, code);
  QKeyEvent event(QEvent::KeyPress, qtKey, modifiers, code, sym, 0, QXkbCommon::lookupString(c->keyState, code));
  emit c->owner->keyPressed(&event);
}
void modifiersEvent(void* data, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched, uint32_t locked,
                    uint32_t group) {
  auto* c = static_cast<Connection*>(data);
  if (c->keyState) xkb_state_update_mask(c->keyState, depressed, latched, locked, 0, 0, group);
}
void repeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}
const wl_keyboard_listener kKeyboardListener = {keymapEvent, keyboardEnter,  keyboardLeave,
                                                keyEvent,    modifiersEvent, repeatInfo};

void pointerEnter(void*, wl_pointer* pointer, uint32_t serial, wl_surface*, wl_fixed_t, wl_fixed_t) {
  wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);  // no cursor over the lock
}
void pointerLeave(void*, wl_pointer*, uint32_t, wl_surface*) {}
void pointerMotion(void*, wl_pointer*, uint32_t, wl_fixed_t, wl_fixed_t) {}
void pointerButton(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state) {
  if (state == WL_POINTER_BUTTON_STATE_PRESSED) emit static_cast<Connection*>(data)->owner->buttonPressed();
}
void pointerAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
void pointerFrame(void*, wl_pointer*) {}
void pointerAxisSource(void*, wl_pointer*, uint32_t) {}
void pointerAxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void pointerAxisStep(void*, wl_pointer*, uint32_t, int32_t) {}
const wl_pointer_listener kPointerListener = {pointerEnter,    pointerLeave,   pointerMotion,     pointerButton,
                                              pointerAxis,     pointerFrame,   pointerAxisSource, pointerAxisStop,
                                              pointerAxisStep, pointerAxisStep};

void seatCapabilities(void* data, wl_seat* seat, uint32_t caps) {
  auto* c = static_cast<Connection*>(data);
  if ((caps & WL_SEAT_CAPABILITY_KEYBOARD) && !c->keyboard) {
    c->keyboard = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(c->keyboard, &kKeyboardListener, c);
  }
  if ((caps & WL_SEAT_CAPABILITY_POINTER) && !c->pointer) {
    c->pointer = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(c->pointer, &kPointerListener, c);
  }
  // A device gone (the last keyboard unplugged) leaves its object dead: a
  // new one is asked for when one comes back.
  if (!(caps & WL_SEAT_CAPABILITY_KEYBOARD) && c->keyboard) {
    wl_keyboard_release(c->keyboard);
    c->keyboard = nullptr;
  }
  if (!(caps & WL_SEAT_CAPABILITY_POINTER) && c->pointer) {
    wl_pointer_release(c->pointer);
    c->pointer = nullptr;
  }
}
void seatName(void*, wl_seat*, const char*) {}
const wl_seat_listener kSeatListener = {seatCapabilities, seatName};

}  // namespace

const wl_seat_listener& seatListener() { return kSeatListener; }

}  // namespace lumora
