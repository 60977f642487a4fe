#include "lock/lock.h"

#include <QCoreApplication>
#include <cstdio>
#include <unistd.h>

#include "platform/core/ansi.h"
#include "settings/password_hash.h"
#include "widgets/masked_edit.h"

namespace lumora {

Lock::Lock(std::string password, std::unique_ptr<LockScreens> screens, std::unique_ptr<ShowChild> show,
           std::unique_ptr<PowerOff> powerOff)
    : password_(std::move(password)),
      screens_(std::move(screens)),
      show_(std::move(show)),
      powerOff_(std::move(powerOff)),
      prompt_(std::make_unique<PasswordPrompt>(screens_->promptParent())) {
  guessClock_.start();
  prompt_->setWait([this] { return guessDelay_.msLeft(guessClock_.elapsed()); });
  connect(screens_.get(), &LockScreens::input, this, &Lock::ask);
  connect(screens_.get(), &LockScreens::messageForShow, this,
          [this](const QString& text) { show_->send(text.toStdString()); });
  connect(screens_.get(), &LockScreens::showMoved, this, [this] { show_->restart(screens_->showArguments()); });
  connect(show_.get(), &ShowChild::received, this, &Lock::fromShow);
  connect(show_.get(), &ShowChild::started, screens_.get(), &LockScreens::showStarted);
  connect(&signals_, &TerminationSignals::received, this, [this](int) { end(); });
  show_->setArguments(screens_->showArguments());
  show_->start();
}

Lock::~Lock() = default;

void Lock::fromShow(const QString& text, int fd) {
  if (text == QLatin1String("shutdown")) {
    // The countdown is over: the machine goes off once the prompt has been
    // answered, right or wrong.
    shutdownDue_ = true;
    ask();
    return;
  }
  screens_->showMessage(text, fd);
}

void Lock::ask() {
  if (asking_ || ending_) return;
  if (password_.empty()) {
    end();
    return;
  }
  asking_ = true;
  show_->send("prompt 1");
  screens_->promptShown(*prompt_, true);
  const bool answered = prompt_->exec() == 1;
  screens_->promptShown(*prompt_, false);
  asking_ = false;
  const bool granted =
      answered && passwordMatches(password_, utf8ToAnsi(prompt_->passwordEdit()->text().toStdString()));
  if (answered && !granted) {
    guessDelay_.wrongGuess(guessClock_.elapsed());
    std::fprintf(stderr, "lumora: wrong password; the prompt waits %d s\n",
                 guessDelay_.secondsLeft(guessClock_.elapsed()));
  }
  if (shutdownDue_) {
    shutdownDue_ = false;
    try {
      powerOff_->powerOff();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "lumora: %s\n", e.what());
    }
  }
  if (granted) {
    end();
    return;
  }
  show_->send("prompt 0");
}

void Lock::end() {
  if (ending_) return;
  ending_ = true;
  if (prompt_->isOpen()) prompt_->reject();
  show_->stop();
  QCoreApplication::exit(0);
}

}  // namespace lumora
