// lumora: the screensaver ("/S"), its settings window ("/C") and the
// password window ("/A"), chosen by the first argument; the Linux options
// (module mode, the idle start, --help, --version) beside them.
#include "platform/core/session_bus.h"
#include "start/mode.h"

int main(int argc, char** argv) {
  // Before Qt or any thread looks at the environment: never start a bus.
  lumora::settleSessionBus();
  return lumora::runLumora(argc, argv);
}
