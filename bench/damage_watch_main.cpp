// Prints one line per burst of drawing on the X screen, as the DAMAGE
// extension reports it on the root window and its inferiors: the time the
// screen first changed after being still (CLOCK_MONOTONIC, ms), then, once
// it has stayed still for --gap ms, the burst's end and how many damage
// reports it held:
//
//   burst START_MS END_MS REPORTS
//
// scripts/bench_show.py reads it to see how long each transition lasted on
// the screen (a picture swap without transition is a burst of one report).
//
//   damage_watch [--gap MS]     (DISPLAY names the server)
#include <poll.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {
double nowMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}
}  // namespace

int main(int argc, char** argv) {
  double gap = 250;
  for (int i = 1; i + 1 < argc; i += 2)
    if (!std::strcmp(argv[i], "--gap")) gap = std::atof(argv[i + 1]);
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    std::fprintf(stderr, "damage_watch: cannot open the display\n");
    return 1;
  }
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_damage_id);
  if (!ext || !ext->present) {
    std::fprintf(stderr, "damage_watch: no DAMAGE extension\n");
    return 1;
  }
  std::free(xcb_damage_query_version_reply(c, xcb_damage_query_version(c, 1, 1), nullptr));
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  const xcb_damage_damage_t damage = xcb_generate_id(c);
  xcb_damage_create(c, damage, root, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
  xcb_flush(c);
  std::printf("ready\n");
  std::fflush(stdout);

  double start = -1, last = 0;
  long reports = 0;
  pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
  for (;;) {
    const int timeout = start < 0 ? -1 : int(gap / 4) + 1;
    if (poll(&fd, 1, timeout) < 0) break;
    while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
      if ((e->response_type & 0x7F) == ext->first_event + XCB_DAMAGE_NOTIFY) {
        const double t = nowMs();
        if (start < 0) start = t;
        last = t;
        ++reports;
        // Empty again: the next drawing reports once more.
        xcb_damage_subtract(c, damage, XCB_NONE, XCB_NONE);
        xcb_flush(c);
      }
      std::free(e);
    }
    if (xcb_connection_has_error(c)) break;
    if (start >= 0 && nowMs() - last >= gap) {
      std::printf("burst %.1f %.1f %ld\n", start, last, reports);
      std::fflush(stdout);
      start = -1;
      reports = 0;
    }
  }
  return 0;
}
