#include "gamedata/QuakeText.h"

#include <array>

namespace fx {

namespace {

constexpr std::string_view kBullet = "\xE2\x80\xA2";  // U+2022

// What each glyph of the lower half shows as; printable ASCII stands for itself.
// clang-format off
constexpr std::array<std::string_view, 32> kLowGlyphs = {
    kBullet, "_", "_", "_", "_", kBullet, "_",     "_",      // 0-7
    "_",     " ", " ", "_", ">", ">",     kBullet, kBullet,  // 8-15: tab, line break, arrow
    "[",     "]", "0", "1", "2", "3",     "4",     "5",      // 16-23: gold brackets, digits
    "6",     "7", "8", "9", kBullet, "-", "-",     "-"};     // 24-31: rule pieces
// clang-format on

}  // namespace

std::string QuakeTextToUtf8(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (const char c : text) {
    const unsigned char glyph = static_cast<unsigned char>(c) & 0x7F;
    if (glyph < kLowGlyphs.size())
      result += kLowGlyphs[glyph];
    else if (glyph == 0x7F)
      result += '_';
    else
      result += static_cast<char>(glyph);
  }
  return result;
}

}  // namespace fx
