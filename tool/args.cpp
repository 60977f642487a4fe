#include <algorithm>
#include <cstdlib>

#include "tool/tool.h"

namespace lumora::tool {

Args Args::parse(int argc, char** argv, int first, const std::vector<std::string>& known) {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> options;
  for (int i = first; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      const std::string name = a.substr(2);
      if (std::find(known.begin(), known.end(), name) == known.end()) throw UsageError{"unknown option " + a};
      if (i + 1 >= argc) throw UsageError{"option " + a + " needs a value"};
      options.emplace_back(name, argv[++i]);
    } else {
      positional.push_back(a);
    }
  }
  return Args(std::move(positional), std::move(options));
}

bool Args::has(const std::string& name) const {
  return std::any_of(options_.begin(), options_.end(), [&](const auto& o) { return o.first == name; });
}

std::string Args::get(const std::string& name, const std::string& fallback) const {
  for (auto it = options_.rbegin(); it != options_.rend(); ++it)
    if (it->first == name) return it->second;
  return fallback;
}

namespace {
bool parseInt(const std::string& s, int& out) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(s.c_str(), &end, 10);
  if (*end != '\0' || errno != 0 || v < -2147483647L - 1 || v > 2147483647L) return false;
  out = int(v);
  return true;
}
}  // namespace

int Args::getInt(const std::string& name, int fallback) const {
  if (!has(name)) return fallback;
  int v = 0;
  if (!parseInt(get(name), v)) throw UsageError{"--" + name + " needs a whole number"};
  return v;
}

void Args::getSize(const std::string& name, int& w, int& h) const {
  if (!has(name)) return;
  const std::string v = get(name);
  const auto x = v.find_first_of("xX");
  int a = 0, b = 0;
  if (x == std::string::npos || !parseInt(v.substr(0, x), a) || !parseInt(v.substr(x + 1), b) || a <= 0 || b <= 0 ||
      a > 16384 || b > 16384)
    throw UsageError{"--" + name + " needs WIDTHxHEIGHT, 1 to 16384 each"};
  w = a;
  h = b;
}

}  // namespace lumora::tool
