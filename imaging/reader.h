// What a picture reader is: a function from the file's bytes (and its path)
// to a Picture. The loader (loader.h) picks one by the file's extension; the
// readers themselves (readers/) know nothing of the loader.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "imaging/picture.h"

namespace lumora {

// What a reader gets: the file's bytes and its path (the Dr. Halo reader
// looks for the palette file beside it; the path may be empty), and the
// size the picture is to be shown at (LoadOptions), 0 when none.
struct ReaderInput {
  std::span<const std::uint8_t> data;
  std::string path;
  int fitWidth = 0;
  int fitHeight = 0;
};

using PictureReader = Picture (*)(const ReaderInput& input);

// Installs the reader that paints Windows and enhanced metafiles (the
// metafile renderer library does so when it is linked in); until then the
// "wmf" and "emf" entries fail with "Metafiles cannot be shown in this
// build."
void setMetafileRenderer(PictureReader renderer);

}  // namespace lumora
