// lumora: the screensaver ("/S"), its settings window ("/C") and the
// password window ("/A"), chosen by the first argument; the Linux options
// (module mode, the idle start, --help, --version) beside them.
#include "start/mode.h"

int main(int argc, char** argv) { return lumora::runLumora(argc, argv); }
