// The stored form of the texts "label" (opening caption) and "mima"
// (password): each ANSI byte of the text followed by the letter 'A'.
#pragma once

#include <string>
#include <string_view>

namespace lumora {

// "abc" -> "aAbAcA"; an empty text gives an empty string. Bytes, not
// characters: a double-byte character gives four bytes.
std::string encodeStoredText(std::string_view ansi);

// The bytes at positions 1, 3, 5, ... (counting from 1) of the stored form.
// "aAbAcA" -> "abc"; a stored value of odd length loses its last byte.
std::string decodeStoredText(std::string_view stored);

}  // namespace lumora
