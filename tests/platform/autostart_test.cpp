#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "platform/core/autostart.h"

namespace lumora {
namespace {

TEST(IdleAutostart, ExecQuotesProgramsThatNeedItAndTryExecNamesThem) {
  // A blank or a dollar quotes the program in Exec; the key's value doubles
  // the backslash of each escape. TryExec holds the path alone, with only
  // a string value's escapes.
  struct Case {
    const char* program;
    const char* exec;
    const char* tryExec;
  };
  const Case cases[] = {
      {"/usr/bin/lumora", "/usr/bin/lumora --idle", "/usr/bin/lumora"},
      {"lumora", "lumora --idle", "lumora"},
      {"/opt/my apps/lu$mora", "\"/opt/my apps/lu\\\\$mora\" --idle", "/opt/my apps/lu$mora"},
      {"/opt/back\\slash/lumora", "\"/opt/back\\\\\\\\slash/lumora\" --idle", "/opt/back\\\\slash/lumora"},
  };
  for (const Case& c : cases) {
    const std::string entry = idleAutostartEntry(c.program);
    EXPECT_NE(entry.find(std::string("\nExec=") + c.exec + "\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find(std::string("\nTryExec=") + c.tryExec + "\n"), std::string::npos) << entry;
  }
}

TEST(IdleAutostart, WrittenWithItsFolderAndRemovedTwice) {
  const auto dir = std::filesystem::temp_directory_path() / ("lumora-autostart-" + std::to_string(::getpid()));
  const auto path = dir / "autostart" / "lumora-idle.desktop";
  writeIdleAutostart(path, "lumora");
  std::ifstream in(path);
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first, "[Desktop Entry]");
  removeIdleAutostart(path);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_NO_THROW(removeIdleAutostart(path));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace lumora
