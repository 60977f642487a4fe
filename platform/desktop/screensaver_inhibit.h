// While it lives, keeps the desktop's own screensaver and idle actions off:
// org.freedesktop.ScreenSaver Inhibit over the session D-Bus at construction,
// UnInhibit with the cookie at destruction. Without a session bus, or when
// no service answers, it does nothing (active() is false).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace lumora {

class ScreenSaverInhibit {
 public:
  explicit ScreenSaverInhibit(const std::string& reason = "Lumora slideshow running");
  ~ScreenSaverInhibit();
  ScreenSaverInhibit(const ScreenSaverInhibit&) = delete;
  ScreenSaverInhibit& operator=(const ScreenSaverInhibit&) = delete;

  // True when the desktop granted the inhibition.
  bool active() const { return cookie_.has_value(); }

 private:
  std::optional<std::uint32_t> cookie_;
  std::string path_;  // the object path that granted it
};

}  // namespace lumora
