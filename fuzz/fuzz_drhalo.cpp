// libFuzzer target: the Dr. Halo reader on arbitrary bytes. When the first
// byte is odd, the next two give the length of a palette file that is
// written beside the picture's path, so the palette parser is fuzzed too.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "fuzz/fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size >= 3 && (data[0] & 1)) {
    std::size_t paletteLength = std::size_t(data[1] | (data[2] << 8));
    data += 3, size -= 3;
    if (paletteLength > size) paletteLength = size;
    const std::string stem = "/tmp/lumora_fuzz_drhalo_" + std::to_string(getpid());
    {
      std::ofstream pal(stem + ".pal", std::ios::binary | std::ios::trunc);
      pal.write(reinterpret_cast<const char*>(data), std::streamsize(paletteLength));
    }
    lumora::fuzz::readAndDraw(lumora::readDrHalo, {{data + paletteLength, size - paletteLength}, stem + ".cut"});
    std::remove((stem + ".pal").c_str());
    return 0;
  }
  lumora::fuzz::readAndDraw(lumora::readDrHalo, {{data, size}, {}});
  return 0;
}
