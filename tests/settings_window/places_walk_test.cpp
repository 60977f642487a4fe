// The drive selector's places and the subfolder walk of "包含子文件夹", on
// scratch folders.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/fsuid.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "settings_window/folder_walk.h"
#include "settings_window/places.h"
#include "tests/saver/qt_app.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using testing::ScratchHome;

void touch(const fs::path& p) {
  fs::create_directories(p.parent_path());
  std::ofstream(p) << "x";
}

std::vector<std::string> names(const std::vector<Place>& places) {
  std::vector<std::string> out;
  for (const Place& p : places) out.push_back(p.name);
  return out;
}

TEST(Places, UserDirsLinesAreReadAsTheDesktopWritesThem) {
  const auto dirs = parseUserDirs(
      "# written by xdg-user-dirs-update\n"
      "XDG_PICTURES_DIR=\"$HOME/图片\"\n"
      "XDG_MUSIC_DIR=\"/srv/music\"\r\n"
      "  XDG_VIDEOS_DIR = \"$HOME/My \\\"Videos\\\"\"\n"
      "XDG_DESKTOP_DIR=relative/not/taken\n"
      "XDG_DOCUMENTS_DIR=\"docs\"\n"
      "NOT_A_DIR=\"$HOME/x\"\n"
      "XDG_DOWNLOAD_DIR=\"$HOME/\"",
      "/home/li");
  ASSERT_EQ(dirs.size(), 4u);
  EXPECT_EQ(dirs[0], (std::pair<std::string, std::string>{"PICTURES", "/home/li/图片"}));
  EXPECT_EQ(dirs[1], (std::pair<std::string, std::string>{"MUSIC", "/srv/music"}));
  EXPECT_EQ(dirs[2], (std::pair<std::string, std::string>{"VIDEOS", "/home/li/My \"Videos\""}));
  EXPECT_EQ(dirs[3], (std::pair<std::string, std::string>{"DOWNLOAD", "/home/li/"}));
}

TEST(Places, HomeThenTheUserFoldersThatExistThenVolumesThenRoot) {
  ScratchHome scratch;
  const fs::path home = scratch.path() / "home";
  for (const char* d : {"图片", "音乐", "Desktop", "下载"}) fs::create_directories(home / d);
  const std::string userDirs =
      "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
      "XDG_DOWNLOAD_DIR=\"$HOME/下载\"\n"
      "XDG_MUSIC_DIR=\"$HOME/音乐\"\n"
      "XDG_PICTURES_DIR=\"$HOME/图片\"\n"
      "XDG_VIDEOS_DIR=\"$HOME/视频\"\n"  // not there: left out
      "XDG_DOCUMENTS_DIR=\"$HOME/\"\n";  // the home folder itself: no place of its own
  const std::vector<Volume> volumes = {
      {"/media/li/CAMERA", "CAMERA", true}, {"/", "", false}, {"/media/li/stick", "", true}, {"/data", "", false}};
  const auto places = userPlaces(home.string(), userDirs, volumes);
  EXPECT_EQ(names(places),
            (std::vector<std::string>{home.string(), "图片", "音乐", "Desktop", "下载", "CAMERA (/media/li/CAMERA)",
                                      "可移动磁盘 (/media/li/stick)", "/data", "/"}));
  EXPECT_EQ(places[0].path, home.string() + "/");
  EXPECT_EQ(places[1].path, (home / "图片").string() + "/");
  EXPECT_EQ(places[1].kind, Place::Kind::Pictures);
  EXPECT_EQ(places[5].path, "/media/li/CAMERA/");
  EXPECT_EQ(places.back().path, "/");

  EXPECT_EQ(startPlace(places, Place::Kind::Pictures)->path, places[1].path);
  EXPECT_EQ(startPlace(places, Place::Kind::Videos)->kind, Place::Kind::Home);
  // No user-dirs file at all: home and "/" are still there.
  EXPECT_EQ(names(userPlaces(home.string(), "", {})), (std::vector<std::string>{home.string(), "/"}));
}

