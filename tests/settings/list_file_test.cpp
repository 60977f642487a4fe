#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <set>
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

TEST(ListText, ByteOrderMarkMeansUtf8ForEveryKind) {
  const std::string ansi = utf8ToAnsi("/图片/春天.jpg");
  const std::string marked = "\xEF\xBB\xBF/图片/春天.jpg\r\nplain\r\n";
  EXPECT_EQ(parseListText(marked, ListKind::Text), (List{ansi, "plain"}));
  // The mark wins even where no file exists under either reading.
  EXPECT_EQ(parseListText(marked, ListKind::Paths, [](const std::string&) { return false; }), (List{ansi, "plain"}));
  // Only an ASCII file is the same either way.
  EXPECT_EQ(parseListText("abc\n", ListKind::Paths), List{"abc"});
}

TEST(ListText, TextListsAreUtf8OnlyWithALongSequence) {
  // "一" in GB18030 is D2 BB, which is also valid (two-byte) UTF-8: a
  // GB18030 caption list of it must stay as it is.
  EXPECT_EQ(parseListText("\xD2\xBB\r\n", ListKind::Text), List{"\xD2\xBB"});
  // A UTF-8 caption list with a three-byte character is converted whole,
  // two-byte characters in other lines included.
  EXPECT_EQ(parseListText("春天\n\xC3\xA9\n", ListKind::Text), (List{utf8ToAnsi("春天"), utf8ToAnsi("é")}));
  // Not valid UTF-8 anywhere: GB18030 as it is.
  const std::string gb = utf8ToAnsi("春天");
  EXPECT_EQ(parseListText(gb + "\n", ListKind::Text), List{gb});
}

TEST(ListText, PathListsPickTheReadingThatNamesAFile) {
  const std::string line = "/p/\xD2\xBB.jpg";   // GB18030 "一", valid UTF-8 "һ"
  const std::string asUtf8 = utf8ToAnsi(line);  // the UTF-8 reading, in ANSI
  ASSERT_NE(asUtf8, line);
  auto only = [](std::set<std::string> names) { return [names](const std::string& p) { return names.count(p) > 0; }; };
  EXPECT_EQ(parseListText(line + "\n", ListKind::Paths, only({asUtf8})), List{asUtf8});
  EXPECT_EQ(parseListText(line + "\n", ListKind::Paths, only({line})), List{line});
  EXPECT_EQ(parseListText(line + "\n", ListKind::Paths, only({line, asUtf8})), List{line});  // both: GB18030
  EXPECT_EQ(parseListText(line + "\n", ListKind::Paths, only({})), List{line});              // neither
  // Each line decides alone.
  EXPECT_EQ(parseListText(line + "\n" + line + "x\n", ListKind::Paths, only({asUtf8})), (List{asUtf8, line + "x"}));
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

TEST_F(ListFileTest, ListFilesInEitherEncodingNameTheFilesOnDisk) {
  ensureListFolder();
  // Files named in UTF-8 on disk, as Linux names them.
  const std::filesystem::path dir = home.dir() / "pictures";
  std::filesystem::create_directories(dir);
  for (const char* name : {"一.jpg", "春天.jpg"}) std::ofstream(dir / name) << "x";
  const std::string folder = dir.string();

  // Written by the settings window or on Windows: GB18030, whose "一" (D2 BB)
  // also reads as UTF-8.
  const std::filesystem::path pic = listFilePath(kPictureListFile);
  std::ofstream(pic, std::ios::binary) << utf8ToAnsi(folder + "/一.jpg") << "\r\n"
                                       << utf8ToAnsi(folder + "/春天.jpg") << "\r\n";
  const List gbEntries = readListFile(pic);
  ASSERT_EQ(gbEntries.size(), 2u);
  for (const std::string& e : gbEntries) EXPECT_TRUE(std::filesystem::exists(pathFromAnsi(e))) << e;

  // Written by hand in UTF-8.
  const std::filesystem::path music = listFilePath(kMediaListFile);
  std::ofstream(music, std::ios::binary) << folder << "/春天.jpg\n" << folder << "/一.jpg\n";
  const List utf8Entries = readListFile(music);
  ASSERT_EQ(utf8Entries.size(), 2u);
  for (const std::string& e : utf8Entries) EXPECT_TRUE(std::filesystem::exists(pathFromAnsi(e))) << e;
  EXPECT_EQ(utf8Entries[0], utf8ToAnsi(folder + "/春天.jpg"));

  // A caption list with a byte-order mark.
  const std::filesystem::path labels = listFilePath(kCaptionListFile);
  std::ofstream(labels, std::ios::binary) << "\xEF\xBB\xBF一\r\n";
  EXPECT_EQ(readListFile(labels), List{utf8ToAnsi("一")});
}

TEST_F(ListFileTest, SpecialFilesAreNoLists) {
  ensureListFolder();
  const std::filesystem::path pic = listFilePath(kPictureListFile);
  std::filesystem::create_symlink("/dev/zero", pic);
  EXPECT_THROW(readListFile(pic), ListFileError);  // refused, not read without end
}

}  // namespace
}  // namespace lumora
