#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
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
  reg.setDword(kShow, "tpbh", 0);
  reg.setDword(kShow, "pp", 0xFFFFFFFFu);
  reg.setString(kShow, "spic", "C:\\pics\\\"a\".jpg");
  reg.setString(kShow, "label", "\xD6\x41\xD0\x41");  // stored form of a Chinese character
  reg.setString(kShow, "multi", "one\r\ntwo");
  reg.setString(kShow, "", "default");
  reg.save();

  const RegistryFile back = RegistryFile::load(file);
  EXPECT_EQ(back.dword(kShow, "tpbh"), 0u);
  EXPECT_EQ(back.dword(kShow, "pp"), 0xFFFFFFFFu);
  EXPECT_EQ(back.string(kShow, "spic"), "C:\\pics\\\"a\".jpg");
  EXPECT_EQ(back.string(kShow, "label"), "\xD6\x41\xD0\x41");
  EXPECT_EQ(back.string(kShow, "multi"), "one\r\ntwo");
  EXPECT_EQ(back.string(kShow, ""), "default");

  const std::string text = readFile(file);
  EXPECT_TRUE(text.starts_with("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\software\\vistel]\r\n")) << text;
  EXPECT_NE(text.find("\"tpbh\"=dword:00000000\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"pp\"=dword:ffffffff\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"spic\"=\"C:\\\\pics\\\\\\\"a\\\".jpg\"\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("@=\"default\""), std::string::npos);
}

TEST_F(RegistryFileTest, KeysAndNamesIgnoreAsciiCaseOnly) {
  RegistryFile reg = RegistryFile::parse(
      "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Vistel]\n\"Label\"=\"aAbA\"\n"
      "\"\x81\x41\"=dword:00000001\n");
  EXPECT_TRUE(reg.keyExists("hkey_current_user\\SOFTWARE\\vistel"));
  EXPECT_EQ(reg.string(kShow, "label"), "aAbA");
  EXPECT_EQ(reg.string(kShow, "LABEL"), "aAbA");
  // 0x81 0x41 is one double-byte character: its trail byte is not a letter.
  EXPECT_EQ(reg.dword(kShow, "\x81\x41"), 1u);
  EXPECT_FALSE(reg.valueExists(kShow, "\x81\x61"));

  reg.setString(kShow, "LABEL", "xAyA");  // replaces, keeps the spelling
  EXPECT_EQ(reg.serialize().find("\"LABEL\""), std::string::npos);
  EXPECT_EQ(reg.string(kShow, "label"), "xAyA");
}

TEST_F(RegistryFileTest, ValueOfAnotherTypeReadsAsMissing) {
  const RegistryFile reg = RegistryFile::parse(
      "REGEDIT4\r\n[HKEY_CURRENT_USER\\software\\vistel]\r\n\"tpbh\"=\"1\"\r\n\"label\"=dword:00000003\r\n"
      "\"bin\"=hex:01,02,\\\r\n  03\r\n");
  EXPECT_TRUE(reg.valueExists(kShow, "tpbh"));
  EXPECT_EQ(reg.dword(kShow, "tpbh"), std::nullopt);
  EXPECT_EQ(reg.string(kShow, "label"), std::nullopt);
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

TEST_F(RegistryFileTest, UnparsableFileIsKeptAsideAndReported) {
  const std::string garbage = "this is not a registry file\n\"tpbh\"=dword:1\n";
  writeFile(file, garbage);
  ::testing::internal::CaptureStderr();
  const RegistryFile reg = RegistryFile::load(file);
  const std::string message = ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(reg.keyExists(kShow));
  EXPECT_NE(message.find("kept aside"), std::string::npos) << message;

  EXPECT_FALSE(std::filesystem::exists(file));
  std::filesystem::path aside;
  for (const auto& name : filesIn(home.dir()))
    if (name.string().starts_with("registry.reg.bad-")) aside = home.dir() / name;
  ASSERT_FALSE(aside.empty());
  EXPECT_EQ(readFile(aside), garbage);

  // A later write starts afresh and leaves the kept file alone.
  RegistryFile::update(file, [](RegistryFile& r) {
    r.setDword(kShow, "tpbh", 1);
    return true;
  });
  EXPECT_EQ(readFile(aside), garbage);
  EXPECT_EQ(RegistryFile::load(file).dword(kShow, "tpbh"), 1u);
}

TEST_F(RegistryFileTest, ParseErrorsNameTheLine) {
  for (const char* text : {"REGEDIT4\n\"a\"=dword:1\n", "REGEDIT4\n[k]\n\"a\"=dword:123456789\n",
                           "REGEDIT4\n[k]\n\"a\"=\"open\n", "REGEDIT4\n[k]\nnot a value\n",
                           "Windows Registry Editor Version 5.00\n"}) {
    EXPECT_THROW(RegistryFile::parse(text), RegistryError) << text;
  }
  EXPECT_NO_THROW(RegistryFile::parse(""));
  EXPECT_NO_THROW(RegistryFile::parse("\n\n"));
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
    reg.setDword(kShow, "tpbh", 1);
    return true;
  });
  const RegistryFile back = RegistryFile::load(file);
  EXPECT_EQ(back.dword(kShow, "speed"), 3u);
  EXPECT_EQ(back.dword(kShow, "tpbh"), 1u);
}

// A write that fails half way (here: the file size limit) throws and leaves
// the old file whole, with no temporary file behind.
TEST_F(RegistryFileTest, FailedWriteLeavesTheOldFileWhole) {
  RegistryFile::update(file, [](RegistryFile& reg) {
    reg.setString(kShow, "label", "aAbAcA");
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
        reg.setString(kShow, "spic", std::string(4096, 'x'));
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
  for (const auto& name : filesIn(home.dir()))
    EXPECT_FALSE(name.string().starts_with(".registry.reg.tmp")) << name;
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
