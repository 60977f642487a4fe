#include "lock/process_hygiene.h"

#include <sys/prctl.h>
#include <sys/resource.h>

#include <csignal>

namespace lumora {

void resetInheritedSignals() {
  for (int s = 1; s < NSIG; ++s) {
    if (s == SIGKILL || s == SIGSTOP) continue;
    std::signal(s, SIG_DFL);  // fails harmlessly for the real-time signals libc keeps
  }
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
}

void forbidCoreDumps() {
  const rlimit zero{0, 0};
  ::setrlimit(RLIMIT_CORE, &zero);
  ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
}

}  // namespace lumora
