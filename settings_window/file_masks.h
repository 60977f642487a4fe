// The masks of the two file lists and the rows of their filter selectors,
// and matching a file name against a mask ("*.jpg;*.jpeg": patterns with *
// and ?, separated by ";", compared without regard to ASCII case, as on the
// desktop the masks were written for; "*.*" takes every file).
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace lumora {

struct FilterRow {
  const char* description;  // what the selector shows
  const char* mask;         // what the file list then uses
};

// The picture tab's file list mask: every picture file type, 33 patterns.
extern const char* const kPictureMask;
// The media tab's file list mask.
extern const char* const kMediaMask;

// The rows of the picture tab's and the media tab's file filters.
std::span<const FilterRow> pictureFilters();
std::span<const FilterRow> mediaFilters();

// True when the name matches one of the mask's patterns.
bool matchesMask(std::string_view name, std::string_view mask);

}  // namespace lumora
