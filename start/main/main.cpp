// lumora: the screensaver ("/S"), its settings window ("/C") and the
// password window ("/A"), chosen by the first argument.
#include "start/mode.h"

int main(int argc, char** argv) { return lumora::runMode(lumora::modeOf(argc, argv), argc, argv); }
