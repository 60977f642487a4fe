// The show's start-up pass over a picture list whose entries are missing:
// the list file read and split, then every missing entry dropped. The
// reference is the pass that deleted missing entries one at a time from the
// front of the list, run on the same list in the same process.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "saver/core/missing_entries.h"
#include "settings/list_file.h"

namespace {

namespace fs = std::filesystem;

// A picture list file of n entries naming files that do not exist.
const fs::path& listOfMissing(int n) {
  static fs::path path;
  static int made = 0;
  if (made != n) {
    std::string pattern = (fs::temp_directory_path() / "lumora-bench-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const fs::path dir = ::mkdtemp(name.data());
    path = dir / "pic.txt";
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < n; ++i) out << dir.string() << "/missing/picture" << i << ".jpg\r\n";
    made = n;
  }
  return path;
}

void BM_StartupPass(benchmark::State& state) {
  const fs::path& path = listOfMissing(int(state.range(0)));
  for (auto _ : state) {
    std::vector<std::string> entries = lumora::readListFile(path, lumora::ListKind::Paths);
    lumora::dropMissingEntries(entries);
    benchmark::DoNotOptimize(entries.data());
  }
}

// The former pass: with i from 0 while i is not the last index, keep entry i
// when its file exists, else erase it (moving every later entry).
void BM_StartupPassErasingOneByOne(benchmark::State& state) {
  const fs::path& path = listOfMissing(int(state.range(0)));
  for (auto _ : state) {
    std::vector<std::string> entries = lumora::readListFile(path, lumora::ListKind::Paths);
    int i = 0;
    while (i != int(entries.size()) - 1) {
      if (lumora::entryFileExists(entries[std::size_t(i)]))
        ++i;
      else
        entries.erase(entries.begin() + i);
    }
    benchmark::DoNotOptimize(entries.data());
  }
}

BENCHMARK(BM_StartupPass)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupPassErasingOneByOne)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
