#include "players/audio_backend_loader.h"
#include "platform/core/hooks.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "saver/core/media_device_error.h"

namespace lumora {

namespace fs = std::filesystem;

std::vector<std::string> AudioBackendModule::candidates() {
  if (const auto module = hookValue(Hook::AudioBackend)) return {*module};
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) return {kFileName};  // the loader's own search path
  const fs::path dir = exe.parent_path();
  // Beside the program (the build), or in the installed helpers' folder.
  return {(dir / kFileName).string(), (dir.parent_path() / kFileName).string(),
          (dir.parent_path() / "lib" / "lumora" / kFileName).string()};
}

AudioBackendModule::AudioBackendModule() {
  const std::vector<std::string> where = candidates();
  std::string looked;
  for (const std::string& path : where) {
    std::error_code ec;
    // A bare name goes to the dynamic loader's search; a path must exist.
    if (path.find('/') != std::string::npos && !fs::exists(path, ec)) {
      looked += (looked.empty() ? "" : ", ") + path;
      continue;
    }
    // Never unmapped: code of the module may still run in threads SDL
    // started, and its objects' tables must outlive every object.
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!handle_) {
      const char* why = ::dlerror();
      throw MediaDeviceError("The audio back end " + path + " cannot be loaded: " + (why ? why : "unknown error"));
    }
    const auto entry = reinterpret_cast<AudioBackendEntry>(::dlsym(handle_, kAudioBackendEntryName));
    backend_ = entry ? entry(kAudioBackendVersion) : nullptr;
    if (!backend_) {
      ::dlclose(handle_);
      handle_ = nullptr;
      throw MediaDeviceError("The audio back end " + path + " is not one this program can use.");
    }
    return;
  }
  throw MediaDeviceError(std::string("The audio back end ") + kFileName + " is missing (looked for " + looked + ").");
}

AudioBackendModule::~AudioBackendModule() {
  if (handle_) ::dlclose(handle_);
}

}  // namespace lumora
