// A check of a HEIF/AVIF file's item structure before libheif decodes it:
// the library this system is built with stops the whole program (a failed
// assertion) on a derived picture whose source is not a picture, so such a
// file is refused here first. Plain, bounded reading of the ISO base media
// boxes: 'meta' with its 'iinf' item list and 'iref' references.
#pragma once

#include <cstdint>
#include <span>

namespace lumora {

// False when a derived picture ('dimg' reference, as grid, identity and
// overlay pictures have) names a source that is not a coded or derived
// picture of the file. Files whose boxes cannot be read are left to the
// library (true).
bool heifDerivationsSound(std::span<const std::uint8_t> file);

}  // namespace lumora
