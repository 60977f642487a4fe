// libFuzzer target: Windows metafiles (placeable or standard header).
#include "fuzz/fuzz_metafile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  if (lumora::metafile::looksLikeEnhanced(bytes)) return -1;  // fuzz_emf's inputs
  lumora::fuzz::renderSmall(bytes);
  return 0;
}
