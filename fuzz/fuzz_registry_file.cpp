// The registry file's reader and writer: any bytes are read without a crash,
// and what was read, written and read again gives the same values and the
// same text (kept lines included). A string made of the input's last bytes,
// NUL and line breaks included, comes back whole.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/core/registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using lumora::RegistryFile;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  RegistryFile first = RegistryFile::parse(text);
  const std::string written = first.serialize();
  const RegistryFile second = RegistryFile::parse(written);
  if (second.values() != first.values()) std::abort();
  if (second.serialize() != written) std::abort();

  const std::string value(text.substr(size - std::min<std::size_t>(size, 24)));
  first.setString("HKEY_CURRENT_USER\\Control Panel\\Desktop", "mima", value);
  const RegistryFile third = RegistryFile::parse(first.serialize());
  if (third.string("HKEY_CURRENT_USER\\control panel\\desktop", "MIMA") != value) std::abort();
  if (third.values() != first.values()) std::abort();
  return 0;
}
