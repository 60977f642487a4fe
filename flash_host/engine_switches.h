// The web engine's command line for the player: everything in one process
// (no zygote, no separate renderer, GPU or audio process), drawing in
// software, Ruffle's WebAssembly compiled function by function as it runs
// and never recompiled, and the script heap bounded. Qt WebEngine reads it
// from QTWEBENGINE_CHROMIUM_FLAGS, which it splits at spaces: the script
// engine's own options therefore go in one word, separated by tabs (which
// the script engine takes as separators). Plain C++.
#pragma once

#include <string>

namespace lumora {

// Upper bounds of the page's script heap, in MB: Ruffle keeps a movie in its
// WebAssembly memory, so its scripts need little.
inline constexpr int kScriptHeapMb = 128;
inline constexpr int kYoungScriptHeapMb = 2;

// `given`: what the environment already holds (a user's or a test's
// switches). A switch it names keeps the given value, except the feature
// lists, which are merged; ours are added after it.
std::string playerEngineSwitches(const std::string& given);

}  // namespace lumora
