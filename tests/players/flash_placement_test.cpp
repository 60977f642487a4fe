// Where the Flash player program is told to show its movie, by platform and
// by what the widget plays (the show's movies or the settings preview).
#include <gtest/gtest.h>

#include "players/flash_placement.h"

namespace lumora {
namespace {

using Args = std::vector<std::string>;

TEST(FlashPlacement, OnlyWaylandGetsAWindowOfItsOwn) {
  const struct {
    const char* platform;
    bool overShow;
    FlashPlacement expected;
  } cases[] = {
      {"xcb", true, FlashPlacement::InsideWindow},
      {"xcb", false, FlashPlacement::InsideWindow},
      {"offscreen", true, FlashPlacement::InsideWindow},
      {"wayland", true, FlashPlacement::FullScreenOutput},
      {"wayland-egl", true, FlashPlacement::FullScreenOutput},
      {"wayland", false, FlashPlacement::OwnWindow},
      {"wayland-egl", false, FlashPlacement::OwnWindow},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.platform) + (c.overShow ? " show" : " preview"));
    EXPECT_EQ(flashPlacement(c.platform, c.overShow), c.expected);
    EXPECT_EQ(flashWindowIsApart(c.expected), c.expected != FlashPlacement::InsideWindow);
  }
}

TEST(FlashPlacement, ArgumentsNameTheWindowTheOutputOrTheSize) {
  FlashWindowPlace place;
  place.windowId = 0x2a00007;
  place.output = "HEADLESS-1";
  place.width = 209;
  place.height = 153;
  const struct {
    FlashPlacement placement;
    bool visible;
    Args expected;
  } cases[] = {
      {FlashPlacement::InsideWindow, true, {"--parent", "44040199", "--size", "209x153"}},
      // Inside our window the program follows our window's visibility.
      {FlashPlacement::InsideWindow, false, {"--parent", "44040199", "--size", "209x153"}},
      {FlashPlacement::FullScreenOutput, true, {"--screen", "HEADLESS-1", "--size", "209x153"}},
      {FlashPlacement::FullScreenOutput, false, {"--screen", "HEADLESS-1", "--size", "209x153", "--hidden"}},
      {FlashPlacement::OwnWindow, true, {"--size", "209x153"}},
      {FlashPlacement::OwnWindow, false, {"--size", "209x153", "--hidden"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.placement) * 2 + c.visible);
    place.visible = c.visible;
    EXPECT_EQ(flashPlayerArguments(c.placement, place), c.expected);
  }
}

TEST(FlashPlacement, TheProgramRunsOnTheShowsDisplayServer) {
  const struct {
    const char* platform;
    const char* expected;
  } cases[] = {{"xcb", "xcb"}, {"wayland", "wayland"}, {"wayland-egl", "wayland-egl"}, {"offscreen", ""}, {"", ""}};
  for (const auto& c : cases) EXPECT_EQ(flashPlayerPlatform(c.platform), c.expected) << c.platform;
}

TEST(FlashPlacement, AnEmptyWidgetStillAsksForAWindowOfOnePixel) {
  FlashWindowPlace place;
  place.width = 0;
  place.height = -3;
  EXPECT_EQ(flashPlayerArguments(FlashPlacement::OwnWindow, place), (Args{"--size", "1x1"}));
}

}  // namespace
}  // namespace lumora
