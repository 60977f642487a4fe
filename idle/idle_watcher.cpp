#include "idle/idle_watcher.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <thread>

#include "idle/idle_policy.h"
#include "idle/single_instance.h"
#include "idle/x11_session.h"
#include "platform/core/paths.h"
#include "settings/desktop_options.h"

extern char** environ;

namespace lumora {

namespace {

// Set by the termination handler; the loop reads it.
volatile std::sig_atomic_t stopRequested = 0;

extern "C" void onStop(int) { stopRequested = 1; }

void installStopHandlers() {
  struct sigaction action {};
  action.sa_handler = onStop;
  sigemptyset(&action.sa_mask);
  for (int number : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(number, &action, nullptr);
}

// The idle threshold in ms from the registry (0 = off); a registry that
// cannot be read keeps the previous threshold.
std::int64_t readThresholdMs(std::int64_t previous) {
  const std::int64_t unit = std::getenv("LUMORA_IDLE_SECONDS") ? 1000 : 60000;
  try {
    return std::int64_t(readDesktopOptions(RegistryFile::load(registryFilePath())).idleMinutes) * unit;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lumora: %s\n", e.what());
    return previous;
  }
}

// The show as a child process; 0 when it cannot be started.
pid_t startShow(const std::string& program) {
  const std::string mode = "/S";
  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(mode.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
    std::fprintf(stderr, "lumora: cannot start %s /S\n", program.c_str());
    return 0;
  }
  return pid;
}

}  // namespace

int runIdleWatcher(const std::string& program) {
  const SingleInstance instance(idleLockPath());
  if (!instance.held()) {
    std::fputs("lumora: the idle start is already running\n", stderr);
    return 0;
  }
  std::unique_ptr<X11Session> session;
  try {
    session = X11Session::open();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lumora: %s\n", e.what());
    return 1;
  }
  if (!session) {
    std::fputs("lumora: cannot open the display\n", stderr);
    return 1;
  }
  installStopHandlers();

  IdlePolicy policy(readThresholdMs(0));
  const bool seconds = std::getenv("LUMORA_IDLE_SECONDS") != nullptr;
  const auto poll = std::chrono::milliseconds(seconds ? 200 : 1000);
  const auto rereadEvery = std::chrono::seconds(seconds ? 1 : 10);
  auto lastRead = std::chrono::steady_clock::now();
  pid_t show = 0;
  while (!stopRequested) {
    if (show != 0) {
      int status = 0;
      if (::waitpid(show, &status, WNOHANG) == show) show = 0;
    }
    if (std::chrono::steady_clock::now() - lastRead >= rereadEvery) {
      policy.setThreshold(readThresholdMs(policy.threshold()));
      lastRead = std::chrono::steady_clock::now();
    }
    if (policy.threshold() <= 0 && show == 0) {
      std::fputs("lumora: the idle start is switched off\n", stderr);
      return 0;
    }
    const IdleSample sample{session->idleMs(), show == 0 && session->fullScreenFocused(), show != 0};
    if (policy.shouldStart(sample)) show = startShow(program);
    std::this_thread::sleep_for(poll);
  }
  if (show != 0) {
    ::kill(show, SIGTERM);
    ::waitpid(show, nullptr, 0);
  }
  return 0;
}

}  // namespace lumora
