// Idle sources: the news of a compositor turned into idle times, the choice
// of source, and the watcher's refusals (no display, a lock file it cannot use) as one line and status 1.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <system_error>

#include "idle/idle_policy.h"
#include "idle/idle_sources.h"
#include "idle/idle_transitions.h"
#include "idle/idle_watcher.h"
#include "idle/single_instance.h"
#include "platform/temp_home.h"

namespace lumora {
namespace {

using Clock = IdleTransitions::Clock;
using std::chrono::milliseconds;

TEST(IdleTransitions, GiveEveryChangeInOrderThenTheCurrentIdleTime) {
  IdleTransitions t;
  const Clock::time_point start = Clock::now();
  t.restart(2000);
  EXPECT_EQ(t.take(start), (std::vector<std::int64_t>{0}));
  t.idled(start);
  EXPECT_EQ(t.take(start + milliseconds(500)), (std::vector<std::int64_t>{2000, 2500}));
  // Idle news twice (a compositor's repeat) counts once; the time goes on.
  t.idled(start + milliseconds(600));
  EXPECT_EQ(t.take(start + milliseconds(900)), (std::vector<std::int64_t>{2900}));
  // Use and idle again, both between two looks: the use is kept.
  t.resumed();
  t.idled(start + milliseconds(5000));
  EXPECT_EQ(t.take(start + milliseconds(5000)), (std::vector<std::int64_t>{0, 2000, 2000}));
  // A new watched time forgets what was not taken and starts in use.
  t.resumed();
  t.restart(60000);
  EXPECT_FALSE(t.idle());
  EXPECT_EQ(t.take(start + milliseconds(6000)), (std::vector<std::int64_t>{0}));
}

// The watcher feeds every idle time to the policy: a short use between two
// idle periods that a compositor reports within one wait re-arms the start.
TEST(IdleTransitions, AShortUseBetweenTwoLooksStartsTheShowAgain) {
  IdleTransitions t;
  IdlePolicy policy(1000);
  const Clock::time_point now = Clock::now();
  t.restart(1000);
  auto starts = [&](bool running) {
    int n = 0;
    for (std::int64_t ms : t.take(now)) n += policy.shouldStart(IdleSample{ms, false, running});
    return n;
  };
  EXPECT_EQ(starts(false), 0);
  t.idled(now);
  EXPECT_EQ(starts(false), 1);
  EXPECT_EQ(starts(true), 0);   // the show runs
  EXPECT_EQ(starts(false), 0);  // it ended without input: still the same idle period
  t.resumed();
  t.idled(now);
  EXPECT_EQ(starts(false), 1);
}

TEST(IdleSources, NoDisplayIsOneLineWithoutTouchingAnyBus) {
  test::ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
  test::ScopedEnv display("DISPLAY", nullptr);
  test::ScopedEnv bus("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
  try {
    openIdleSource();
    FAIL() << "a source without a display";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "cannot open the display");
  }
}

TEST(IdleSources, DisplaysThatCannotBeReachedAreOneReason) {
  test::TempHome home;
  test::ScopedEnv runtime("XDG_RUNTIME_DIR", home.dir().c_str());
  test::ScopedEnv bus("DBUS_SESSION_BUS_ADDRESS", nullptr);
  test::ScopedEnv wayland("WAYLAND_DISPLAY", "wayland-nowhere");
  test::ScopedEnv display("DISPLAY", ":59999");
  try {
    openIdleSource();
    FAIL() << "a source without a compositor";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "cannot open the display");
  }
}

// The watcher's refusals: status 1 and one line on standard error.
struct Refusal {
  const char* name;
  const char* wayland;
  const char* folderInstead;  // a file of LUMORA_HOME made a folder: not even root can use it
  const char* expected;       // in the line; "@HOME@" stands for LUMORA_HOME
};

void PrintTo(const Refusal& r, std::ostream* out) { *out << r.name; }

class IdleWatcherRefusal : public testing::TestWithParam<Refusal> {};

TEST_P(IdleWatcherRefusal, IsOneLineAndStatusOne) {
  const Refusal& r = GetParam();
  test::TempHome home;
  test::ScopedEnv runtime("XDG_RUNTIME_DIR", home.dir().c_str());
  test::ScopedEnv bus("DBUS_SESSION_BUS_ADDRESS", nullptr);
  test::ScopedEnv wayland("WAYLAND_DISPLAY", r.wayland);
  test::ScopedEnv display("DISPLAY", nullptr);
  ASSERT_EQ(idleLockPath(), home.dir() / "lumora-idle.lock");
  if (r.folderInstead) std::filesystem::create_directories(home.dir() / r.folderInstead);
  std::string expected = r.expected;
  if (const auto at = expected.find("@HOME@"); at != std::string::npos) expected.replace(at, 6, home.dir().string());

  testing::internal::CaptureStderr();
  const int status = runIdleWatcher("/bin/false");
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, 1);
  EXPECT_NE(err.find(expected), std::string::npos) << err;
  EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IdleWatcherRefusal,
    testing::Values(Refusal{"NoDisplay", nullptr, nullptr, "lumora: cannot open the display"},
                    Refusal{"LockFileUnusable", "wayland-nowhere", "lumora-idle.lock",
                            "lumora: cannot use the lock file @HOME@/lumora-idle.lock: Is a directory"},
                    Refusal{"RegistryFileUnusable", "wayland-nowhere", "registry.reg", "@HOME@/registry.reg"},
                    Refusal{"CompositorUnreachable", "wayland-nowhere", nullptr, "lumora: cannot open the display"}),
    [](const testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

TEST(SingleInstance, ALockFileThatCannotBeOpenedIsNamedInTheError) {
  test::TempHome home;
  const auto lock = home.dir() / "not-a-folder" / "idle.lock";
  std::ofstream(home.dir() / "not-a-folder") << "a file where a folder should be";
  try {
    SingleInstance instance(lock);
    FAIL() << "the lock was taken";
  } catch (const std::system_error& e) {
    EXPECT_NE(std::string(e.what()).find(lock.string()), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace lumora
