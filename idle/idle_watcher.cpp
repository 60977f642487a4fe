#include "idle/idle_watcher.h"
#include "platform/core/hooks.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "idle/idle_policy.h"
#include "idle/single_instance.h"
#include "idle/idle_sources.h"
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
  const std::int64_t unit = hookOn(Hook::IdleSeconds) ? 1000 : 60000;
  try {
    return std::int64_t(readDesktopOptions(RegistryFile::load(registryFilePath())).idleMinutes) * unit;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lumora: %s\n", e.what());
    return previous;
  }
}

// The show as a child process: ended with SIGTERM when the watcher ends.
class ShowProcess {
 public:
  ShowProcess() = default;
  ~ShowProcess() {
    if (pid_ == 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  ShowProcess(const ShowProcess&) = delete;
  ShowProcess& operator=(const ShowProcess&) = delete;

  bool running() {
    if (pid_ != 0 && ::waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = 0;
    return pid_ != 0;
  }

  void start(const std::string& program) {
    const std::string mode = "/S";
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(mode.c_str()), nullptr};
    if (posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
      pid_ = 0;
      std::fprintf(stderr, "lumora: cannot start %s /S\n", program.c_str());
    }
  }

 private:
  pid_t pid_ = 0;
};

// The loop of a watcher that holds the lock and has its source.
int watch(IdleSource& session, const std::string& program) {
  installStopHandlers();
  const bool seconds = hookOn(Hook::IdleSeconds);
  const auto poll = std::chrono::milliseconds(seconds ? 200 : 1000);
  const auto rereadEvery = std::chrono::seconds(seconds ? 1 : 10);
  IdlePolicy policy(readThresholdMs(0));
  if (policy.threshold() > 0) session.watch(policy.threshold());
  auto lastRead = std::chrono::steady_clock::now();
  ShowProcess show;
  while (!stopRequested) {
    if (std::chrono::steady_clock::now() - lastRead >= rereadEvery) {
      const std::int64_t threshold = readThresholdMs(policy.threshold());
      if (threshold != policy.threshold()) {
        policy.setThreshold(threshold);
        if (threshold > 0) session.watch(threshold);
      }
      lastRead = std::chrono::steady_clock::now();
    }
    if (policy.threshold() <= 0 && !show.running()) {
      std::fputs("lumora: the idle start is switched off\n", stderr);
      return 0;
    }
    for (const std::int64_t idleMs : session.idleTimes(poll)) {
      const bool running = show.running();
      // Asked only when it matters: over D-Bus it is a call.
      const bool heldOff = !running && idleMs >= policy.threshold() && session.heldOff();
      if (policy.shouldStart(IdleSample{idleMs, heldOff, running})) show.start(program);
    }
  }
  return 0;
}

}  // namespace

int runIdleWatcher(const std::string& program) {
  try {
    const SingleInstance instance(idleLockPath());
    if (!instance.held()) {
      std::fputs("lumora: the idle start is already running\n", stderr);
      return 0;
    }
    // The settings must be readable at the start; later a failed read keeps
    // the time in force.
    readDesktopOptions(RegistryFile::load(registryFilePath()));
    ChosenIdleSource chosen = openIdleSource();
    std::fprintf(stderr, "lumora: idle time from %s\n", chosen.name.c_str());
    return watch(*chosen.source, program);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lumora: %s\n", e.what());
    return 1;
  }
}

}  // namespace lumora
