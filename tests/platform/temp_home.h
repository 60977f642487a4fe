// A scratch LUMORA_HOME for one test: a fresh folder under /tmp that the
// environment points at while the object lives, removed afterwards. The
// variables it touches are put back as they were.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace lumora::test {

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      ::setenv(name_.c_str(), old_->c_str(), 1);
    else
      ::unsetenv(name_.c_str());
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

class TempHome {
 public:
  TempHome() : dir_(makeDir()), env_("LUMORA_HOME", dir_.c_str()) {}
  ~TempHome() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  const std::filesystem::path& dir() const { return dir_; }

 private:
  static std::filesystem::path makeDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lumora-test-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) std::abort();
    return std::filesystem::path(name.data());
  }

  std::filesystem::path dir_;
  ScopedEnv env_;
};

}  // namespace lumora::test
