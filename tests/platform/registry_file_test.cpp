#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/core/atomic_file.h"
#include "platform/core/registry_file.h"
#include "platform/temp_home.h"

namespace lumora {
namespace {

constexpr const char* kShow = "HKEY_CURRENT_USER\\software\\vistel";
constexpr const char* kDesk = "HKEY_CURRENT_USER\\Control Panel\\Desktop";

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::filesystem::path> filesIn(const std::filesystem::path& dir) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) files.push_back(entry.path().filename());
  std::sort(files.begin(), files.end());
  return files;
}

class RegistryFileTest : public ::testing::Test {
 protected:
  test::TempHome home;
  std::filesystem::path file = home.dir() / "registry.reg";
};

TEST_F(RegistryFileTest, TypesNamesAndEscapesSurviveSaveAndLoad) {
  RegistryFile reg;
  reg.setPath(file);
  reg.setDword(kShow, "order", 0);
  reg.setDword(kShow, "pp", 0xFFFFFFFFu);
  reg.setString(kShow, "path", "C:\\pics\\\"a\".jpg");
  reg.setString(kShow, "caption", "\xD6\x41\xD0\x41");  // stored form of a Chinese character
  reg.setString(kShow, "multi", "one\r\ntwo");
  reg.setString(kShow, "", "default");
  reg.save();

  const RegistryFile back = RegistryFile::load(file);
  EXPECT_EQ(back.dword(kShow, "order"), 0u);
  EXPECT_EQ(back.dword(kShow, "pp"), 0xFFFFFFFFu);
  EXPECT_EQ(back.string(kShow, "path"), "C:\\pics\\\"a\".jpg");
  EXPECT_EQ(back.string(kShow, "caption"), "\xD6\x41\xD0\x41");
  EXPECT_EQ(back.string(kShow, "multi"), "one\r\ntwo");
  EXPECT_EQ(back.string(kShow, ""), "default");

  const std::string text = readFile(file);
  EXPECT_TRUE(text.starts_with("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\software\\vistel]\r\n")) << text;
  EXPECT_NE(text.find("\"order\"=dword:00000000\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"pp\"=dword:ffffffff\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"path\"=\"C:\\\\pics\\\\\\\"a\\\".jpg\"\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("@=\"default\""), std::string::npos);
}

TEST_F(RegistryFileTest, KeysAndNamesIgnoreAsciiCaseOnly) {
  RegistryFile reg = RegistryFile::parse(
      "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Vistel]\n\"Caption\"=\"aAbA\"\n"
      "\"\x81\x41\"=dword:00000001\n");
  EXPECT_TRUE(reg.keyExists("hkey_current_user\\SOFTWARE\\vistel"));
  EXPECT_EQ(reg.string(kShow, "caption"), "aAbA");
  EXPECT_EQ(reg.string(kShow, "CAPTION"), "aAbA");
  // 0x81 0x41 is one double-byte character: its trail byte is not a letter.
  EXPECT_EQ(reg.dword(kShow, "\x81\x41"), 1u);
  EXPECT_FALSE(reg.valueExists(kShow, "\x81\x61"));

  reg.setString(kShow, "CAPTION", "xAyA");  // replaces, keeps the spelling
  EXPECT_EQ(reg.serialize().find("\"CAPTION\""), std::string::npos);
  EXPECT_EQ(reg.string(kShow, "caption"), "xAyA");
}

TEST_F(RegistryFileTest, ValueOfAnotherTypeReadsAsMissing) {
  const RegistryFile reg = RegistryFile::parse(
      "REGEDIT4\r\n[HKEY_CURRENT_USER\\software\\vistel]\r\n\"order\"=\"1\"\r\n\"caption\"=dword:00000003\r\n"
      "\"bin\"=hex:01,02,\\\r\n  03\r\n");
  EXPECT_TRUE(reg.valueExists(kShow, "order"));
  EXPECT_EQ(reg.dword(kShow, "order"), std::nullopt);
  EXPECT_EQ(reg.string(kShow, "caption"), std::nullopt);
  EXPECT_EQ(reg.valueType(kShow, "bin"), RegistryFile::Type::Other);
  EXPECT_EQ(reg.string(kShow, "bin"), std::nullopt);
  // Data of other types is written back unchanged.
  EXPECT_NE(reg.serialize().find("\"bin\"=hex:01,02,03\r\n"), std::string::npos);
}

