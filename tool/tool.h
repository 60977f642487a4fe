// lumora-tool: the engine from the command line, without the show.
#pragma once

#include <string>
#include <vector>

namespace lumora::tool {

// Thrown for wrong arguments: the tool prints the usage line and exits 2.
struct UsageError {
  std::string what;
};

// Options of the form --name value after the positional arguments.
class Args {
 public:
  Args(std::vector<std::string> positional, std::vector<std::pair<std::string, std::string>> options)
      : positional_(std::move(positional)), options_(std::move(options)) {}
  static Args parse(int argc, char** argv, int first, const std::vector<std::string>& known);

  const std::vector<std::string>& positional() const { return positional_; }
  bool has(const std::string& name) const;
  std::string get(const std::string& name, const std::string& fallback = {}) const;
  int getInt(const std::string& name, int fallback) const;
  // "WxH"
  void getSize(const std::string& name, int& w, int& h) const;

 private:
  std::vector<std::string> positional_;
  std::vector<std::pair<std::string, std::string>> options_;
};

int runEffect(const Args& args);
int runDecode(const Args& args);
int runCompose(const Args& args);
int runGallery(const Args& args);

}  // namespace lumora::tool
