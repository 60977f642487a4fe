// lumora-tool effect: runs one transition headless, with an optional trace.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <chrono>
#include <memory>
#include <optional>
#include <thread>

#include "effects/effect.h"
#include "graphics/png.h"
#include "graphics/ppm.h"
#include "saver/core/test_patterns.h"
#include "saver/core/transition_pace.h"
#include "tool/recording_host.h"
#include "tool/tool.h"

namespace lumora::tool {

namespace {

Bitmap startBitmap(const Args& args, const char* option, int w, int h, bool old) {
  if (!args.has(option)) return old ? oldTestPattern(w, h) : newTestPattern(w, h);
  Bitmap file = readPpm(args.get(option));
  // The given picture is placed at the top-left corner of a black screen.
  Bitmap b(w, h, kBlack);
  drawBitmap(file, b, 0, 0);
  return b;
}

}  // namespace

int runEffect(const Args& args) {
  if (args.positional().size() != 1) throw UsageError{"effect needs one effect number"};
  int n = 0;
  try {
    std::size_t used = 0;
    n = std::stoi(args.positional()[0], &used);
    if (used != args.positional()[0].size()) throw UsageError{"bad effect number"};
  } catch (const std::exception&) {
    throw UsageError{"the effect number must be a whole number"};
  }
  if (n < 0 || n >= kEffectCount) throw UsageError{"the effect number must be 0 to 121"};
  int w = 1024, h = 768;
  args.getSize("size", w, h);
  const int speed = args.getInt("speed", 1);
  const int seed = args.getInt("seed", 0);

  Bitmap stage = startBitmap(args, "old", w, h, true);
  Bitmap frame = startBitmap(args, "new", w, h, false);
  Bitmap work(w, h, kWhite), spare(w, h, kWhite);
  Random random(static_cast<std::uint32_t>(seed));

  std::unique_ptr<std::ofstream> traceFile;
  std::unique_ptr<EffectTrace> trace;
  if (args.has("trace")) {
    std::ostream* out = &std::cout;
    if (args.get("trace") != "-") {
      traceFile = std::make_unique<std::ofstream>(args.get("trace"));
      if (!*traceFile) throw std::runtime_error("cannot write " + args.get("trace"));
      out = traceFile.get();
    }
    trace = std::make_unique<EffectTrace>(*out);
  }
  // --frames: the Stage as PNG every K pumps (frame-00000.png is the start).
  RecordingHost host;
  std::string frames;
  if (args.has("frames")) {
    frames = args.get("frames");
    const int every = args.getInt("every", 1);
    if (every <= 0) throw UsageError{"--every needs a number above 0"};
    std::filesystem::create_directories(frames);
    auto name = [&](int k) {
      char buf[32];
      std::snprintf(buf, sizeof buf, "/frame-%05d.png", k);
      return frames + buf;
    };
    writePng(stage, name(0));
    host.onPump = [&, every, name](int k) {
      if (k % every == 0) writePng(stage, name(k));
    };
  }
  // --pace MS: the show's timing at 60 Hz, waiting where the show would;
  // the operations stay the same. The time taken goes to standard error.
  std::optional<TransitionPace> pace;
  const auto start = std::chrono::steady_clock::now();
  if (args.has("pace")) {
    const int ms = args.getInt("pace", 0);
    if (ms < 0) throw UsageError{"--pace needs a number of milliseconds, 0 or more"};
    pace.emplace(countEffect(n, {frame, work, spare, stage}, w, h, speed, random), ms, 60.0);
    auto waitFor = [&](TransitionPace::Duration (TransitionPace::*point)(TransitionPace::Duration)) {
      const auto wait = ((*pace).*point)(std::chrono::steady_clock::now() - start);
      if (wait > TransitionPace::Duration::zero()) std::this_thread::sleep_for(wait);
    };
    host.onPump = [waitFor, framesAt = host.onPump](int k) {
      waitFor(&TransitionPace::atPump);
      if (framesAt) framesAt(k);
    };
    // Only a step that covers part of the Stage is a pacing point.
    host.onStageOp = [waitFor, &host, &stage](int) {
      if (coversPartOf(host.lastArea, stage.width(), stage.height())) waitFor(&TransitionPace::atStageOp);
    };
  }
  EffectContext ctx({frame, work, spare, stage}, w, h, speed, random, &host, trace.get());
  lumora::runEffect(n, ctx);
  if (pace)
    std::cerr << "paced: "
              << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count()
              << " ms\n";
  std::cout.flush();
  if (!frames.empty()) writePng(stage, frames + "/final.png");
  if (args.has("out")) writePpm(stage, args.get("out"));
  return 0;
}

}  // namespace lumora::tool