// A tree with files and folders whose names sort in a known order, hidden
// entries, a symbolic-link loop and a second link to a folder.
struct WalkTree {
  WalkTree() {
    touch(root / "b.jpg");
    touch(root / "A.JPG");
    touch(root / "notes.txt");
    touch(root / ".hidden.jpg");
    touch(root / "2024" / "01" / "x.jpg");
    touch(root / "2024" / "01" / "y.gif");
    touch(root / "2024" / "02" / "z.jpg");
    touch(root / "2024" / "top.jpg");
    touch(root / ".thumbnails" / "t.jpg");
    touch(root / "1999" / "old.jpg");
    fs::create_directory_symlink("..", root / "2024" / "02" / "loop");  // back up to 2024
    fs::create_directory_symlink(root / "1999", root / "zz-link");      // 1999 a second time
  }
  std::string folder() const { return root.string() + "/"; }
  std::string rel(const std::string& path) const { return path.substr(folder().size()); }

  ScratchHome scratch;
  fs::path root = scratch.path() / "photos";
};

TEST(FolderWalk, DepthFirstByNameThroughTheMaskFollowingNoFolderTwice) {
  WalkTree t;
  std::vector<std::size_t> counts;
  const auto found = walkMatchingFiles(t.folder(), "*.jpg;*.gif", [&](std::size_t n) {
    counts.push_back(n);
    return true;
  });
  ASSERT_TRUE(found);
  std::vector<std::string> rel;
  for (const std::string& p : *found) rel.push_back(t.rel(p));
  EXPECT_EQ(rel, (std::vector<std::string>{"A.JPG", "b.jpg", "1999/old.jpg", "2024/top.jpg", "2024/01/x.jpg",
                                           "2024/01/y.gif", "2024/02/z.jpg"}));
  ASSERT_FALSE(counts.empty());
  EXPECT_EQ(counts.back(), found->size());
  EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));

  // The mask narrows the walk as it narrows the file list.
  const auto gifs = walkMatchingFiles(t.folder(), "*.gif", {});
  ASSERT_TRUE(gifs);
  ASSERT_EQ(gifs->size(), 1u);
  EXPECT_EQ(t.rel(gifs->front()), "2024/01/y.gif");
}

TEST(FolderWalk, ACancelledWalkGivesNothingAndAMissingFolderGivesNoFiles) {
  WalkTree t;
  int calls = 0;
  EXPECT_FALSE(walkMatchingFiles(t.folder(), "*.*", [&](std::size_t) { return ++calls < 2; }));
  EXPECT_EQ(calls, 2);
  const auto none = walkMatchingFiles(t.folder() + "missing/", "*.*", {});
  ASSERT_TRUE(none);
  EXPECT_TRUE(none->empty());
}

// A folder that cannot be read is passed over. Root reads every folder, so
// the walk then runs with an ordinary user's file-system identity.
TEST(FolderWalk, AFolderThatCannotBeReadIsSkipped) {
  WalkTree t;
  touch(t.root / "2024" / "locked" / "secret.jpg");
  ::chmod((t.root / "2024" / "locked").c_str(), 0);
  const bool root = ::geteuid() == 0;
  if (root) ::setfsuid(65534);
  const auto found = walkMatchingFiles(t.folder(), "*.jpg", {});
  if (root) ::setfsuid(0);
  ::chmod((t.root / "2024" / "locked").c_str(), 0755);
  ASSERT_TRUE(found);
  std::string out;
  for (const std::string& p : *found) out += t.rel(p) + "\n";
  EXPECT_EQ(out, "A.JPG\nb.jpg\n1999/old.jpg\n2024/top.jpg\n2024/01/x.jpg\n2024/02/z.jpg\n");
}

}  // namespace
}  // namespace lumora
