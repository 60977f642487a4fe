// libFuzzer target: adding the frame-report actions to arbitrary bytes. The
// result must always be a movie our reader reads whole, with one report per
// frame it counts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "players/swf_frame_reports.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const lumora::SwfWithReports r = lumora::addFrameReports(data, size);
    const lumora::SwfMovie m = lumora::readSwf(r.movie.data(), r.movie.size());
    if (m.truncated || m.fileLength != r.movie.size()) std::abort();
    if (r.reportsFrames && r.reports != std::min(m.showFrames, lumora::kMaxFrameReports)) std::abort();
  } catch (const lumora::SwfError&) {
  }
  return 0;
}
