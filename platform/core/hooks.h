// The environment variables the programs read for tests, benchmarks and
// debugging, all in one table (hooks.cpp) with a line each on what they do.
// Settings a user sets (LUMORA_HOME, XSCREENSAVER_WINDOW, the session bus)
// are not hooks: paths.h and session_bus.h read those.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace lumora {

enum class Hook {
  Effect,               // LUMORA_EFFECT
  Seed,                 // LUMORA_SEED
  ExitAfterFirstFrame,  // LUMORA_EXIT_AFTER_FIRST_FRAME
  StepTimes,            // LUMORA_STEP_TIMES
  IdleSeconds,          // LUMORA_IDLE_SECONDS
  Shutdown,             // LUMORA_SHUTDOWN
  Audio,                // LUMORA_AUDIO
  AudioBackend,         // LUMORA_AUDIO_BACKEND
  FlashProgram,         // LUMORA_FLASH_BIN
  FlashDebug,           // LUMORA_FLASH_DEBUG
  RuffleDir,            // LUMORA_RUFFLE_DIR
  ScalarPixels,         // LUMORA_SCALAR_PIXELS
  LockRestartMs,        // LUMORA_LOCK_RESTART_MS
  ShmPresent,           // LUMORA_SHM_PRESENT
};

struct HookInfo {
  Hook hook;
  const char* variable;
  const char* what;
};

// Every hook, in the order above.
std::span<const HookInfo> hooks();

// The hook's value when it is set and not empty.
std::optional<std::string> hookValue(Hook hook);
// Set, not empty and not "0".
bool hookOn(Hook hook);
// The value as a whole number, when it is one.
std::optional<std::int64_t> hookNumber(Hook hook);

}  // namespace lumora
