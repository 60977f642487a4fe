// Frame reports for Flash movies: Ruffle cannot tell which frame of the main
// timeline is showing, so before a movie is handed to it we add to every
// frame of the main timeline a tiny action that announces the frame's number
// through an FSCommand. Works on the three header forms; the result is always
// an uncompressed movie. Movies written in ActionScript 3 run no such actions:
// they are passed on unchanged (uncompressed) and their frames are counted
// from the clock by the caller. Plain C++ on any bytes: a movie or SwfError,
// never a read outside the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "players/swf_file.h"

namespace lumora {

// The FSCommand our actions send; its argument is the frame number, from 0.
inline constexpr const char* kFrameReportCommand = "lumora_frame";
// Frames beyond this many get no report (a hostile movie of nothing but
// empty frames must not grow without bound).
inline constexpr int kMaxFrameReports = 65536;

struct SwfWithReports {
  std::vector<std::uint8_t> movie;  // an FWS movie with a correct file length
  bool reportsFrames = false;       // false for ActionScript 3
  bool actionScript3 = false;
  int reports = 0;  // actions added
  // 0xRRGGBB of a SetBackgroundColor in the first frame: the player is to
  // start in it rather than in its own white before the frame runs.
  std::optional<std::uint32_t> background;
};

SwfWithReports addFrameReports(const std::uint8_t* data, std::size_t size);

// The DoAction tag, header included, that reports `frame`.
std::vector<std::uint8_t> frameReportTag(int frame);

}  // namespace lumora
