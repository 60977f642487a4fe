// The show, run by the lock as a child process and started again whenever
// it dies, by any cause, with RestartBackoff's waits. The child gets the
// lock channel as descriptor 3 and the registry file as the lock read it
// (a sealed memory file) as descriptor 4, so that a restarted show plays
// with the settings of the lock's start. LUMORA_LOCK_RESTART_MS, when set,
// caps the wait before a start (tests that kill the show many times).
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

#include "lock/restart_backoff.h"
#include "platform/core/packet_channel.h"
#include "platform/core/unique_fd.h"

namespace lumora {

class ShowChild : public QObject {
  Q_OBJECT

 public:
  static constexpr int kChannelFd = 3;
  static constexpr int kSettingsFd = 4;

  // `program` is the lumora binary; `arguments` follow "--locked-show".
  ShowChild(std::string program, std::string settingsSnapshot, QObject* parent = nullptr);
  ~ShowChild() override;  // ends the child (SIGTERM, then SIGKILL)

  void setArguments(QStringList arguments) { arguments_ = std::move(arguments); }
  void start();
  // Ends the running child, if any, and starts it again at once with
  // `arguments` (the show moved to another screen).
  void restart(QStringList arguments);
  // Ends the child and starts no other: waits up to `graceMs` for it.
  void stop(int graceMs = 2000);
  // Sends a message to the running child (dropped when none runs).
  void send(const std::string& text);
  pid_t pid() const { return pid_; }
  int restarts() const { return restarts_; }

 signals:
  void received(const QString& text, int fd);  // fd: -1 or a descriptor the slot may take
  void started();
  void died(const QString& how);

 private:
  void reap();
  void read();

  std::string program_;
  QStringList arguments_;
  UniqueFd settings_;  // the sealed snapshot, shared by every child
  std::optional<PacketChannel> channel_;
  std::unique_ptr<QSocketNotifier> channelNotifier_;
  UniqueFd pidFd_;
  std::unique_ptr<QSocketNotifier> exitNotifier_;
  QTimer reapPoll_;  // where pidfd_open is missing
  QTimer restartTimer_;
  QElapsedTimer lived_;
  RestartBackoff backoff_;
  std::int64_t longestRestartMs_ = RestartBackoff::kLongestMs;
  pid_t pid_ = -1;
  int restarts_ = 0;
  bool stopped_ = false;
  bool moving_ = false;  // the child was ended by restart()
};

}  // namespace lumora
