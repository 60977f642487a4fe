// Questions about X windows that Qt does not answer for foreign windows,
// asked over the application's own X connection (xcb platform only).
#pragma once

#include <QSize>
#include <cstdint>
#include <optional>

namespace lumora {

// True when the application runs on the X11 (xcb) platform.
bool onX11();

// The root window of the default screen (0 when not on X11).
std::uint32_t x11RootWindow();

// The window's current size, or nullopt when it does not exist (any more).
std::optional<QSize> x11WindowSize(std::uint32_t window);

}  // namespace lumora