TEST_F(RegistryFileTest, KeyExistsForParentsAndDeletionsApply) {
  const RegistryFile reg = RegistryFile::parse(
      "REGEDIT4\n[HKEY_CURRENT_USER\\software\\vistel]\n\"a\"=dword:1\n\"a\"=-\n"
      "[HKEY_CURRENT_USER\\old]\n\"x\"=\"y\"\n[-HKEY_CURRENT_USER\\old]\n");
  EXPECT_TRUE(reg.keyExists("HKEY_CURRENT_USER\\software"));
  EXPECT_FALSE(reg.keyExists("HKEY_CURRENT_USER\\soft"));
  EXPECT_FALSE(reg.valueExists(kShow, "a"));
  EXPECT_FALSE(reg.keyExists("HKEY_CURRENT_USER\\old"));
}

TEST_F(RegistryFileTest, UpdateKeepsOtherKeysAndValues) {
  writeFile(file,
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
            "\"ScreenSaveUsePassword\"=dword:00000001\r\n\"Wallpaper\"=\"x.bmp\"\r\n\r\n"
            "[HKEY_CURRENT_USER\\software\\vistel]\r\n\"speed\"=dword:00000004\r\n");
  EXPECT_TRUE(RegistryFile::update(file, [](RegistryFile& reg) {
    reg.setString(kDesk, "mima", "aAbA");
    return true;
  }));
  const RegistryFile back = RegistryFile::load(file);
  EXPECT_EQ(back.dword(kDesk, "ScreenSaveUsePassword"), 1u);
  EXPECT_EQ(back.string(kDesk, "Wallpaper"), "x.bmp");
  EXPECT_EQ(back.string(kDesk, "mima"), "aAbA");
  EXPECT_EQ(back.dword(kShow, "speed"), 4u);

  // An update that changes nothing writes nothing.
  const auto before = std::filesystem::last_write_time(file);
  std::filesystem::last_write_time(file, before - std::chrono::hours(1));
  EXPECT_FALSE(RegistryFile::update(file, [](RegistryFile&) { return false; }));
  EXPECT_EQ(std::filesystem::last_write_time(file), before - std::chrono::hours(1));
}

