// Metafiles painted with Qt: the reader behind the "wmf" and "emf" entries of
// the picture loader. Linking this library installs it into the loader.
#pragma once

#include "imaging/loader.h"
#include "imaging/metafile/metafile.h"

namespace lumora {

// Reads a Windows or enhanced metafile into a 32-bit picture on white,
// anti-aliased. Needs no display: without a Qt application it starts one on
// the offscreen platform. Throws PictureError.
Picture renderMetafile(const ReaderInput& input);
Picture renderMetafile(std::span<const std::uint8_t> data, const metafile::PlayLimits& limits);

}  // namespace lumora
