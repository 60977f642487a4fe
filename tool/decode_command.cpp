// lumora-tool decode: loads one picture through the picture loader.
#include <iostream>

#include "graphics/ppm.h"
#include "imaging/loader.h"
#include "tool/tool.h"

namespace lumora::tool {

int runDecode(const Args& args) {
  if (args.positional().size() != 1) throw UsageError{"decode needs one picture file"};
  Picture picture;
  try {
    picture = loadPicture(args.positional()[0]);
  } catch (const PictureError& e) {
    std::cerr << e.what() << '\n';
    return 1;
  }
  std::cout << picture.width() << ' ' << picture.height() << ' ' << picture.bits() << '\n';
  if (args.has("out")) writePpm(picture.bitmap(), args.get("out"));
  return 0;
}

}  // namespace lumora::tool
