// libFuzzer target: the gif reader on arbitrary bytes.
#include "fuzz/fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lumora::fuzz::readAndDraw(lumora::readGif, {{data, size}, {}});
  return 0;
}
