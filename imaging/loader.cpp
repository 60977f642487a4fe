#include "imaging/loader.h"

#include <algorithm>
#include <array>

#include "imaging/readers/readers.h"
#include "platform/core/regular_file.h"

namespace lumora {

namespace {

constexpr std::array kFileTypes = {
    // The framework's own types.
    FileType{"bmp", "Bitmaps", readBmp},
    FileType{"ico", "Icons", readIcon},
    FileType{"wmf", "Metafiles", readMetafile},
    FileType{"emf", "Enhanced Metafiles", readMetafile},
    FileType{"jpg", "JPEG Image File", readJpeg},
    FileType{"jpeg", "JPEG Image File", readJpeg},
    // The system's own, in the order they are registered.
    FileType{"win", "Truevision images", readTarga},
    FileType{"vst", "Truevision images", readTarga},
    FileType{"vda", "Truevision images", readTarga},
    FileType{"tiff", "TIFF images", readTiff},
    FileType{"tif", "TIFF images", readTiff},
    FileType{"tga", "Truevision images", readTarga},
    FileType{"sgi", "SGI true color images", readSgi},
    FileType{"scr", "Word 5.x screen capture images", readPcx},
    FileType{"rpf", "SGI Wavefront images", readRla},
    FileType{"rle", "Windows bitmap", readBmp},
    FileType{"rla", "SGI Wavefront images", readRla},
    FileType{"rgba", "SGI true color images", readSgi},
    FileType{"rgb", "SGI true color images", readSgi},
    FileType{"psd", "Photoshop images", readPhotoshop},
    FileType{"ppm", "Portable pixel map images", readPortableMap},
    FileType{"pgm", "Portable grayscale images", readPortableMap},
    FileType{"pbm", "Portable b&w images", readPortableMap},
    FileType{"pic", "Autodesk images", readAutodesk},
    FileType{"pcx", "ZSoft PCX images", readPcx},
    FileType{"pdd", "Photoshop images", readPhotoshop},
    FileType{"pcd", "Kodak Photo-CD images", readPhotoCd},
    FileType{"pcc", "ZSoft PCC images", readPcx},
    FileType{"icb", "Truevision images", readTarga},
    FileType{"gif", "CompuServe images", readGif},
    FileType{"dib", "Windows bitmap", readBmp},
    FileType{"cut", "Dr. Halo images", readDrHalo},
    FileType{"cel", "Autodesk images", readAutodesk},
    FileType{"bw", "SGI black/white images", readSgi},
    // Today's formats, through the libraries made for them.
    FileType{"png", "PNG images", readPng},
    FileType{"webp", "WebP images", readWebp},
    FileType{"heic", "HEIF images", readHeif},
    FileType{"heif", "HEIF images", readHeif},
    FileType{"avif", "AVIF images", readAvif},
};

std::string lowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return s;
}

std::string extensionOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const auto dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return path.substr(dot + 1);
}

// The picture file's bytes: a regular file only, at most kMaxFileBytes.
std::vector<std::uint8_t> readFile(const std::string& path) {
  try {
    return readRegularFile(path, Picture::kMaxFileBytes);
  } catch (const RegularFileError& e) {
    if (e.kind() == RegularFileError::Kind::TooLarge) throw PictureError("Picture too large.");
    throw PictureError(e.what());
  }
}

}  // namespace

std::span<const FileType> fileTypes() { return kFileTypes; }

namespace {

// The table's entry for an extension (any case); throws for one it lacks.
const FileType& fileTypeFor(const std::string& extension) {
  const std::string ext = lowerAscii(extension);
  const auto it =
      std::find_if(kFileTypes.begin(), kFileTypes.end(), [&](const FileType& t) { return ext == t.extension; });
  if (it == kFileTypes.end()) throw PictureError("Unknown picture file extension (." + extension + ")");
  return *it;
}

Picture decodeWith(const FileType& type, std::span<const std::uint8_t> data, const std::string& path,
                   const LoadOptions& options) {
  const ReaderInput input{data, path, options.fitWidth, options.fitHeight};
  if (type.reader == readJpeg && options.fitWidth > 0 && options.fitHeight > 0)
    return readJpegToFit(input, options.fitWidth, options.fitHeight);
  return type.reader(input);
}

}  // namespace

Picture decodePicture(std::span<const std::uint8_t> data, const std::string& extension, const std::string& path,
                      const LoadOptions& options) {
  return decodeWith(fileTypeFor(extension), data, path, options);
}

Picture loadPicture(const std::string& path, const LoadOptions& options) {
  // The extension is checked before the file is touched.
  const FileType& type = fileTypeFor(extensionOf(path));
  const std::vector<std::uint8_t> bytes = readFile(path);
  return decodeWith(type, bytes, path, options);
}

}  // namespace lumora
