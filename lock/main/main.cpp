#include "lock/run_lock.h"

int main(int argc, char** argv) { return lumora::runLock(argc, argv); }
