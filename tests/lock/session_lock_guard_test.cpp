// The guard that locks the session when the lock dies: only when armed, and
// never after the lock released it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>

#include "lock/session_lock/session_lock_guard.h"

namespace lumora {
namespace {

enum class End { Dies, DiesArmed, ReleasedArmed };

struct GuardCase {
  End end;
  bool locks;
};

class SessionLockGuardEnds : public testing::TestWithParam<GuardCase> {};

TEST_P(SessionLockGuardEnds, LocksOnlyWhenTheArmedLockDies) {
  const std::filesystem::path mark =
      std::filesystem::temp_directory_path() / ("lumora-guard-" + std::to_string(::getpid()));
  std::filesystem::remove(mark);
  std::optional<SessionLockGuard> guard = SessionLockGuard::start([mark] { std::ofstream(mark) << "locked"; });
  const pid_t pid = guard->pid();
  if (GetParam().end != End::Dies) guard->arm();
  if (GetParam().end == End::ReleasedArmed) guard->release();
  guard.reset();  // the pipe closes as when the lock dies
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(std::filesystem::exists(mark), GetParam().locks);
  std::filesystem::remove(mark);
}

INSTANTIATE_TEST_SUITE_P(Ends, SessionLockGuardEnds,
                         testing::Values(GuardCase{End::Dies, false}, GuardCase{End::DiesArmed, true},
                                         GuardCase{End::ReleasedArmed, false}));

}  // namespace
}  // namespace lumora
