#include "platform/desktop/termination_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <stdexcept>

namespace lumora {

namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

// The write end for the handler: a signal handler can reach nothing else.
volatile sig_atomic_t writeFd = -1;

extern "C" void onSignal(int number) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(number);
  if (writeFd >= 0 && ::write(writeFd, &byte, 1) < 0) {
    // A full pipe already holds a request to end.
  }
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals() {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds_) != 0)
    throw std::runtime_error("cannot create the signal pipe");
  writeFd = fds_[1];
  notifier_ = std::make_unique<QSocketNotifier>(fds_[0], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationSignals::drain);
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int number : kSignals) ::sigaction(number, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
  for (int number : kSignals) std::signal(number, SIG_DFL);
  writeFd = -1;
  notifier_.reset();
  ::close(fds_[0]);
  ::close(fds_[1]);
}

void TerminationSignals::drain() {
  unsigned char byte = 0;
  while (::read(fds_[0], &byte, 1) == 1) emit received(byte);
}

}  // namespace lumora
