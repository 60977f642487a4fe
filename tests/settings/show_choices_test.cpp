#include <gtest/gtest.h>

#include "platform/core/paths.h"
#include "platform/temp_home.h"
#include "settings/show_settings.h"

namespace lumora {
namespace {

template <class Choice>
struct CodeCase {
  std::int32_t code;
  Choice choice;
};

TEST(ShowChoices, PictureOrderCodes) {
  const CodeCase<PictureOrder> cases[] = {{0, PictureOrder::InList}, {2, PictureOrder::Shuffled},
                                          {1, PictureOrder::Random}, {-1, PictureOrder::Random},
                                          {3, PictureOrder::Random}, {7, PictureOrder::Random}};
  for (const auto& c : cases) EXPECT_EQ(pictureOrderFromCode(c.code), c.choice) << c.code;
}

// Captions and media: 2 starts at a random entry, any other unknown value is
// random too but starts at the first entry (-1 is what the settings window
// stores when no choice is marked).
TEST(ShowChoices, PlayOrderCodes) {
  const CodeCase<PlayOrder> cases[] = {{0, PlayOrder::None},
                                       {1, PlayOrder::InList},
                                       {2, PlayOrder::Random},
                                       {-1, PlayOrder::RandomFromFirst},
                                       {3, PlayOrder::RandomFromFirst},
                                       {-2147483647 - 1, PlayOrder::RandomFromFirst}};
  for (const auto& c : cases) EXPECT_EQ(playOrderFromCode(c.code), c.choice) << c.code;
}

TEST(ShowChoices, FittingThresholdCodes) {
  const CodeCase<FittingThreshold> cases[] = {{-1, FittingThreshold::FitAll},      {0, FittingThreshold::Below640x480},
                                              {1, FittingThreshold::Below800x600}, {2, FittingThreshold::Below1024x768},
                                              {3, FittingThreshold::BelowScreen},  {-2, FittingThreshold::BelowScreen},
                                              {5, FittingThreshold::BelowScreen}};
  for (const auto& c : cases) EXPECT_EQ(fittingThresholdFromCode(c.code), c.choice) << c.code;
}

TEST(ShowChoices, TilingCodes) {
  const CodeCase<Tiling> cases[] = {{-1, Tiling::Off},      {0, Tiling::UpTo600},   {1, Tiling::UpTo500},
                                    {2, Tiling::UpTo400},   {3, Tiling::UpTo300},   {4, Tiling::Unlimited},
                                    {7, Tiling::Unlimited}, {-2, Tiling::Unlimited}};
  for (const auto& c : cases) EXPECT_EQ(tilingFromCode(c.code), c.choice) << c.code;
}

TEST(ShowChoices, OpeningDisplayCodes) {
  const CodeCase<OpeningDisplay> cases[] = {{0, OpeningDisplay::Caption},
                                            {1, OpeningDisplay::Picture},
                                            {2, OpeningDisplay::Welcome},
                                            {-1, OpeningDisplay::Welcome}};
  for (const auto& c : cases) EXPECT_EQ(openingDisplayFromCode(c.code), c.choice) << c.code;
}

// Lyrics are on for exactly 1; a missing value keeps them on.
TEST(ShowChoices, LyricsOnOnlyForOne) {
  const std::pair<std::optional<std::int32_t>, bool> cases[] = {
      {std::nullopt, true}, {1, true}, {0, false}, {2, false}, {-1, false}};
  for (const auto& [code, on] : cases) {
    SettingCodes codes;
    codes.lyrics = code;
    EXPECT_EQ(showSettingsFrom(codes).lyricsOn, on) << code.value_or(99);
  }
}

// The settings window shows and writes the codes as stored: odd values come
// back as they went in, and the show reads their meanings from them.
TEST(ShowChoices, OddCodesRoundTripThroughTheWindowsValues) {
  test::TempHome home;
  const auto file = registryFilePath();
  SettingsToWrite v;
  v.pictureOrder = 5;
  v.captionOrder = 7;
  v.mediaOrder = -3;
  v.fittingThreshold = 9;
  v.tiling = 11;
  v.openingDisplay = 4;
  writeAllSettings(file, v);
  const StoredSettings stored = readStoredSettings(RegistryFile::load(file));
  EXPECT_EQ(stored.pictureOrder, 5);
  EXPECT_EQ(stored.captionOrder, 7);
  EXPECT_EQ(stored.mediaOrder, -3);
  EXPECT_EQ(stored.fittingThreshold, 9);
  EXPECT_EQ(stored.tiling, 11);
  EXPECT_EQ(stored.openingDisplay, 4);
  const ShowSettings s = loadShowSettings(file);
  EXPECT_EQ(s.pictureOrder, PictureOrder::Random);
  EXPECT_EQ(s.captionOrder, PlayOrder::RandomFromFirst);
  EXPECT_EQ(s.mediaOrder, PlayOrder::RandomFromFirst);
  EXPECT_EQ(s.fittingThreshold, FittingThreshold::BelowScreen);
  EXPECT_EQ(s.tiling, Tiling::Unlimited);
  EXPECT_EQ(s.openingDisplay, OpeningDisplay::Welcome);
}

}  // namespace
}  // namespace lumora