TEST_F(RegistryFileTest, FileIsReadableByItsOwnerOnly) {
  RegistryFile::update(file, [](RegistryFile& reg) {
    reg.setString(kDesk, "mima", "sAeAcArAeAtA");
    return true;
  });
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// Lines that cannot be read cost no other value: a garbled line next to the
// password keeps the password, the file stays where it is, and the lines are
// written back as they were.
TEST_F(RegistryFileTest, BadLinesAreKeptAndCostNoOtherValue) {
  const std::string text =
      "REGEDIT4\r\n\r\n"
      "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
      "\"ScreenSaveUsePassword\"=dword:00000001\r\n"
      "garbage \x01\xff line\r\n"
      "\"mima\"=\"$y$abc\"\r\n"
      "\"open\"=\"no closing quote\r\n"
      "\"big\"=dword:123456789\r\n"
      "\r\n[HKEY_CURRENT_USER\\software\\vistel]\r\n"
      "\"speed\"=dword:00000004\r\n";
  writeFile(file, text);
  ::testing::internal::CaptureStderr();
  const RegistryFile reg = RegistryFile::load(file);
  const std::string message = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(reg.dword(kDesk, "ScreenSaveUsePassword"), 1u);
  EXPECT_EQ(reg.string(kDesk, "mima"), "$y$abc");
  EXPECT_EQ(reg.dword(kShow, "speed"), 4u);
  EXPECT_FALSE(reg.valueExists(kDesk, "open"));
  EXPECT_FALSE(reg.valueExists(kDesk, "big"));
  ASSERT_EQ(reg.problems().size(), 3u);
  EXPECT_EQ(reg.problems()[0].rfind("line 5: ", 0), 0u) << reg.problems()[0];
  EXPECT_NE(message.find("3 lines cannot be read"), std::string::npos) << message;
  EXPECT_EQ(readFile(file), text);  // reading replaced nothing
  EXPECT_EQ(filesIn(home.dir()), std::vector<std::filesystem::path>{"registry.reg"});

  RegistryFile::update(file, [](RegistryFile& r) {
    r.setDword(kShow, "order", 2);
    r.setString(kDesk, "caption", "x");
    return true;
  });
  const std::string written = readFile(file);
  for (const char* kept :
       {"\r\ngarbage \x01\xff line\r\n", "\r\n\"open\"=\"no closing quote\r\n", "\r\n\"big\"=dword:123456789\r\n"})
    EXPECT_NE(written.find(kept), std::string::npos) << kept;
  const RegistryFile back = RegistryFile::load(file);
  EXPECT_EQ(back.string(kDesk, "mima"), "$y$abc");
  EXPECT_EQ(back.string(kDesk, "caption"), "x");
  EXPECT_EQ(back.dword(kShow, "order"), 2u);
  EXPECT_EQ(back.problems().size(), 3u);
}

// Where a bad line stands decides where it is kept, and what follows it is
// read as it was: each case is read, written and read again.
TEST_F(RegistryFileTest, KeptLinesKeepTheirPlaceAcrossWrites) {
  struct Case {
    const char* text;
    std::size_t problems;
    std::vector<std::pair<const char*, const char*>> strings;  // key, name -> "v"
  };
  const std::vector<Case> cases = {
      // No header: the lines are read all the same.
      {"[K]\n\"a\"=\"v\"\n", 1, {{"K", "a"}}},
      // A value before any key is kept, not given to the first key.
      {"REGEDIT4\n\"x\"=\"v\"\n[K]\n\"a\"=\"v\"\n", 1, {{"K", "a"}}},
      // Values under a key line that cannot be read belong to no key.
      {"REGEDIT4\n[K]\n\"a\"=\"v\"\n[Broken\n\"b\"=\"v\"\n[L]\n\"c\"=\"v\"\n", 1, {{"K", "a"}, {"L", "c"}}},
      {"REGEDIT4\n[]\n\"b\"=\"v\"\n[L]\n\"c\"=\"v\"\n", 1, {{"L", "c"}}},
      // A continued value at the end of the file must not take in what is
      // written after it.
      {"REGEDIT4\n[K]\n\"a\"=\"v\"\n[L]\n\"c\"=\"v\"\n[K]\n\"h\"=hex:01,\\\n", 1, {{"K", "a"}, {"L", "c"}}},
      // A line ending in two backslashes continues once, onto the next line
      // only, however its data ends.
      {"REGEDIT4\n[K]\n\"a\"=\"v\"\n[L]\n\"c\"=\"v\"\n[K]\n\"h\"=\\\\\n\n", 1, {{"K", "a"}, {"L", "c"}}},
      // A bad line under a deleted key stays after the deletion.
      {"REGEDIT4\n[K]\n\"a\"=\"old\"\n[-K]\nbad\n[K]\n\"a\"=\"v\"\n", 1, {{"K", "a"}}},
  };
  for (const Case& c : cases) {
    const RegistryFile first = RegistryFile::parse(c.text);
    EXPECT_EQ(first.problems().size(), c.problems) << c.text;
    const RegistryFile second = RegistryFile::parse(first.serialize());
    for (const RegistryFile* reg : {&first, &second}) {
      for (const auto& [key, name] : c.strings) EXPECT_EQ(reg->string(key, name), "v") << c.text << name;
      EXPECT_FALSE(reg->valueExists("K", "x")) << c.text;
      EXPECT_FALSE(reg->valueExists("K", "b")) << c.text;
      EXPECT_FALSE(reg->valueExists("K", "h")) << c.text;
    }
    EXPECT_EQ(second.serialize(), first.serialize()) << c.text;
  }
}

TEST_F(RegistryFileTest, ProblemsNameTheLine) {
  for (const char* text :
       {"REGEDIT4\n\"a\"=dword:1\n", "REGEDIT4\n[k]\n\"a\"=dword:123456789\n", "REGEDIT4\n[k]\n\"a\"=\"open\n",
        "REGEDIT4\n[k]\nnot a value\n", "Windows Registry Editor Version 5.00\n"}) {
    const RegistryFile reg = RegistryFile::parse(text);
    ASSERT_FALSE(reg.problems().empty()) << text;
    const std::size_t lines = std::count(text, text + std::strlen(text), '\n');
    EXPECT_EQ(reg.problems().back().rfind("line " + std::to_string(lines) + ": ", 0), 0u) << reg.problems().back();
  }
  EXPECT_TRUE(RegistryFile::parse("").problems().empty());
  EXPECT_TRUE(RegistryFile::parse("\n\n").problems().empty());
}

// A string holding NUL bytes comes back whole; the 0 byte that ends hex(1)
// data is not part of the string.
TEST_F(RegistryFileTest, StringsWithNulBytesRoundTripWhole) {
  const std::vector<std::string> texts = {std::string("a\0b", 3), std::string("\0", 1), std::string("x\0\0", 3),
                                          std::string("line\r\n\0end", 10)};
  RegistryFile reg;
  reg.setPath(file);
  for (std::size_t i = 0; i < texts.size(); ++i) reg.setString(kShow, "s" + std::to_string(i), texts[i]);
  reg.save();
  const RegistryFile back = RegistryFile::load(file);
  for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(back.string(kShow, "s" + std::to_string(i)), texts[i]) << i;
  // Windows writes a string's terminating 0 byte; one without it reads too.
  const RegistryFile windows = RegistryFile::parse("REGEDIT4\n[K]\n\"a\"=hex(1):61,62,00\n\"b\"=hex(1):61\n");
  EXPECT_EQ(windows.string("K", "a"), "ab");
  EXPECT_EQ(windows.string("K", "b"), "a");
}

TEST_F(RegistryFileTest, FileLargerThanTheLimitIsRefusedAndLeftAlone) {
  std::string text = "REGEDIT4\r\n[K]\r\n";
  while (text.size() <= kMaxRegistryFileBytes) text += "\"name\"=\"" + std::string(1000, 'x') + "\"\r\n";
  writeFile(file, text);
  try {
    RegistryFile::load(file);
    ADD_FAILURE() << "a file over the limit was read";
  } catch (const RegistryError& e) {
    EXPECT_NE(std::string(e.what()).find("larger than 16 MB"), std::string::npos) << e.what();
  }
  EXPECT_THROW(RegistryFile::update(file, [](RegistryFile&) { return true; }), RegistryError);
  EXPECT_EQ(std::filesystem::file_size(file), text.size());
}

// The lock file is never opened through a symbolic link: that would let
// anyone who can write the folder make the writer create or lock a file
// of the link's choosing.
TEST_F(RegistryFileTest, LockFileIsNotOpenedThroughASymlink) {
  const std::filesystem::path target = home.dir() / "elsewhere";
  std::filesystem::create_symlink(target, home.dir() / "registry.reg.lock");
  EXPECT_THROW(RegistryFile::update(file,
                                    [](RegistryFile& reg) {
                                      reg.setDword(kShow, "order", 1);
                                      return true;
                                    }),
               RegistryError);
  EXPECT_FALSE(std::filesystem::exists(target));
  EXPECT_FALSE(std::filesystem::exists(file));
}

// Many values in one key and many keys: lookups by name, replacement of
// earlier duplicates and deletion of key trees all still hold.
TEST_F(RegistryFileTest, ManyKeysAndValues) {
  std::string text = "REGEDIT4\n[K]\n";
  for (int i = 0; i < 3000; ++i) text += "\"v" + std::to_string(i) + "\"=dword:" + std::to_string(i % 10) + "\n";
  text += "\"V7\"=dword:ff\n\"v8\"=-\n";
  for (int i = 0; i < 300; ++i) text += "[K\\sub" + std::to_string(i) + "]\n\"a\"=\"b\"\n";
  text += "[-k\\SUB1]\n[K\\sub10\\deeper]\n";
  const RegistryFile reg = RegistryFile::parse(text);
  EXPECT_TRUE(reg.problems().empty());
  EXPECT_EQ(reg.dword("K", "v2999"), 9u);
  EXPECT_EQ(reg.dword("K", "v7"), 0xffu);
  EXPECT_FALSE(reg.valueExists("K", "v8"));
  EXPECT_FALSE(reg.keyExists("K\\sub1"));
  EXPECT_TRUE(reg.keyExists("K\\sub10"));
  EXPECT_TRUE(reg.keyExists("K\\sub12"));
  EXPECT_FALSE(reg.keyExists("K\\sub300"));
  const std::string written = reg.serialize();
  EXPECT_NE(written.find("\"v7\"=dword:000000ff\r\n\"v9\""), std::string::npos);  // in place, first spelling
  EXPECT_EQ(written.find("[K\\sub1]"), std::string::npos);
}

TEST_F(RegistryFileTest, LeftoverTemporaryFileDoesNotDisturbTheRealOne) {
  RegistryFile::update(file, [](RegistryFile& reg) {
    reg.setDword(kShow, "speed", 3);
    return true;
  });
  // As a crash between writing and renaming would leave it.
  writeFile(home.dir() / ".registry.reg.tmp-AbC123", "REGEDIT4\n[HKEY_CURRENT_USER\\software\\vistel]\n\"spe");
  EXPECT_EQ(RegistryFile::load(file).dword(kShow, "speed"), 3u);
  RegistryFile::update(file, [](RegistryFile& reg) {
    reg.setDword(kShow, "order", 1);
    return true;
  });
  const RegistryFile back = RegistryFile::load(file);
  EXPECT_EQ(back.dword(kShow, "speed"), 3u);
  EXPECT_EQ(back.dword(kShow, "order"), 1u);
}

// A write that fails half way (here: the file size limit) throws and leaves
// the old file whole, with no temporary file behind.
TEST_F(RegistryFileTest, FailedWriteLeavesTheOldFileWhole) {
  RegistryFile::update(file, [](RegistryFile& reg) {
    reg.setString(kShow, "caption", "aAbAcA");
    return true;
  });
  const std::string before = readFile(file);

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64, 64};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    try {
      RegistryFile::update(file, [](RegistryFile& reg) {
        reg.setString(kShow, "path", std::string(4096, 'x'));
        return true;
      });
    } catch (const RegistryError&) {
      ::_exit(0);  // the failure was reported
    }
    ::_exit(1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed write was not reported";
  EXPECT_EQ(readFile(file), before);
  for (const auto& name : filesIn(home.dir())) EXPECT_FALSE(name.string().starts_with(".registry.reg.tmp")) << name;
}

// Two processes writing different values at once lose none of them.
TEST_F(RegistryFileTest, ConcurrentWritersLoseNothing) {
  constexpr int kWrites = 40;
  std::vector<pid_t> children;
  for (int writer = 0; writer < 2; ++writer) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      try {
        for (int i = 0; i < kWrites; ++i)
          RegistryFile::update(file, [&](RegistryFile& reg) {
            reg.setDword(kShow, "w" + std::to_string(writer) + "_" + std::to_string(i), i);
            return true;
          });
      } catch (...) {
        ::_exit(1);
      }
      ::_exit(0);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const RegistryFile back = RegistryFile::load(file);
  for (int writer = 0; writer < 2; ++writer)
    for (int i = 0; i < kWrites; ++i)
      EXPECT_EQ(back.dword(kShow, "w" + std::to_string(writer) + "_" + std::to_string(i)), std::uint32_t(i));
}

TEST_F(RegistryFileTest, AtomicWriteKeepsTheModeOfTheFileItReplaces) {
  const std::filesystem::path list = home.dir() / "list.txt";
  writeFileAtomically(list, "a\r\n");
  ::chmod(list.c_str(), 0640);
  writeFileAtomically(list, "b\r\n");
  struct stat info {};
  ASSERT_EQ(::stat(list.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(readFile(list), "b\r\n");
  EXPECT_EQ(readWholeFile(home.dir() / "missing.txt"), std::nullopt);
}

}  // namespace
}  // namespace lumora
