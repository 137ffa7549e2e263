#pragma once

// ASCII case for the program's 8-bit texts and file names: other bytes unchanged (Quake's
// names are bytes, not UTF-8).

#include <string>
#include <string_view>

namespace fx {

constexpr char LowerAsciiChar(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = LowerAsciiChar(c);
  return out;
}

}  // namespace fx
