#include "ui/HintText.h"

#include <algorithm>
#include <limits>

namespace fx {

namespace {

bool IsAscii(char c) {
  return static_cast<unsigned char>(c) < 0x80;
}

// Deletes the first `command` of `text`; true when there was one.
bool TakeCommand(std::string& text, char command) {
  const auto at = text.find(command);
  if (at == std::string::npos) return false;
  text.erase(at, 1);
  return true;
}

}  // namespace

void THintCommands::SetColorCmd(char value) {
  if (IsAscii(value)) FColorCmd = value;
}

void THintCommands::SetFixedCmd(char value) {
  if (IsAscii(value)) FFixedCmd = value;
}

void THintCommands::SetLineCmd(char value) {
  if (IsAscii(value)) FLineCmd = value;
}

void THintCommands::SetFixedWitdh(int value) {
  if (value < kMinFixedWitdh || value > std::numeric_limits<std::uint16_t>::max()) return;
  FFixedWitdh = static_cast<std::uint16_t>(value);
}

std::string ShortHint(const std::string& hint) {
  return hint.substr(0, hint.find('|'));
}

THint ProcessHintText(const std::string& hint, const THintCommands& commands,
                      std::int32_t controlTag) {
  THint result{ShortHint(hint), std::nullopt, std::nullopt};
  if (!commands.CmdsEnabled()) return result;
  if (TakeCommand(result.Text, commands.FixedCmd())) result.FixedWidth = commands.FixedWitdh();
  if (TakeCommand(result.Text, commands.ColorCmd())) result.Color = controlTag;
  // The line command replaces itself, not whatever character now stands where it stood
  // before the other commands were deleted.
  std::replace(result.Text.begin(), result.Text.end(), commands.LineCmd(), '\n');
  return result;
}

std::optional<std::uint32_t> RgbFromColorValue(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  if ((bits & 0xFF000000u) != 0) return std::nullopt;
  const std::uint32_t red = bits & 0xFFu;
  const std::uint32_t green = (bits >> 8) & 0xFFu;
  const std::uint32_t blue = (bits >> 16) & 0xFFu;
  return (red << 16) | (green << 8) | blue;
}

THintPoint HintPosition(THintPoint proposed, THintPoint cursor, int cursorHeight) {
  THintPoint result{cursor.X, proposed.Y};
  const int cursorBottom = cursor.Y + cursorHeight;
  if (result.Y < cursorBottom) result.Y = cursorBottom - cursorHeight / 8;
  return result;
}

}  // namespace fx
