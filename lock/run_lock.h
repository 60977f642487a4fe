// lumora-lock's start: `lumora-lock --show PATH`, PATH the lumora program
// to run the show with.
#pragma once

namespace lumora {

int runLock(int argc, char** argv);

}  // namespace lumora
