#include "lock/session_lock/session_lock_guard.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace lumora {

namespace {

constexpr char kArm = 'a';
constexpr char kRelease = 'r';

// The guard's life: read until the pipe closes or says "released".
[[noreturn]] void guard(int pipe, const std::function<void()>& lockSession) {
  ::setsid();
  // A signal meant for the lock (its group, the terminal) is not ours.
  ::signal(SIGINT, SIG_IGN);
  ::signal(SIGHUP, SIG_IGN);
  ::signal(SIGTERM, SIG_IGN);
  bool armed = false;
  for (;;) {
    char byte = 0;
    const ssize_t n = ::read(pipe, &byte, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n == 1 && byte == kArm) {
      armed = true;
      continue;
    }
    if (n == 1 && byte == kRelease) ::_exit(0);
    if (n == 1) continue;
    break;  // closed: the lock is gone
  }
  if (armed) lockSession();
  ::_exit(0);
}

}  // namespace

SessionLockGuard SessionLockGuard::start(std::function<void()> lockSession) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0)
    throw std::runtime_error(std::string("cannot start the session lock guard: ") + std::strerror(errno));
  UniqueFd reading(fds[0]), writing(fds[1]);
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error(std::string("cannot start the session lock guard: ") + std::strerror(errno));
  if (pid == 0) {
    writing.reset();
    // Nothing of the lock's stays open here but standard error.
    for (int fd = 3; fd < 1024; ++fd)
      if (fd != reading.get()) ::close(fd);
    guard(reading.get(), lockSession);
  }
  // Not reaped by the lock: it outlives it, and init takes it then.
  return SessionLockGuard(std::move(writing), pid);
}

void SessionLockGuard::say(char byte) {
  if (!pipe_) return;
  while (::write(pipe_.get(), &byte, 1) < 0 && errno == EINTR) {
  }
}

void SessionLockGuard::arm() { say(kArm); }

void SessionLockGuard::release() {
  say(kRelease);
  pipe_.reset();
}

}  // namespace lumora
