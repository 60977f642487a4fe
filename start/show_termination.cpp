#include "start/show_termination.h"

#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "saver/ui/saver_window.h"

namespace lumora {

namespace {

// Helper processes this process started (players) end with it, also when
// the end cannot wait for their owners' destructors.
void endChildProcesses() {
  const pid_t self = ::getpid();
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    std::getline(stat, line);
    // pid (comm) state ppid ...: the command may hold blanks and parentheses.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    char state = 0;
    long ppid = 0;
    if (std::sscanf(line.c_str() + close + 1, " %c %ld", &state, &ppid) == 2 && ppid == self)
      ::kill(pid_t(std::stol(name)), SIGTERM);
  }
}

}  // namespace

ShowTermination::ShowTermination(SaverWindow& saver) {
  QObject::connect(&signals_, &TerminationSignals::received, &saver, [&saver] {
    // A transition that is running keeps the main loop waiting until it
    // returns; whoever sent the signal wants the screen back now.
    QTimer::singleShot(kEndGraceMs, [] {
      std::fputs("lumora: ended without waiting for the running transition\n", stderr);
      endChildProcesses();
      std::_Exit(0);
    });
    saver.endShow();
  });
}

}  // namespace lumora
