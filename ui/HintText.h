#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace fx {

// The command characters that hint texts may carry, and the width a hint gets when it asks
// for the fixed width. Command characters are ASCII only: hint texts are UTF-8, where a
// byte above 127 is part of a longer character and deleting it would break the text.
class THintCommands {
 public:
  static constexpr int kMinFixedWitdh = 100;

  bool CmdsEnabled() const { return FCmdsEnabled; }
  void SetCmdsEnabled(bool value) { FCmdsEnabled = value; }

  char ColorCmd() const { return FColorCmd; }
  char FixedCmd() const { return FFixedCmd; }
  char LineCmd() const { return FLineCmd; }
  // A character outside ASCII is refused: the old one stays.
  void SetColorCmd(char value);
  void SetFixedCmd(char value);
  void SetLineCmd(char value);

  std::uint16_t FixedWitdh() const { return FFixedWitdh; }
  // Values below kMinFixedWitdh (and above the 16-bit range) are refused: the old width
  // stays.
  void SetFixedWitdh(int value);

 private:
  bool FCmdsEnabled = true;
  char FColorCmd = '#';
  char FFixedCmd = '&';
  char FLineCmd = '@';
  std::uint16_t FFixedWitdh = 150;
};

// What a hint shows once its command characters are handled.
struct THint {
  std::string Text;  // "\n" breaks lines
  // The hint is wrapped at this width instead of the screen's.
  std::optional<int> FixedWidth;
  // The colour value the hint asked for: the showing control's tag.
  std::optional<std::int32_t> Color;

  friend bool operator==(const THint&, const THint&) = default;
};

// The short part of a hint text: everything before the first "|". The rest is the long
// hint, meant for a status line, never for the hint window.
std::string ShortHint(const std::string& hint);

// The hint that `hint` gives when shown by a control whose tag is `controlTag`: the short
// part, and, with the commands enabled, the first FixedCmd and the first ColorCmd deleted
// (asking for the fixed width and for the tag's colour) and every LineCmd made a line break.
THint ProcessHintText(const std::string& hint, const THintCommands& commands,
                      std::int32_t controlTag);

// A colour value as the program stores it in a tag (0x00BBGGRR) as 0xRRGGBB; nothing for
// the values that name system or palette colours (any bit of the top byte set).
std::optional<std::uint32_t> RgbFromColorValue(std::int32_t value);

struct THintPoint {
  int X = 0;
  int Y = 0;

  friend bool operator==(const THintPoint&, const THintPoint&) = default;
};

// Where a hint proposed at `proposed` goes: at the cursor's x position, and never over
// the cursor: a hint whose top lies above the cursor's bottom (cursor y plus its height)
// moves down to that bottom less one eighth of the cursor's height.
THintPoint HintPosition(THintPoint proposed, THintPoint cursor, int cursorHeight);

}  // namespace fx
