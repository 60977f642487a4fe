#include "start/command_line.h"

#include <cerrno>
#include <cstdlib>

namespace lumora {

std::optional<std::uint32_t> parseWindowId(const std::string& text) {
  int base = 10;
  std::size_t start = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    start = 2;
  }
  if (start >= text.size()) return std::nullopt;
  std::uint64_t value = 0;
  for (std::size_t i = start; i < text.size(); ++i) {
    const char c = text[i];
    int digit = -1;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    if (digit < 0) return std::nullopt;
    value = value * std::uint64_t(base) + std::uint64_t(digit);
    if (value > 0xFFFFFFFFu) return std::nullopt;
  }
  if (value == 0) return std::nullopt;
  return std::uint32_t(value);
}

CommandLine parseCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  if (argc < 2) return line;
  const std::string first = argv[1];
  auto usage = [&](std::string why) {
    line.launch = Launch::Usage;
    line.error = std::move(why);
    return line;
  };
  if (first == "--help" || first == "-h") {
    line.launch = Launch::Help;
  } else if (first == "--version") {
    line.launch = Launch::Version;
  } else if (first == "--idle") {
    line.launch = Launch::Idle;
  } else if (first == "--locked-show") {
    // Run by lumora-lock, not by people: not in the help.
    if (argc >= 4 && std::string(argv[2]) == "--window-id") line.windowId = parseWindowId(argv[3]);
    line.launch = Launch::Locked;
  } else if (first == "-root" || first == "--root") {
    line.launch = Launch::Module;
  } else if (first == "-window-id" || first == "--window-id") {
    if (argc < 3) return usage("-window-id needs a window id");
    line.windowId = parseWindowId(argv[2]);
    if (!line.windowId) return usage(std::string("not a window id: ") + argv[2]);
    line.launch = Launch::Module;
  } else {
    line.mode = modeOf(argc, argv);
  }
  return line;
}

std::string versionText() { return "lumora 3.70\n"; }

std::string helpText() {
  return "Usage: lumora MODE\n"
         "A picture-show screensaver.\n"
         "\n"
         "  /S              run the show full screen; a key or a mouse button ends it\n"
         "  /C              open the settings window\n"
         "  /A              set the screensaver password\n"
         "  -window-id ID   play the show inside the X window ID (decimal or 0x-hex)\n"
         "  -root           play the show in $XSCREENSAVER_WINDOW, else the root window\n"
         "                  (as a module of XScreenSaver; SIGTERM ends it)\n"
         "  --idle          stay in the background and run the show after the idle\n"
         "                  minutes set in the settings window\n"
         "  --help          show this help\n"
         "  --version       show the version\n"
         "\n"
         "Only the first two characters of MODE count, in either case (\"/s\", \"/c:123\").\n"
         "Settings live in $LUMORA_HOME, else ~/.config/lumora and ~/.local/share.\n";
}

}  // namespace lumora
