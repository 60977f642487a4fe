// libFuzzer target: the Photo-CD reader. A real file is at least 768 KB, far
// more than a fuzzer likes to mutate, so the input is laid into a file
// skeleton: its first byte is the orientation byte (its high bit spoils the
// signature, so that the refusal is reached too), the rest is the image data
// from the base image's offset on.
#include <cstring>
#include <vector>

#include "fuzz/fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::vector<std::uint8_t> file(0x30000 + size - 1, 0);
  if (!(data[0] & 0x80)) std::memcpy(file.data() + 2048, "PCD_IPI", 7);
  file[194635] = data[0];
  std::memcpy(file.data() + 0x30000, data + 1, size - 1);
  lumora::fuzz::readAndDraw(lumora::readPhotoCd, {file, {}});
  return 0;
}
