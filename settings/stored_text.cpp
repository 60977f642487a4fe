#include "settings/stored_text.h"

namespace lumora {

std::string encodeStoredText(std::string_view ansi) {
  std::string stored;
  stored.reserve(ansi.size() * 2);
  for (const char byte : ansi) {
    stored.push_back(byte);
    stored.push_back('A');
  }
  return stored;
}

std::string decodeStoredText(std::string_view stored) {
  // Positions 1, 3, 5, ... counted from 1 are indices 0, 2, 4, ...; a last
  // byte without its partner is dropped.
  std::string text;
  text.reserve(stored.size() / 2);
  for (std::size_t p = 1; p < stored.size(); p += 2) text.push_back(stored[p - 1]);
  return text;
}

}  // namespace lumora
