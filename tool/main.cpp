#include <cstdio>
#include <exception>
#include <iostream>
#include <string>

#include "tool/tool.h"

namespace {

constexpr const char* kUsage =
    "usage: lumora-tool effect N [--size WxH] [--speed S] [--seed SEED] [--old OLD.ppm] [--new NEW.ppm] "
    "[--trace FILE|-] [--out OUT.ppm] [--frames DIR [--every K]] [--pace MS]\n"
    "       lumora-tool decode IN [--out OUT.ppm]\n"
    "       lumora-tool compose PICTURE [--screen WxH] [--tptc N] [--pp N] [--out FRAME.ppm]\n"
    "       lumora-tool gallery OUT.png [--size WxH]\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace lumora::tool;
  try {
    if (argc < 2) throw UsageError{"no command given"};
    const std::string command = argv[1];
    if (command == "effect")
      return runEffect(Args::parse(argc, argv, 2,
                                   {"size", "speed", "seed", "old", "new", "trace", "out", "frames", "every", "pace"}));
    if (command == "decode") return runDecode(Args::parse(argc, argv, 2, {"out"}));
    if (command == "compose") return runCompose(Args::parse(argc, argv, 2, {"screen", "tptc", "pp", "out"}));
    if (command == "gallery") return runGallery(Args::parse(argc, argv, 2, {"size"}));
    if (command == "--help" || command == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    throw UsageError{"unknown command \"" + command + "\""};
  } catch (const UsageError& e) {
    std::cerr << "lumora-tool: " << e.what << '\n' << kUsage;
    return 2;
  } catch (const std::exception& e) {
    std::cerr << e.what() << '\n';
    return 1;
  }
}
