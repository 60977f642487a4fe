// The choices the show's settings offer, and the stored codes they come
// from.
#pragma once

#include <cstdint>

namespace lumora {

// The order of the pictures.
enum class PictureOrder {
  InList,    // stored 0: "顺序播放"
  Random,    // any other value: a draw among all entries each time
  Shuffled,  // stored 2: rounds that show every entry once ("随机不重复")
};

// The order of the captions, and of the media list.
enum class PlayOrder {
  None,             // stored 0: "不播放"
  InList,           // stored 1: "顺序播放"
  Random,           // stored 2: "随机播放"; the show starts at a random entry
  RandomFromFirst,  // any other value (the settings window stores -1 when no
                    // choice is marked): random, but the show starts at the
                    // first entry, without a draw
};

// Pictures smaller than the threshold in both directions are kept at their
// size; the others are fitted to the screen.
enum class FittingThreshold {
  FitAll,         // stored -1: "全部自动缩放至全屏"
  Below640x480,   // stored 0
  Below800x600,   // stored 1
  Below1024x768,  // stored 2
  BelowScreen,    // any other value: the screen's own size
};

// Small pictures kept at their size are tiled over the screen, unless they
// exceed the limit.
enum class Tiling {
  Off,        // stored -1
  UpTo600,    // stored 0: "600*600"
  UpTo500,    // stored 1
  UpTo400,    // stored 2
  UpTo300,    // stored 3
  Unlimited,  // any other value: every picture kept at its size is tiled
};

// What the show displays before the first picture.
enum class OpeningDisplay {
  Welcome,  // missing or any other value: the built-in welcome caption
  Caption,  // stored 0: the opening caption
  Picture,  // stored 1: the opening picture
};

// The stored codes, by meaning.
PictureOrder pictureOrderFromCode(std::int32_t code);
PlayOrder playOrderFromCode(std::int32_t code);
FittingThreshold fittingThresholdFromCode(std::int32_t code);
Tiling tilingFromCode(std::int32_t code);
OpeningDisplay openingDisplayFromCode(std::int32_t code);

}  // namespace lumora
