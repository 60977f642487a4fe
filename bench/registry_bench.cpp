// Parsing the registry file: a file of 1 MB and one of 16 MB (the largest
// read), most of it values of one key, as a settings file that has grown
// by hand or by other programs would be. Parsing was quadratic in the number
// of values of a key; it is linear now, so the time per byte is the same
// at both sizes.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/core/registry_file.h"

namespace {

// REGEDIT4 text of about `bytes` bytes: the show's key, then numbered dword
// and string values.
std::string registryText(std::size_t bytes) {
  std::string text =
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n\"ScreenSaveUsePassword\"=dword:00000001\r\n"
      "\r\n[HKEY_CURRENT_USER\\software\\vistel]\r\n";
  for (int i = 0; text.size() < bytes; ++i) {
    if (i % 2 == 0)
      text += "\"value" + std::to_string(i) + "\"=dword:0000" + std::to_string(1000 + i % 9000) + "\r\n";
    else
      text += "\"text" + std::to_string(i) + "\"=\"/home/user/Pictures/picture " + std::to_string(i) + ".jpg\"\r\n";
  }
  return text;
}

void BM_ParseRegistryFile(benchmark::State& state) {
  const std::string text = registryText(std::size_t(state.range(0)) << 20);
  for (auto _ : state) {
    lumora::RegistryFile registry = lumora::RegistryFile::parse(text);
    benchmark::DoNotOptimize(registry.dword("HKEY_CURRENT_USER\\software\\vistel", "value0"));
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}
BENCHMARK(BM_ParseRegistryFile)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
