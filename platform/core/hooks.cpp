#include "platform/core/hooks.h"

#include <charconv>
#include <cstdlib>

namespace lumora {

namespace {

constexpr HookInfo kHooks[] = {
    {Hook::Effect, "LUMORA_EFFECT", "every transition of the show is this effect number, 0 to 121 (benchmarks)"},
    {Hook::Seed, "LUMORA_SEED", "the show's random generator starts from this seed, not the time of day"},
    {Hook::ExitAfterFirstFrame, "LUMORA_EXIT_AFTER_FIRST_FRAME",
     "print \"first frame\" and end once the show is painted"},
    {Hook::StepTimes, "LUMORA_STEP_TIMES", "print when each slide step starts and ends (benchmarks)"},
    {Hook::IdleSeconds, "LUMORA_IDLE_SECONDS", "--idle counts the idle time in seconds instead of minutes"},
    {Hook::Shutdown, "LUMORA_SHUTDOWN", "\"print\": the shutdown countdown prints a line instead of powering off"},
    {Hook::Audio, "LUMORA_AUDIO", "\"silent\": songs play on a silent clock instead of the sound device"},
    {Hook::AudioBackend, "LUMORA_AUDIO_BACKEND", "the audio back end module to load instead of the installed one"},
    {Hook::FlashProgram, "LUMORA_FLASH_BIN", "the Flash player program to run instead of lumora-flash"},
    {Hook::FlashDebug, "LUMORA_FLASH_DEBUG", "the Flash player and its control print what passes between them"},
    {Hook::RuffleDir, "LUMORA_RUFFLE_DIR", "the folder lumora-flash serves Ruffle's files from"},
    {Hook::ScalarPixels, "LUMORA_SCALAR_PIXELS", "readers reorder pixels with plain loops, not SSSE3 (same pictures)"},
    {Hook::LockRestartMs, "LUMORA_LOCK_RESTART_MS", "the longest wait of the lock before it starts the show again"},
    {Hook::ShmPresent, "LUMORA_SHM_PRESENT", "\"0\": the stage presents through Qt, not from its shared memory"},
};

}  // namespace

std::span<const HookInfo> hooks() { return kHooks; }

std::optional<std::string> hookValue(Hook hook) {
  for (const HookInfo& info : kHooks)
    if (info.hook == hook) {
      const char* value = std::getenv(info.variable);
      if (!value || !*value) return std::nullopt;
      return std::string(value);
    }
  return std::nullopt;
}

bool hookOn(Hook hook) {
  const std::optional<std::string> value = hookValue(hook);
  return value && *value != "0";
}

std::optional<std::int64_t> hookNumber(Hook hook) {
  const std::optional<std::string> value = hookValue(hook);
  if (!value) return std::nullopt;
  std::int64_t number = 0;
  const auto [end, error] = std::from_chars(value->data(), value->data() + value->size(), number);
  if (error != std::errc() || end != value->data() + value->size()) return std::nullopt;
  return number;
}

}  // namespace lumora
