#include <gtest/gtest.h>

#include <vector>

#include "start/command_line.h"

namespace lumora {
namespace {

CommandLine parse(std::vector<const char*> args) {
  args.insert(args.begin(), "lumora");
  return parseCommandLine(int(args.size()), args.data());
}

TEST(CommandLine, WindowIds) {
  EXPECT_EQ(parseWindowId("4194305"), 4194305u);
  EXPECT_EQ(parseWindowId("0x400001"), 0x400001u);
  EXPECT_EQ(parseWindowId("0XFFFFFFFF"), 0xFFFFFFFFu);
  for (const char* bad :
       {"", "0", "0x", "0x0", "-5", "12a", "0x1g", " 12", "4294967296", "0x100000000", "99999999999999999999999"})
    EXPECT_FALSE(parseWindowId(bad)) << bad;
}

TEST(CommandLine, LinuxOptionsBesideTheModes) {
  EXPECT_EQ(parse({"--help"}).launch, Launch::Help);
  EXPECT_EQ(parse({"--version"}).launch, Launch::Version);
  EXPECT_EQ(parse({"--idle"}).launch, Launch::Idle);
  EXPECT_EQ(parse({"--root"}).launch, Launch::Module);  // XScreenSaver 6 passes this spelling
  const CommandLine root = parse({"-root"});
  EXPECT_EQ(root.launch, Launch::Module);
  EXPECT_FALSE(root.windowId);
  const CommandLine window = parse({"-window-id", "0x2a"});
  EXPECT_EQ(window.launch, Launch::Module);
  EXPECT_EQ(window.windowId, 42u);
  EXPECT_EQ(parse({"-window-id"}).launch, Launch::Usage);
  EXPECT_EQ(parse({"-window-id", "root"}).launch, Launch::Usage);
  // The modes keep their first-two-characters rule; the preview request and
  // near misses of the options run nothing.
  EXPECT_EQ(parse({"/s:123"}).mode, Mode::Show);
  EXPECT_EQ(parse({"/c:77"}).mode, Mode::Settings);
  for (auto args : std::vector<std::vector<const char*>>{{"/P", "1234"}, {"-rooted"}, {"--idler"}, {"-w"}, {}}) {
    const CommandLine line = parse(args);
    EXPECT_EQ(line.launch, Launch::Mode);
    EXPECT_EQ(line.mode, Mode::None);
  }
  EXPECT_EQ(versionText(), "lumora 3.70\n");
  for (const char* mode : {"/S", "/C", "/A", "-window-id", "-root", "--idle"})
    EXPECT_NE(helpText().find(mode), std::string::npos) << mode;
}

}  // namespace
}  // namespace lumora
