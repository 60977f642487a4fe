#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <sstream>

#include "platform/core/ansi.h"
#include "platform/temp_home.h"
#include "settings/list_file.h"

namespace lumora {
namespace {

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

using List = StringList;

TEST(ListText, LineEndsAndEmptyLines) {
  EXPECT_EQ(parseListText(""), List{});
  EXPECT_EQ(parseListText("a"), List{"a"});
  EXPECT_EQ(parseListText("a\r\nb\r\n"), (List{"a", "b"}));
  EXPECT_EQ(parseListText("a\nb\rc\r\nd"), (List{"a", "b", "c", "d"}));
  // An empty line is an entry; only the final line end adds none.
  EXPECT_EQ(parseListText("a\r\n\r\nb\r\n\r\n"), (List{"a", "", "b", ""}));
  EXPECT_EQ(parseListText("\r\n"), List{""});
  EXPECT_EQ(parseListText("\n\r"), (List{"", ""}));  // LF then CR: two line ends
}

TEST(ListText, Gb18030IsTakenAsItIs) {
  const std::string ansi = utf8ToAnsi("/图片/春天.jpg");
  EXPECT_EQ(parseListText(ansi + "\r\n" + ansi), (List{ansi, ansi}));
}

TEST(ListText, Utf8WithNonAsciiIsConvertedToAnsi) {
  const std::string ansi = utf8ToAnsi("/图片/春天.jpg");
  EXPECT_EQ(parseListText("/图片/春天.jpg\nplain\n"), (List{ansi, "plain"}));
  EXPECT_EQ(parseListText("\xEF\xBB\xBF/图片/春天.jpg\n"), List{ansi});  // byte order mark dropped
  // Plain ASCII is the same either way.
  EXPECT_EQ(parseListText("abc\n"), List{"abc"});
}

class ListFileTest : public ::testing::Test {
 protected:
  test::TempHome home;
};

TEST_F(ListFileTest, FourFilesInTheListFolder) {
  EXPECT_EQ(listFilePath(kPictureListFile), home.dir() / "Lumora_Studio" / "pic.txt");
  EXPECT_EQ(listFilePath(kMediaListFile).filename(), "music.txt");
  EXPECT_EQ(listFilePath(kCaptionListFile).filename(), "label.txt");
  EXPECT_EQ(listFilePath(kFontListFile).filename(), "fontn.txt");
}

TEST_F(ListFileTest, MissingFileIsAnEmptyListAndFolderIsCreated) {
  const std::filesystem::path pic = listFilePath(kPictureListFile);
  EXPECT_FALSE(listFileExists(pic));
  EXPECT_EQ(readListFile(pic), List{});
  {
    test::ScopedEnv deeper("LUMORA_HOME", (home.dir() / "a" / "b").c_str());
    ensureListFolder();
    EXPECT_TRUE(std::filesystem::is_directory(home.dir() / "a" / "b" / "Lumora_Studio"));
    ensureListFolder();  // again: nothing to do
  }
  // A folder of that name is no list file.
  std::filesystem::create_directories(pic);
  EXPECT_FALSE(listFileExists(pic));
  EXPECT_THROW(readListFile(pic), ListFileError);
}

TEST_F(ListFileTest, WriteUsesAnsiAndCrLfAndReadsBack) {
  ensureListFolder();
  const std::filesystem::path labels = listFilePath(kCaptionListFile);
  const List entries{utf8ToAnsi("春眠不觉晓"), "", "second"};
  writeListFile(labels, entries);
  EXPECT_EQ(readFile(labels), entries[0] + "\r\n\r\nsecond\r\n");
  EXPECT_TRUE(listFileExists(labels));
  EXPECT_EQ(readListFile(labels), entries);

  writeListFile(labels, {});
  EXPECT_EQ(readFile(labels), "");
  EXPECT_EQ(readListFile(labels), List{});
}

TEST_F(ListFileTest, FailedWriteThrowsAndLeavesTheOldFileWhole) {
  ensureListFolder();
  const std::filesystem::path pic = listFilePath(kPictureListFile);
  writeListFile(pic, {"/old/one.jpg", "/old/two.jpg"});
  const std::string before = readFile(pic);

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{16, 16};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    try {
      writeListFile(pic, List(100, "/new/picture.jpg"));
    } catch (const ListFileError&) {
      ::_exit(0);
    }
    ::_exit(1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the failure was not reported";
  EXPECT_EQ(readFile(pic), before);
  for (const auto& entry : std::filesystem::directory_iterator(pic.parent_path()))
    EXPECT_EQ(entry.path().filename(), "pic.txt") << "left behind: " << entry.path();
}

TEST_F(ListFileTest, WriteIntoMissingFolderThrows) {
  EXPECT_THROW(writeListFile(home.dir() / "nowhere" / "pic.txt", {"a"}), ListFileError);
}

}  // namespace
}  // namespace lumora
