#include "gamedata/QuakeText.h"

#include <array>

namespace fx {

namespace {

constexpr std::string_view kBullet = "\xE2\x80\xA2";  // U+2022

// What each glyph of the lower half shows as, and the one plain character that stands for
// it where text is compared (a bullet compares as '.'); printable ASCII stands for itself.
struct TGlyph {
  std::string_view Shown;
  char Plain;
};
constexpr TGlyph Dot{kBullet, '.'};
constexpr TGlyph Blank{" ", ' '};
constexpr TGlyph Other{"_", '_'};
constexpr TGlyph Arrow{">", '>'};
constexpr TGlyph Rule{"-", '-'};
// clang-format off
constexpr std::array<TGlyph, 32> kLowGlyphs = {{
    Dot,   Other, Other, Other, Other, Dot,   Other, Other,  // 0-7
    Other, Blank, Blank, Other, Arrow, Arrow, Dot,   Dot,    // 8-15: tab, line break, arrow
    {"[", '['}, {"]", ']'}, {"0", '0'}, {"1", '1'},          // 16-19: gold brackets, digits
    {"2", '2'}, {"3", '3'}, {"4", '4'}, {"5", '5'},          // 20-23
    {"6", '6'}, {"7", '7'}, {"8", '8'}, {"9", '9'},          // 24-27
    Dot,   Rule,  Rule,  Rule}};                             // 28-31: rule pieces
// clang-format on

}  // namespace

std::string QuakeTextToUtf8(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (const char c : text) {
    const unsigned char glyph = static_cast<unsigned char>(c) & 0x7F;
    if (glyph < kLowGlyphs.size())
      result += kLowGlyphs[glyph].Shown;
    else
      result += QuakePlainChar(c);
  }
  return result;
}

char QuakePlainChar(char byte) {
  const unsigned char glyph = static_cast<unsigned char>(byte) & 0x7F;
  if (glyph < kLowGlyphs.size()) return kLowGlyphs[glyph].Plain;
  return glyph == 0x7F ? '_' : static_cast<char>(glyph);
}

}  // namespace fx
