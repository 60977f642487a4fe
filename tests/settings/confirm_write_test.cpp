// Confirming the settings window: five files written as one change.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <fstream>
#include <sstream>

#include "platform/core/atomic_file.h"
#include "platform/core/paths.h"
#include "platform/temp_home.h"
#include "settings/confirm_write.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::vector<std::string> temporariesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path().filename().string().find(".tmp-") != std::string::npos) names.push_back(e.path().filename());
  return names;
}

void makeOld(const fs::path& path, int secondsAgo) {
  const utimbuf times{std::time(nullptr) - secondsAgo, std::time(nullptr) - secondsAgo};
  ASSERT_EQ(::utime(path.c_str(), &times), 0);
}

SettingsToWrite someValues(int pictureOrder) {
  SettingsToWrite v;
  v.pictureOrder = pictureOrder;
  v.openingCaption = "abc";
  return v;
}

class ConfirmWriteTest : public ::testing::Test {
 protected:
  test::TempHome home;
  FourLists lists{StringList{"/p/one.jpg"}, StringList{"/m/song.mp3"}, StringList{"caption"}, StringList{"face"}};
};

TEST_F(ConfirmWriteTest, AllFiveAreWrittenBeforeAnyIsReplacedInOrder) {
  std::vector<std::string> order;
  writeConfirmedSettings(registryFilePath(), lists, someValues(1), [&](const fs::path& target) {
    if (order.empty()) {
      // At the first replace every new file already lies beside its target.
      EXPECT_EQ(temporariesIn(listFolder()).size(), 4u);
      EXPECT_EQ(temporariesIn(registryFilePath().parent_path()).size(), 1u);
    }
    order.push_back(target.filename());
  });
  EXPECT_EQ(order, (std::vector<std::string>{"pic.txt", "music.txt", "label.txt", "fontn.txt", "registry.reg"}));
  EXPECT_EQ(contents(listFilePath(kPictureListFile)), "/p/one.jpg\r\n");
  EXPECT_EQ(contents(listFilePath(kFontListFile)), "face\r\n");
  EXPECT_NE(contents(registryFilePath()).find("\"tpbh\"=dword:00000001"), std::string::npos);
  EXPECT_TRUE(temporariesIn(listFolder()).empty());
  struct stat info {};
  ASSERT_EQ(::stat(registryFilePath().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);  // it holds the password
}

TEST_F(ConfirmWriteTest, AFailureBeforeTheRenamesLeavesAllOldFiles) {
  writeConfirmedSettings(registryFilePath(), lists, someValues(0));
  const std::string oldPic = contents(listFilePath(kPictureListFile));
  const std::string oldRegistry = contents(registryFilePath());

  // The registry's temporary file cannot be made: its folder is a file.
  const fs::path blocked = home.dir() / "blocked";
  std::ofstream(blocked) << "x";
  FourLists changed = lists;
  changed[0] = {"/p/two.jpg"};
  EXPECT_ANY_THROW(writeConfirmedSettings(blocked / "registry.reg", changed, someValues(1)));
  EXPECT_EQ(contents(listFilePath(kPictureListFile)), oldPic);  // not replaced before the registry was ready
  EXPECT_EQ(contents(registryFilePath()), oldRegistry);
  EXPECT_TRUE(temporariesIn(listFolder()).empty());  // and nothing left behind
}

TEST_F(ConfirmWriteTest, StaleTemporariesOfOursAreRemovedYoungAndForeignOnesKept) {
  ensureListFolder();
  const fs::path folder = listFolder();
  const fs::path stale = folder / ".pic.txt.tmp-AbC123";
  const fs::path young = folder / ".label.txt.tmp-XyZ789";
  const fs::path staleLong = folder / ".pic.txt.tmp-toolong1";  // not a name we make
  const fs::path foreign = folder / "notes.tmp-AbC123";
  const fs::path staleFolder = folder / ".music.txt.tmp-Dir123";
  for (const fs::path& p : {stale, young, staleLong, foreign}) std::ofstream(p) << "left";
  fs::create_directory(staleFolder);
  for (const fs::path& p : {stale, staleLong, foreign, staleFolder}) makeOld(p, 120);
  makeOld(young, 10);

  writeConfirmedSettings(registryFilePath(), lists, someValues(0));
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(young));  // may belong to a write going on now
  EXPECT_TRUE(fs::exists(staleLong));
  EXPECT_TRUE(fs::exists(foreign));
  EXPECT_TRUE(fs::exists(staleFolder));  // only regular files are removed

  // The registry's own leftovers go at its next write too.
  const fs::path staleRegistry = registryFilePath().parent_path() / ".registry.reg.tmp-Qwe456";
  std::ofstream(staleRegistry) << "left";
  makeOld(staleRegistry, 61 + 60);
  writeAllSettings(registryFilePath(), someValues(1));
  EXPECT_FALSE(fs::exists(staleRegistry));
}

}  // namespace
}  // namespace lumora
