// Counts the frames the stage window presents during each transition, paced
// to a minimum time as in the show, on the screen it runs on (start it on
// Xvfb at 1920x1080 through scripts/transition_frames.sh). Prints one table
// row per effect: pumps, Stage operations, duration, frames presented and
// the frames the minimum asks for (minimum x refresh rate). A transition with
// fewer visible Stage operations (those that cover part of the Stage) than
// that has only as many distinct pictures to show, so it is held to that
// count instead. Exits with status 1
// when any transition presents fewer than 0.8 of what it is held to.
//
//   transition_frames [--min MS] [--speed S] [--effects A-B]
#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "graphics/random.h"
#include "saver/core/test_patterns.h"
#include "saver/core/transition_run.h"
#include "saver/ui/stage_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int minimumMs = 1000, speed = 1, first = 0, last = lumora::kEffectCount - 1;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--min"))
      minimumMs = std::atoi(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--speed"))
      speed = std::atoi(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--effects"))
      std::sscanf(argv[i + 1], "%d-%d", &first, &last);
  }

  lumora::StageWindow stage;
  stage.show();
  QCoreApplication::processEvents();
  const int w = stage.stage().width(), h = stage.stage().height();
  const double hz = stage.refreshRate();
  const double wanted = minimumMs * hz / 1000.0;
  std::printf("Screen %dx%d at %.1f Hz, minimum %d ms: at least %.0f frames wanted, 0.8 of it required.\n\n", w, h, hz,
              minimumMs, wanted);
  std::printf(
      "| Effect | Pumps | Stage ops | ms | Frames | Frames / wanted | Held to |\n"
      "|---:|---:|---:|---:|---:|---:|---:|\n");

  const lumora::Bitmap oldPicture = lumora::oldTestPattern(w, h);
  lumora::Bitmap frame = lumora::newTestPattern(w, h);
  int below = 0;
  for (int n = first; n <= last; ++n) {
    lumora::drawBitmap(oldPicture, stage.stage(), 0, 0);
    stage.present();
    // As in the show, where the picture before has stood for the pause: a
    // refresh passes before the transition, so its first drawing is not held
    // back by the present just made.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < qint64(1000 / hz) + 2) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    lumora::Bitmap work(w, h, lumora::kWhite), spare(w, h, lumora::kWhite);
    lumora::Random random(std::uint32_t(1000 + n));
    lumora::EffectContext ctx({frame, work, spare, stage.stage()}, w, h, speed, random, &stage);
    const lumora::EffectCounts counts =
        lumora::countEffect(n, {frame, work, spare, stage.stage()}, w, h, speed, random);
    const long long before = stage.presentCount();
    QElapsedTimer t;
    t.start();
    lumora::runPacedEffect(n, ctx, random, minimumMs);
    const qint64 ms = t.elapsed();
    // The last change is presented at the next refresh.
    while (t.elapsed() < ms + qint64(2000 / hz) + 2) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const long long frames = stage.presentCount() - before;
    const double share = frames / wanted;
    const double heldTo = std::min(wanted, double(counts.visibleStageOps));
    const bool low = frames < 0.8 * heldTo;
    if (low) ++below;
    std::printf("| %d | %lld | %lld | %lld | %lld | %.2f | %.0f%s |\n", n, counts.pumps, counts.stageOps, ms, frames,
                share, heldTo, low ? " (below)" : "");
    std::fflush(stdout);
  }
  std::printf("\n%d of %d transitions below 0.8 of the frames they are held to.\n", below, last - first + 1);
  return below ? 1 : 0;
}
