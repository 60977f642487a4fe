#include "flash_host/engine_switches.h"

#include <vector>

namespace lumora {

namespace {

struct Switch {
  std::string name;   // with its dashes
  std::string value;  // empty: a switch without a value
  bool list = false;  // a comma-separated list that is merged with the given one
};

std::vector<Switch> ourSwitches() {
  // The script engine's options, one word (see the header).
  const std::string script = "--max-old-space-size=" + std::to_string(kScriptHeapMb) +
                             "\t--max-semi-space-size=" + std::to_string(kYoungScriptHeapMb) +
                             "\t--wasm-lazy-compilation\t--no-wasm-tier-up"
                             // The page collects what a movie's loading left behind.
                             "\t--expose-gc";
  return {
      // Browser, renderer, network and audio in the player's own process.
      {"--single-process", ""},
      {"--disable-gpu", ""},
      {"--disable-gpu-compositing", ""},
      // Movies start with their sound, without waiting for a click.
      {"--autoplay-policy", "no-user-gesture-required"},
      {"--js-flags", script},
      {"--enable-features", "WebAssemblyLazyCompilation", true},
      {"--disable-features", "AudioServiceOutOfProcess,WebAssemblyTiering,BackForwardCache", true},
  };
}

std::string nameOf(const std::string& word) { return word.substr(0, word.find('=')); }

}  // namespace

std::string playerEngineSwitches(const std::string& given) {
  // Split at spaces only, as the web engine does: a tab belongs to its word.
  std::vector<std::string> words;
  std::size_t start = 0;
  while (start <= given.size()) {
    std::size_t space = given.find(' ', start);
    if (space == std::string::npos) space = given.size();
    if (space > start) words.push_back(given.substr(start, space - start));
    start = space + 1;
  }
  for (const Switch& s : ourSwitches()) {
    bool present = false;
    for (std::string& w : words) {
      if (nameOf(w) != s.name) continue;
      present = true;
      if (!s.list) continue;
      if (w.size() == s.name.size()) w += '=';
      if (w.back() != '=') w += ',';
      w += s.value;
    }
    if (!present) words.push_back(s.value.empty() ? s.name : s.name + "=" + s.value);
  }
  std::string out;
  for (const std::string& w : words) out += (out.empty() ? "" : " ") + w;
  return out;
}

}  // namespace lumora
