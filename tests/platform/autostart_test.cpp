#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "platform/core/autostart.h"

namespace lumora {
namespace {

TEST(IdleAutostart, ExecQuotesProgramsThatNeedIt) {
  EXPECT_NE(idleAutostartEntry("/usr/bin/lumora").find("\nExec=/usr/bin/lumora --idle\n"), std::string::npos);
  // A blank or a dollar quotes the program; the key's value doubles the
  // backslash of each escape.
  EXPECT_NE(idleAutostartEntry("/opt/my apps/lu$mora").find("\nExec=\"/opt/my apps/lu\\\\$mora\" --idle\n"),
            std::string::npos);
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
