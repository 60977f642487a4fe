// libFuzzer target: the png reader on arbitrary bytes.
#include "fuzz/fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lumora::fuzz::readAndDraw(lumora::readPng, {{data, size}, {}});
  return 0;
}
