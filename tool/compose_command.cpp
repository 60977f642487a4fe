// lumora-tool compose: the slide step's fitting and composition of one
// picture for a given screen.
#include <iostream>

#include "graphics/ppm.h"
#include "imaging/loader.h"
#include "saver/core/compose.h"
#include "tool/tool.h"

namespace lumora::tool {

int runCompose(const Args& args) {
  if (args.positional().size() != 1) throw UsageError{"compose needs one picture file"};
  int w = 1024, h = 768;
  args.getSize("screen", w, h);
  // The options take the codes the settings store.
  const FittingThreshold threshold = fittingThresholdFromCode(args.getInt("tptc", 0));
  const Tiling tiling = tilingFromCode(args.getInt("pp", -1));
  Picture picture;
  try {
    LoadOptions options;
    options.fitWidth = w;
    options.fitHeight = h;
    picture = loadPicture(args.positional()[0], options);
  } catch (const PictureError& e) {
    std::cerr << e.what() << '\n';
    return 1;
  }
  if (picture.empty()) {
    std::cerr << "The picture has no pixels.\n";
    return 1;
  }
  const Layout layout = layoutPicture(picture.width(), picture.height(), w, h, threshold, tiling);
  std::cout << layout.left << ' ' << layout.top << ' ' << layout.width << ' ' << layout.height << ' '
            << (layout.tiled ? "tile" : "fit") << '\n';
  if (args.has("out")) {
    Bitmap frame(w, h, kBlack);
    composeFrame(picture.bitmap(), layout, frame);
    writePpm(frame, args.get("out"));
  }
  return 0;
}

}  // namespace lumora::tool
