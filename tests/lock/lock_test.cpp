// The lock without a display: its restart waits, the show it runs again and
// again with the same settings, and the password asked on input.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "lock/lock.h"
#include "tests/lock/lock_app.h"
#include "lock/restart_backoff.h"
#include "lock/show_child.h"
#include "settings/password_hash.h"
#include "widgets/masked_edit.h"

namespace lumora {
namespace {

QApplication& app() { return testing::lockApp(); }

bool processUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

TEST(RestartBackoff, FirstDeathAtOnceThenDoublingToTheLongestAndHealthyAfterASteadyLife) {
  RestartBackoff backoff;
  const std::int64_t quick[] = {0, 250, 500, 1000, 2000, 4000, 8000, 8000, 8000};
  for (std::int64_t wait : quick) EXPECT_EQ(backoff.died(100), wait);
  EXPECT_EQ(backoff.died(RestartBackoff::kSteadyMs), 0);  // lived long: counted afresh
  EXPECT_EQ(backoff.died(10), 250);
}

// A stand-in for the show: writes what it got on descriptor 4 and whether
// descriptor 3 is a socket into a file per run, then dies.
class ShowChildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app();
    dir_ = std::filesystem::temp_directory_path() / ("lock-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    script_ = dir_ / "show";
    std::ofstream(script_) << "#!/bin/sh\n"
                              "n=$(ls "
                           << dir_.string()
                           << " | grep -c run)\n"
                              "{ echo \"$@\"; cat <&4; [ -S /proc/self/fd/3 ] && echo socket; } > "
                           << dir_.string()
                           << "/run$n\n"
                              "exit 3\n";
    std::filesystem::permissions(script_, std::filesystem::perms::owner_all);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string run(int n) {
    std::ifstream in(dir_ / ("run" + std::to_string(n)));
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::filesystem::path dir_, script_;
};

TEST_F(ShowChildTest, ADeadShowStartsAgainWithTheSameSettingsAndChannel) {
  ShowChild child(script_.string(), "REGEDIT4\nsnapshot\n");
  child.setArguments({"--window-id", "42"});
  child.start();
  ASSERT_TRUE(processUntil([&] { return child.restarts() >= 3; }, 5000));
  for (int n = 0; n < 3; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(run(n), "--locked-show --window-id 42\nREGEDIT4\nsnapshot\nsocket\n");
  }
  child.stop();
}

TEST_F(ShowChildTest, TheLongestRestartWaitCanBeCapped) {
  // Six quick deaths wait 3.75 s in all uncapped; capped at 0, none.
  setenv("LUMORA_LOCK_RESTART_MS", "0", 1);
  ShowChild child(script_.string(), "");
  unsetenv("LUMORA_LOCK_RESTART_MS");
  child.start();
  EXPECT_TRUE(processUntil([&] { return child.restarts() >= 6; }, 2000)) << child.restarts();
  child.stop();
}

TEST_F(ShowChildTest, ARestartWithNewArgumentsComesAtOnce) {
  std::ofstream(script_) << "#!/bin/sh\necho \"$@\" >> " << (dir_ / "log").string() << "\nexec sleep 30\n";
  auto log = [this] {
    std::ifstream in(dir_ / "log");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  };
  ShowChild child(script_.string(), "");
  child.setArguments({"--window-id", "1"});
  child.start();
  // The line written, not only the file opened: a show ended before it
  // wrote would leave no line.
  ASSERT_TRUE(processUntil([&] { return log() == "--locked-show --window-id 1\n"; }, 3000));
  child.restart({"--window-id", "2"});
  ASSERT_TRUE(processUntil([&] { return log() == "--locked-show --window-id 1\n--locked-show --window-id 2\n"; }, 3000))
      << log();
  EXPECT_EQ(child.restarts(), 0);  // a move is no death
  child.stop();
}

// Covers that only report input: the prompt is a window of its own.
class FakeScreens : public LockScreens {
 public:
  QStringList showArguments() const override { return {}; }
  QWidget* promptParent() const override { return nullptr; }
  void promptShown(PasswordPrompt&, bool shown) override { promptUp = shown; }
  void showMessage(const QString&, int) override {}
  void key() { emit input(); }
  bool promptUp = false;
};

class CountingPowerOff : public PowerOff {
 public:
  explicit CountingPowerOff(int& count) : count_(count) {}
  void powerOff() override { ++count_; }

 private:
  int& count_;
};

TEST_F(ShowChildTest, WrongGuessesWaitLongerTheRightPasswordEndsAndTheShowGoes) {
  std::ofstream(script_) << "#!/bin/sh\nexec sleep 30\n";
  auto screens = std::make_unique<FakeScreens>();
  FakeScreens* fake = screens.get();
  auto child = std::make_unique<ShowChild>(script_.string(), "");
  ShowChild* show = child.get();
  int powerOffs = 0;
  Lock lock(hashPassword("pw"), std::move(screens), std::move(child), std::make_unique<CountingPowerOff>(powerOffs));
  ASSERT_TRUE(processUntil([&] { return show->pid() > 0; }, 3000));
  const pid_t pid = show->pid();
  auto answer = [&](const char* typed) {
    QTimer::singleShot(50, [&lock, typed] {
      lock.prompt().passwordEdit()->setText(QString::fromUtf8(typed));
      lock.prompt().accept();
    });
    fake->key();
  };
  answer("PW");
  EXPECT_EQ(lock.guessDelay().wrongGuesses(), 1);
  EXPECT_FALSE(fake->promptUp);
  // Still waiting: the answer is refused, the prompt stays until Escape.
  QTimer::singleShot(50, [&lock] {
    lock.prompt().passwordEdit()->setText("pw");
    lock.prompt().accept();
    QTimer::singleShot(50, [&lock] { lock.prompt().reject(); });
  });
  fake->key();
  EXPECT_EQ(lock.guessDelay().wrongGuesses(), 1);
  EXPECT_EQ(::kill(pid, 0), 0);
  ASSERT_TRUE(processUntil([&] { return !lock.prompt().waiting(); }, 3000));
  QTimer::singleShot(0, [&] { answer("pw"); });
  QTimer::singleShot(5000, [] { QCoreApplication::exit(7); });  // not ended: fails
  EXPECT_EQ(QCoreApplication::exec(), 0);
  EXPECT_NE(::kill(pid, 0), 0);  // the show was ended first
}

// The show's countdown is over: the lock asks, and powers off once the
// prompt is answered, right or wrong; a wrong answer keeps it locked.
TEST_F(ShowChildTest, ShutdownFromTheShowWaitsForThePromptsAnswer) {
  std::ofstream(script_) << "#!/bin/sh\nprintf shutdown >&3\nexec sleep 30\n";
  auto screens = std::make_unique<FakeScreens>();
  FakeScreens* fake = screens.get();
  int powerOffs = 0;
  Lock lock(hashPassword("pw"), std::move(screens), std::make_unique<ShowChild>(script_.string(), ""),
            std::make_unique<CountingPowerOff>(powerOffs));
  int offsWhileAsked = -1;
  QTimer::singleShot(100, [&] {
    offsWhileAsked = powerOffs;
    lock.prompt().reject();
  });
  ASSERT_TRUE(processUntil([&] { return powerOffs == 1; }, 3000));
  EXPECT_EQ(offsWhileAsked, 0);
  EXPECT_FALSE(fake->promptUp);
}

TEST_F(ShowChildTest, WithoutAPasswordTheFirstKeyEnds) {
  std::ofstream(script_) << "#!/bin/sh\nexec sleep 30\n";
  auto screens = std::make_unique<FakeScreens>();
  FakeScreens* fake = screens.get();
  int powerOffs = 0;
  Lock lock("", std::move(screens), std::make_unique<ShowChild>(script_.string(), ""),
            std::make_unique<CountingPowerOff>(powerOffs));
  QTimer::singleShot(0, [&] { fake->key(); });
  QTimer::singleShot(5000, [] { QCoreApplication::exit(7); });
  EXPECT_EQ(QCoreApplication::exec(), 0);
}

}  // namespace
}  // namespace lumora
