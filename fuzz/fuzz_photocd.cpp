// libFuzzer target: the Photo-CD reader. A real file is at least 768 KB, far
// more than a fuzzer likes to mutate, so the input is laid into a file
// skeleton: its first byte is the orientation byte (its high bit spoils the
// signature, so that the refusal is reached too, and its bit 6 cuts the file
// right after the input, so that the check of a short file is reached); the
// rest is the image data from the base image's offset on, padded with zeros
// to the whole base image.
#include <algorithm>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t kBase = 0x30000;
  constexpr std::size_t kBaseBytes = 768 * 512 * 3 / 2;  // luma and both chroma planes
  if (size == 0) return 0;
  const bool cut = (data[0] & 0x40) != 0;
  std::vector<std::uint8_t> file(kBase + (cut ? size - 1 : std::max(size - 1, kBaseBytes)), 0);
  if (!(data[0] & 0x80)) std::memcpy(file.data() + 2048, "PCD_IPI", 7);
  file[194635] = data[0];
  std::memcpy(file.data() + kBase, data + 1, size - 1);
  lumora::fuzz::readAndDraw(lumora::readPhotoCd, {file, {}});
  return 0;
}
