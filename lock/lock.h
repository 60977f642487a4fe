// The lock: holds the password read at its start and the wait after wrong
// guesses, asks for the password on the first key or button, and runs the
// show as its child (ShowChild) on the covers of one display (LockScreens).
// A restarted show changes nothing of this. The lock ends on the right
// password, or on SIGTERM, SIGINT or SIGHUP, with status 0, the show ended
// first.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <memory>
#include <string>

#include "lock/guess_delay.h"
#include "lock/lock_screens.h"
#include "lock/show_child.h"
#include "platform/desktop/power_off.h"
#include "platform/desktop/termination_signals.h"
#include "widgets/password_prompt.h"

namespace lumora {

class Lock : public QObject {
  Q_OBJECT

 public:
  // `password` as stored; an empty one lets any key end the lock.
  Lock(std::string password, std::unique_ptr<LockScreens> screens, std::unique_ptr<ShowChild> show,
       std::unique_ptr<PowerOff> powerOff);
  ~Lock() override;

  PasswordPrompt& prompt() { return *prompt_; }
  const GuessDelay& guessDelay() const { return guessDelay_; }

 private:
  void ask();
  void fromShow(const QString& text, int fd);
  void end();

  std::string password_;
  std::unique_ptr<LockScreens> screens_;
  std::unique_ptr<ShowChild> show_;
  std::unique_ptr<PowerOff> powerOff_;
  std::unique_ptr<PasswordPrompt> prompt_;
  TerminationSignals signals_;
  GuessDelay guessDelay_;
  QElapsedTimer guessClock_;
  bool asking_ = false;
  bool shutdownDue_ = false;
  bool ending_ = false;
};

}  // namespace lumora
