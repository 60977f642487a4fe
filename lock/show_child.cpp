#include "lock/show_child.h"

#include "platform/core/hooks.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace lumora {

namespace {

UniqueFd sealedSnapshot(const std::string& bytes) {
  UniqueFd fd(::memfd_create("lumora-settings", MFD_CLOEXEC | MFD_ALLOW_SEALING));
  if (!fd) throw std::runtime_error(std::string("cannot hold the settings: ") + std::strerror(errno));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw std::runtime_error(std::string("cannot hold the settings: ") + std::strerror(errno));
    done += std::size_t(n);
  }
  ::fcntl(fd.get(), F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL);
  return fd;
}

UniqueFd openPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
  return UniqueFd(int(::syscall(SYS_pidfd_open, pid, 0)));
#else
  (void)pid;
  return UniqueFd();
#endif
}

QString howItEnded(int status) {
  if (WIFSIGNALED(status)) return QStringLiteral("died of signal %1").arg(WTERMSIG(status));
  return QStringLiteral("ended with status %1").arg(WEXITSTATUS(status));
}

}  // namespace

ShowChild::ShowChild(std::string program, std::string settingsSnapshot, QObject* parent)
    : QObject(parent), program_(std::move(program)), settings_(sealedSnapshot(settingsSnapshot)) {
  restartTimer_.setSingleShot(true);
  connect(&restartTimer_, &QTimer::timeout, this, &ShowChild::start);
  reapPoll_.setInterval(100);
  connect(&reapPoll_, &QTimer::timeout, this, &ShowChild::reap);
  if (const auto ms = hookNumber(Hook::LockRestartMs)) longestRestartMs_ = std::max<long long>(0, *ms);
}

ShowChild::~ShowChild() { stop(500); }

void ShowChild::start() {
  if (stopped_ || pid_ > 0) return;
  auto [ours, theirs] = PacketChannel::pair();
  std::vector<std::string> args{program_, "--locked-show"};
  for (const QString& a : arguments_) args.push_back(a.toStdString());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int channelFd = theirs.fd();
  const int settingsFd = settings_.get();

  const pid_t pid = ::fork();
  if (pid == 0) {
    // Only async-signal-safe calls from here to exec. The descriptors are
    // moved out of the way first, so that dup2 cannot close one of them.
    const int channel = ::fcntl(channelFd, F_DUPFD, 10);
    const int settings = ::fcntl(settingsFd, F_DUPFD, 10);
    ::dup2(channel, kChannelFd);
    ::dup2(settings, kSettingsFd);
    ::close(channel);
    ::close(settings);
    ::lseek(kSettingsFd, 0, SEEK_SET);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execv(argv[0], argv.data());
    const char message[] = "lumora: cannot run the show\n";
    (void)!::write(2, message, sizeof message - 1);
    ::_exit(127);
  }
  if (pid < 0) {
    std::fprintf(stderr, "lumora: cannot start the show: %s\n", std::strerror(errno));
    restartTimer_.start(int(backoff_.died(0)) + 250);
    return;
  }
  pid_ = pid;
  lived_.start();
  channel_.emplace(std::move(ours));
  channelNotifier_ = std::make_unique<QSocketNotifier>(channel_->fd(), QSocketNotifier::Read);
  connect(channelNotifier_.get(), &QSocketNotifier::activated, this, &ShowChild::read);
  pidFd_ = openPidFd(pid);
  if (pidFd_) {
    exitNotifier_ = std::make_unique<QSocketNotifier>(pidFd_.get(), QSocketNotifier::Read);
    connect(exitNotifier_.get(), &QSocketNotifier::activated, this, &ShowChild::reap);
  } else {
    reapPoll_.start();
  }
  emit started();
}

void ShowChild::reap() {
  if (pid_ <= 0) return;
  int status = 0;
  const pid_t done = ::waitpid(pid_, &status, WNOHANG);
  if (done == 0) return;
  if (done < 0 && errno == EINTR) return;
  // done < 0 otherwise: the child is gone without a status (reaped by
  // someone else); treat it as a death all the same.
  const QString how = done == pid_ ? howItEnded(status) : QStringLiteral("is gone");
  pid_ = -1;
  exitNotifier_.reset();
  pidFd_.reset();
  reapPoll_.stop();
  if (channelNotifier_) read();  // what it said last
  channelNotifier_.reset();
  channel_.reset();
  if (stopped_) return;
  if (moving_) {
    moving_ = false;
    start();
    return;
  }
  ++restarts_;
  const std::int64_t wait = std::min(backoff_.died(lived_.elapsed()), longestRestartMs_);
  std::fprintf(stderr, "lumora: the show %s; the screen stays locked, the show starts again in %lld ms\n",
               how.toLocal8Bit().constData(), static_cast<long long>(wait));
  emit died(how);
  restartTimer_.start(int(wait));
}

void ShowChild::read() {
  if (!channel_) return;
  for (;;) {
    bool closed = false;
    std::optional<Packet> packet = channel_->receive(closed);
    if (packet) {
      emit received(QString::fromUtf8(packet->text.data(), qsizetype(packet->text.size())), packet->fd.release());
      if (!channel_) return;
      continue;
    }
    if (closed && channelNotifier_) channelNotifier_->setEnabled(false);
    return;
  }
}

void ShowChild::restart(QStringList arguments) {
  arguments_ = std::move(arguments);
  if (pid_ <= 0) {
    restartTimer_.stop();
    start();
    return;
  }
  moving_ = true;
  ::kill(pid_, SIGTERM);
}

void ShowChild::send(const std::string& text) {
  if (channel_) channel_->send(text);
}

void ShowChild::stop(int graceMs) {
  stopped_ = true;
  restartTimer_.stop();
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  int status = 0;
  for (int waited = 0; waited < graceMs; waited += 10) {
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    ::usleep(10'000);
  }
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
}

}  // namespace lumora
