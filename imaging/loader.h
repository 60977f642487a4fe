// The picture loader: picks a reader by the file's extension (compared
// without regard to case) from the table of file types, and reads the file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "imaging/picture.h"
#include "imaging/reader.h"

namespace lumora {

struct FileType {
  const char* extension;    // without the dot, lower case
  const char* description;  // "Truevision images"
  PictureReader reader;
};

// The whole table: the framework's own types, then the system's additions in
// the order they are registered.
std::span<const FileType> fileTypes();

struct LoadOptions {
  // When both are > 0, the picture is to be shown at this size. A JPEG at
  // least twice this size in both directions is decoded at libjpeg's largest
  // reduced scale that keeps it at least this size; a PNG or a WebP is
  // reduced while it is read by the factor of reductionFactor
  // (imaging/row_reducer.h), and a lossless WebP too large for it to
  // reduce is refused with "Picture too large.". Other readers ignore it.
  int fitWidth = 0;
  int fitHeight = 0;
};

// Loads a picture file. Throws PictureError: "Unknown picture file extension
// (.ext)", a reader's own message, or the file's read error.
Picture loadPicture(const std::string& path, const LoadOptions& options = {});

// Reads the bytes of a picture already in memory with the reader for
// `extension` (no dot); the same errors as loadPicture.
Picture decodePicture(std::span<const std::uint8_t> data, const std::string& extension, const std::string& path = {},
                      const LoadOptions& options = {});

}  // namespace lumora
