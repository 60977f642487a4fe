// Choosing the session bus address: the session's, the user's bus socket, or
// none, never an unset variable that would let libdbus start a bus.
#include "platform/core/session_bus.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/temp_home.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;

// A listening Unix socket at path, closed with the object.
class UnixSocket {
 public:
  explicit UnixSocket(const fs::path& path) : fd_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    bound_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~UnixSocket() {
    if (fd_ >= 0) ::close(fd_);
  }
  UnixSocket(const UnixSocket&) = delete;
  UnixSocket& operator=(const UnixSocket&) = delete;
  bool bound() const { return bound_; }

 private:
  int fd_;
  bool bound_ = false;
};

TEST(SessionBus, TheSessionsAddressIsKeptElseTheUsersSocketElseNone) {
  test::TempHome home;
  const fs::path withSocket = home.dir() / "run with space";
  const fs::path withFile = home.dir() / "file";
  const fs::path withFolder = home.dir() / "folder";
  fs::create_directories(withSocket);
  fs::create_directories(withFile);
  fs::create_directories(withFolder / "bus");
  std::ofstream(withFile / "bus") << "not a socket";
  UnixSocket socket(withSocket / "bus");
  ASSERT_TRUE(socket.bound());
  const std::string socketAddress = "unix:path=" + escapeBusAddressValue((withSocket / "bus").string());

  struct Case {
    const char* given;
    std::string runtimeDir;
    std::string expected;
  };
  const Case cases[] = {
      {"unix:path=/run/user/1000/bus", withSocket.string(), "unix:path=/run/user/1000/bus"},
      {"disabled:", withSocket.string(), "disabled:"},  // a parent's decision stands
      {nullptr, withSocket.string(), socketAddress},
      {"", withSocket.string(), socketAddress},  // empty is unset
      {nullptr, withFile.string(), "disabled:"},
      {nullptr, withFolder.string(), "disabled:"},
      {nullptr, (home.dir() / "missing").string(), "disabled:"},
      {nullptr, "", "disabled:"},
      {nullptr, "relative/run", "disabled:"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(sessionBusAddress(c.given, c.runtimeDir.c_str()), c.expected)
        << (c.given ? c.given : "(unset)") << " / " << c.runtimeDir;
  EXPECT_EQ(sessionBusAddress(nullptr, nullptr), "disabled:");
  EXPECT_NE(socketAddress.find("run%20with%20space/bus"), std::string::npos) << socketAddress;
}

TEST(SessionBus, AnotherUsersSocketIsNotOurSession) {
  if (::getuid() != 0) GTEST_SKIP() << "needs root to give the socket away";
  test::TempHome home;
  UnixSocket socket(home.dir() / "bus");
  ASSERT_TRUE(socket.bound());
  ASSERT_EQ(::chown((home.dir() / "bus").c_str(), 4321, 4321), 0);
  EXPECT_EQ(sessionBusAddress(nullptr, home.dir().c_str()), "disabled:");
}

TEST(SessionBus, AddressValuesEscapeEveryByteOutsideTheSafeSet) {
  EXPECT_EQ(escapeBusAddressValue("/run/user/1000/bus"), "/run/user/1000/bus");
  EXPECT_EQ(escapeBusAddressValue("aZ09-_/.*"), "aZ09-_/.*");
  EXPECT_EQ(escapeBusAddressValue("a b,c=d;e%f\\"), "a%20b%2cc%3dd%3be%25f%5c");
  EXPECT_EQ(escapeBusAddressValue("\xe4\xb8\x80"), "%e4%b8%80");
}

TEST(SessionBus, SettlingSetsTheVariableThatHasSessionBusReads) {
  test::TempHome home;
  {
    test::ScopedEnv address("DBUS_SESSION_BUS_ADDRESS", nullptr);
    test::ScopedEnv runtime("XDG_RUNTIME_DIR", home.dir().c_str());
    settleSessionBus();
    ASSERT_NE(std::getenv("DBUS_SESSION_BUS_ADDRESS"), nullptr);
    EXPECT_STREQ(std::getenv("DBUS_SESSION_BUS_ADDRESS"), "disabled:");
    EXPECT_FALSE(hasSessionBus());

    UnixSocket socket(home.dir() / "bus");
    ASSERT_TRUE(socket.bound());
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    settleSessionBus();
    EXPECT_EQ(std::getenv("DBUS_SESSION_BUS_ADDRESS"),
              "unix:path=" + escapeBusAddressValue((home.dir() / "bus").string()));
    EXPECT_TRUE(hasSessionBus());
  }
  {
    test::ScopedEnv address("DBUS_SESSION_BUS_ADDRESS", "");
    EXPECT_FALSE(hasSessionBus());
  }
}

}  // namespace
}  // namespace lumora
