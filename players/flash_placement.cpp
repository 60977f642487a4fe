#include "players/flash_placement.h"

#include <algorithm>

namespace lumora {

FlashPlacement flashPlacement(const std::string& platform, bool overShow) {
  // Qt names its Wayland plugins "wayland", "wayland-egl", "wayland-brcm"...
  if (platform.rfind("wayland", 0) != 0) return FlashPlacement::InsideWindow;
  return overShow ? FlashPlacement::FullScreenOutput : FlashPlacement::OwnWindow;
}

std::string flashPlayerPlatform(const std::string& platform) {
  if (platform == "xcb" || platform.rfind("wayland", 0) == 0) return platform;
  return {};
}

std::vector<std::string> flashPlayerArguments(FlashPlacement placement, const FlashWindowPlace& place) {
  const std::string size = std::to_string(std::max(1, place.width)) + "x" + std::to_string(std::max(1, place.height));
  std::vector<std::string> args;
  switch (placement) {
    case FlashPlacement::InsideWindow:
      return {"--parent", std::to_string(place.windowId), "--size", size};
    case FlashPlacement::FullScreenOutput:
      args = {"--screen", place.output, "--size", size};
      break;
    case FlashPlacement::OwnWindow:
      args = {"--size", size};
      break;
  }
  if (!place.visible) args.emplace_back("--hidden");
  return args;
}

}  // namespace lumora
