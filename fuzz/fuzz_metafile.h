// What the two metafile fuzz targets share: play the records into a small
// picture (the size limit keeps each run short), errors allowed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "imaging/metafile/formats.h"
#include "metafile_render/render.h"

namespace lumora::fuzz {

inline void renderSmall(std::span<const std::uint8_t> data) {
  metafile::PlayLimits limits;
  limits.maxSide = 256;
  limits.maxRecords = 20000;
  limits.workPerPixel = 64;
  try {
    renderMetafile(data, limits);
  } catch (const PictureError&) {
  }
}

}  // namespace lumora::fuzz
