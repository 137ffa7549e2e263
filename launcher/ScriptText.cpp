#include "launcher/ScriptText.h"

#include "platform/RegularFile.h"

#include <algorithm>

namespace fx {

namespace {

char QuotedChar(char c) {
  if (c == '"') return '\'';
  if (c == '\r' || c == '\n') return ' ';
  return c;
}

std::string Digits(int value, int width) {
  std::string text = std::to_string(value);
  while (static_cast<int>(text.size()) < width)
    text.insert(text.begin(), '0');
  return text;
}

std::string DateField(char letter, std::size_t count, const TDate& date) {
  switch (letter) {
    case 'd':
      return Digits(date.Day, count >= 2 ? 2 : 1);
    case 'm':
      return Digits(date.Month, count >= 2 ? 2 : 1);
    default:
      return count <= 2 ? Digits(date.Year % 100, 2) : Digits(date.Year, 4);
  }
}

}  // namespace

std::string QuotedValue(std::string_view text) {
  std::string out;
  AppendQuotedValue(out, text);
  return out;
}

void AppendQuotedValue(std::string& out, std::string_view text) {
  const std::size_t from = out.size();
  out.append(text);
  std::transform(out.begin() + static_cast<std::ptrdiff_t>(from), out.end(),
                 out.begin() + static_cast<std::ptrdiff_t>(from), QuotedChar);
}

std::string BareValue(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= ' ' || byte == 0x7F || c == ';' || c == '"') c = '_';
  }
  return out;
}

std::string EchoLine(std::string_view text) {
  return "echo \"" + QuotedValue(text) + "\"";
}

std::string HighlightLine(std::string_view text) {
  return "echo \"\x02" + QuotedValue(text) + "\"";
}

std::string RuleLine(TRulePlace place, bool dedicated) {
  // The lengths differ by place; the game's console shows each rule as it always has.
  const std::size_t middle = place == TRulePlace::Banner ? 34 : 35;
  if (dedicated) {
    const std::size_t equals = place == TRulePlace::ServerSummary ? 37 : 36;
    return "echo \"" + std::string(equals, '=') + "\"";
  }
  return "echo \"\x1D" + std::string(middle, '\x1E') + "\x1F\"";
}

bool LessIgnoringCase(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(LowerAsciiChar(x)) <
           static_cast<unsigned char>(LowerAsciiChar(y));
  });
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAsciiChar(x) == LowerAsciiChar(y);
         });
}

std::string FormatShortDate(const TDate& date, std::string_view picture) {
  std::string out;
  std::size_t pos = 0;
  while (pos < picture.size()) {
    const char c = LowerAsciiChar(picture[pos]);
    if (c != 'd' && c != 'm' && c != 'y') {
      out += picture[pos++];
      continue;
    }
    std::size_t count = 0;
    while (pos < picture.size() && LowerAsciiChar(picture[pos]) == c) {
      ++count;
      ++pos;
    }
    out += DateField(c, count, date);
  }
  return out;
}

TScriptLines ScriptHeader(std::string_view dateText) {
  return {"// created by Fraxinel", "", "// " + std::string(dateText)};
}

std::string ScriptBytes(const TScriptLines& lines) {
  // A map listing runs to thousands of lines: one allocation rather than a dozen regrowths.
  std::size_t size = 0;
  for (const std::string& line : lines)
    size += line.size() + 2;
  std::string bytes;
  bytes.reserve(size);
  for (const std::string& line : lines) {
    bytes += line;
    bytes += "\r\n";
  }
  return bytes;
}

void WriteScript(const std::filesystem::path& file, const TScriptLines& lines) {
  try {
    WriteRegularFile(file, ScriptBytes(lines));
  } catch (const EFileOpenError& e) {
    throw EScriptWriteError("Cannot write the file \"" + file.string() + "\": " + e.Reason() + ".");
  }
}

}  // namespace fx
