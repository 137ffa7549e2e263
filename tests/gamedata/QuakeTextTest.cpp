#include "gamedata/QuakeText.h"

#include <gtest/gtest.h>

#include <string>

namespace fx {
namespace {

struct TQuakeTextCase {
  const char* Name;
  std::string Bytes;
  std::string Shown;
};

TEST(QuakeTextTest, ShowsTheGlyphsAsTheirPlainLookAlikes) {
  const TQuakeTextCase cases[] = {
      {"plain text", "E1M1: The Slipgate Complex", "E1M1: The Slipgate Complex"},
      {"upper half letters", "\xD4\xE8\xE5\xA0\xC4\xE1\xF2\xEB", "The Dark"},
      {"gold brackets and digits", "\x90\x92\x93\x91 \x10\x1B\x11", "[01] [9]"},
      {"rule pieces", "\x1D\x1E\x1E\x1F \x9D\x9F", "---- --"},
      {"dots", std::string("\x05\x0E\x0F\x1C\x85", 5), "\u2022\u2022\u2022\u2022\u2022"},
      {"menu arrow, tab and line break", "\x0D\tA\nB\x8A", "> A B "},
      {"other glyphs", std::string("\x00\x01\x80\x7F\xFF", 5), "\u2022_\u2022__"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(QuakeTextToUtf8(c.Bytes), c.Shown) << c.Name;
}

TEST(QuakeTextTest, EveryByteShowsAsPrintableTextAndBothHalvesAlike) {
  for (int byte = 0; byte < 128; ++byte) {
    const std::string low = QuakeTextToUtf8(std::string(1, static_cast<char>(byte)));
    EXPECT_EQ(QuakeTextToUtf8(std::string(1, static_cast<char>(byte + 128))), low) << byte;
    // ASCII without control characters, or the bullet.
    EXPECT_TRUE(low == "\u2022" || (low.size() == 1 && low[0] >= 0x20 && low[0] < 0x7F)) << byte;
  }
}

}  // namespace
}  // namespace fx
