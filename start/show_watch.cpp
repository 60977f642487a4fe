#include "start/show_watch.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

namespace lumora {

namespace {

using Clock = std::chrono::steady_clock;

// Drops the times older than a minute, then adds `now`; returns how many
// remain, `now` included.
std::size_t countInLastMinute(std::deque<Clock::time_point>& times, Clock::time_point now) {
  while (!times.empty() && now - times.front() >= std::chrono::minutes(1)) times.pop_front();
  times.push_back(now);
  return times.size();
}

pid_t startShow(char** argv, bool plain, const sigset_t& previousMask) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;  // the watcher, or -1
  ::sigprocmask(SIG_SETMASK, &previousMask, nullptr);
  ::setenv(kWatchedShowVariable, plain ? "plain" : "1", 1);
  ::execv("/proc/self/exe", argv);
  std::fprintf(stderr, "lumora: cannot run the show: %s\n", std::strerror(errno));
  ::_exit(127);
}

// Asks the child to end; kills it when it has not within 3 s.
void endChild(pid_t child) {
  ::kill(child, SIGTERM);
  for (int i = 0; i < 300; ++i) {
    if (::waitpid(child, nullptr, WNOHANG) == child) return;
    ::usleep(10'000);
  }
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
}

}  // namespace

RestartPolicy::Next RestartPolicy::childEnded(bool crashed, Clock::time_point now) {
  if (!crashed) return Next::End;
  if (plain_) {
    if (countInLastMinute(plainFailures_, now) > std::size_t(kMostPlainFailures)) return Next::GiveUp;
    return Next::RestartPlain;
  }
  if (countInLastMinute(restarts_, now) > std::size_t(kMostRestarts)) {
    plain_ = true;
    return Next::RestartPlain;
  }
  return Next::Restart;
}

int watchShow(char** argv) {
  sigset_t watched, previous;
  sigemptyset(&watched);
  for (int s : {SIGTERM, SIGINT, SIGHUP, SIGCHLD}) sigaddset(&watched, s);
  ::sigprocmask(SIG_BLOCK, &watched, &previous);

  RestartPolicy policy;
  bool plain = false;
  pid_t child = startShow(argv, plain, previous);
  if (child < 0) {
    std::perror("lumora: cannot start the show");
    return 1;
  }
  for (;;) {
    siginfo_t info{};
    if (::sigwaitinfo(&watched, &info) < 0) continue;
    if (info.si_signo != SIGCHLD) {
      endChild(child);
      return 0;
    }
    int status = 0;
    if (::waitpid(child, &status, WNOHANG) != child) continue;
    const bool crashed = WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) != 0);
    switch (policy.childEnded(crashed, Clock::now())) {
      case RestartPolicy::Next::End:
        return 0;
      case RestartPolicy::Next::GiveUp:
        std::fputs("lumora: the show keeps failing; giving up\n", stderr);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
      case RestartPolicy::Next::RestartPlain:
        plain = true;
        [[fallthrough]];
      case RestartPolicy::Next::Restart:
        if (WIFSIGNALED(status))
          std::fprintf(stderr, "lumora: the show died of signal %d; covering the screen again\n", WTERMSIG(status));
        child = startShow(argv, plain, previous);
        if (child < 0) {
          std::perror("lumora: cannot start the show");
          return 1;
        }
        break;
    }
  }
}

}  // namespace lumora
