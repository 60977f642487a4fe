// SIGTERM, SIGINT and SIGHUP turned into a Qt signal: the handler only
// writes a byte into a pipe, and a socket notifier on the event loop reads it,
// so the show ends through its normal code, never from inside the handler.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace lumora {

class TerminationSignals : public QObject {
  Q_OBJECT

 public:
  // Installs the handlers; only one instance may live at a time.
  TerminationSignals();
  ~TerminationSignals() override;  // restores the default handlers
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

 signals:
  // One of the three signals arrived (once per signal).
  void received(int signalNumber);

 private:
  void drain();

  int fds_[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace lumora
