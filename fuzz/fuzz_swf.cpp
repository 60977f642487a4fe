// libFuzzer target: the SWF reader (the three header forms, decompression
// and the tag walk) on arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "players/swf_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    lumora::readSwf(data, size);
  } catch (const lumora::SwfError&) {
  }
  return 0;
}
