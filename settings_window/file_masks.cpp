#include "settings_window/file_masks.h"

namespace lumora {

const char* const kPictureMask =
    "*.jpg;*.jpeg;*.bmp;*.bw;*.cel;*.cut;*.dib;*.gif;*.icb;*.pcc;*.pcd;*.pdd;*.pcx;*.pic;*.pbm;*.pgm;*.ppm;"
    "*.psd;*.rgb;*.rgba;*.rla;*.rle;*.rpf;*.tga;*.tif;*.tiff;*.wmf;*.emf;*.png;*.webp;*.heic;*.heif;*.avif";
const char* const kMediaMask = "*.mp3;*.swf;*.rm";

namespace {

constexpr FilterRow kPictureFilters[] = {
    {"所有图片文件(*.jpg;*.jpeg;*.bmp;*.bw;*.cel;*.cut;*.dib;*.gif;*.icb;*.pcc;*.pcd;*.pdd;*.pcx;*.pic;*.pbm;"
     "*.pgm;*.ppm;*.psd;*.rgb;*.rgba;*.rla;*.rle;*.rpf;*.tga;*.tif;*.tiff;*.wmf;*.emf;*.png;*.webp;*.heic;*.heif;*."
     "avif)",
     "*.jpg;*.jpeg;*.bmp;*.bw;*.cel;*.cut;*.dib;*.gif;*.icb;*.pcc;*.pcd;*.pdd;*.pcx;*.pic;*.pbm;*.pgm;*.ppm;"
     "*.psd;*.rgb;*.rgba;*.rla;*.rle;*.rpf;*.tga;*.tif;*.tiff;*.wmf;*.emf;*.png;*.webp;*.heic;*.heif;*.avif"},
    {"JPG图片(*.jpg;*.jpeg)", "*.jpg;*.jpeg"},
    {"位图文件(*.bmp)", "*.bmp"},
    {"PhotoShop格式(*.psd)", "*.psd"},
    {" 剪贴画(*.wmf;*.emf)", "*.wmf;*.emf"},
    {"GIF格式(*.gif)", "*.gif"},
    {"PIC 格式(*.pic)", "*.pic"},
    {"TIFF图像(*.tif;*.tiff)", "*.tif;*.tiff"},
    {"PNG图片(*.png)", "*.png"},
    {"WebP图片(*.webp)", "*.webp"},
    {"HEIF/AVIF图片(*.heic;*.heif;*.avif)", "*.heic;*.heif;*.avif"},
    {"所有文件(*.*)", "*.*"},
};

constexpr FilterRow kMediaFilters[] = {
    {"所有多媒体文件(*.mp3;*.swf;*.rm)", "*.mp3;*.swf;*.rm"},
    {"MP3文件(*.mp3)", "*.mp3"},
    {"Flash文件(*.swf)", "*.swf"},
    {"RM文件(*.rm)", "*.rm"},
    {"所有文件(*.*)", "*.*"},
};

char fold(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// Wildcard match: * any run of characters, ? any one byte.
bool matchPattern(std::string_view name, std::string_view pattern) {
  std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || fold(pattern[p]) == fold(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

std::span<const FilterRow> pictureFilters() { return kPictureFilters; }
std::span<const FilterRow> mediaFilters() { return kMediaFilters; }

bool matchesMask(std::string_view name, std::string_view mask) {
  while (!mask.empty()) {
    const std::size_t semi = mask.find(';');
    const std::string_view pattern = mask.substr(0, semi);
    if (pattern == "*.*" || (!pattern.empty() && matchPattern(name, pattern))) return true;
    if (semi == std::string_view::npos) break;
    mask.remove_prefix(semi + 1);
  }
  return false;
}

}  // namespace lumora
