#include "settings/show_choices.h"

namespace lumora {

PictureOrder pictureOrderFromCode(std::int32_t code) {
  if (code == 0) return PictureOrder::InList;
  return code == 2 ? PictureOrder::Shuffled : PictureOrder::Random;
}

PlayOrder playOrderFromCode(std::int32_t code) {
  switch (code) {
    case 0:
      return PlayOrder::None;
    case 1:
      return PlayOrder::InList;
    case 2:
      return PlayOrder::Random;
    default:
      return PlayOrder::RandomFromFirst;
  }
}

FittingThreshold fittingThresholdFromCode(std::int32_t code) {
  switch (code) {
    case -1:
      return FittingThreshold::FitAll;
    case 0:
      return FittingThreshold::Below640x480;
    case 1:
      return FittingThreshold::Below800x600;
    case 2:
      return FittingThreshold::Below1024x768;
    default:
      return FittingThreshold::BelowScreen;
  }
}

Tiling tilingFromCode(std::int32_t code) {
  switch (code) {
    case -1:
      return Tiling::Off;
    case 0:
      return Tiling::UpTo600;
    case 1:
      return Tiling::UpTo500;
    case 2:
      return Tiling::UpTo400;
    case 3:
      return Tiling::UpTo300;
    default:
      return Tiling::Unlimited;
  }
}

OpeningDisplay openingDisplayFromCode(std::int32_t code) {
  if (code == 0) return OpeningDisplay::Caption;
  return code == 1 ? OpeningDisplay::Picture : OpeningDisplay::Welcome;
}

}  // namespace lumora
