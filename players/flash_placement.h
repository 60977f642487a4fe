// Where the Flash player program shows its movie, and the arguments that say
// so. Under X11 the program's window goes inside ours, by window id. Wayland
// has no way to put one program's surface into another's window: there the
// program shows a window of its own, full screen on the show's output above
// the show while a movie plays in the full-screen show, else (the settings
// window's preview) a window of the preview area's size that the compositor
// places. Plain C++.
#pragma once

#include <string>
#include <vector>

namespace lumora {

enum class FlashPlacement {
  InsideWindow,      // inside our widget's window: --parent ID
  FullScreenOutput,  // full screen on our window's output: --screen NAME
  OwnWindow,         // a window of its own of our widget's size
};

// `platform`: Qt's platform plugin ("xcb", "wayland", "offscreen"...);
// `overShow`: our widget plays the full-screen show's movies (not a preview).
FlashPlacement flashPlacement(const std::string& platform, bool overShow);

// What the player's window is to be, as far as the placement needs it.
struct FlashWindowPlace {
  unsigned long long windowId = 0;  // our widget's window (InsideWindow)
  std::string output;               // the output our window is on (FullScreenOutput)
  int width = 1;
  int height = 1;
  bool visible = true;  // a window of its own starts hidden when false
};

// The player program's command line for this placement.
std::vector<std::string> flashPlayerArguments(FlashPlacement placement, const FlashWindowPlace& place);

// The platform plugin the program must use (QT_QPA_PLATFORM), or "" to
// leave it to the environment: the show's own where the program shares a
// window id or an output with it. Qt on its own may choose otherwise (it
// runs on Xwayland under GNOME's Wayland session, for one).
std::string flashPlayerPlatform(const std::string& platform);

// Whether the player's window is apart from ours, so that showing and hiding
// our widget must be told to the program.
inline bool flashWindowIsApart(FlashPlacement placement) { return placement != FlashPlacement::InsideWindow; }

}  // namespace lumora
