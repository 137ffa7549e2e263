#include "app/LocaleFormat.h"

#include <cstddef>

namespace fx {

namespace {

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsFieldLetter(char c) {
  return c == 'd' || c == 'M' || c == 'y';
}

// Copies a quoted literal, starting after its opening quote, without its ASCII letters
// and quotes (a quote would open a literal in the picture). "''" inside it is a quote.
// Returns the position after the closing quote (or the end).
std::size_t CopyQuoted(std::string_view pattern, std::size_t pos, std::string& out) {
  while (pos < pattern.size()) {
    const char c = pattern[pos++];
    if (c != '\'') {
      if (!IsAsciiLetter(c)) out += c;
    } else if (pos < pattern.size() && pattern[pos] == '\'') {
      ++pos;
    } else {
      break;
    }
  }
  return pos;
}

std::string Field(char letter, std::size_t count) {
  switch (letter) {
    case 'd':
      return count == 1 ? "d" : "dd";  // weekdays are handled by the caller
    case 'M':
      return count == 1 ? "m" : "mm";
    default:
      return count <= 2 ? "yy" : "yyyy";
  }
}

bool HasField(const std::string& picture) {
  for (const char c : picture)
    if (c == 'd' || c == 'm' || c == 'y') return true;
  return false;
}

}  // namespace

std::string DatePictureFromQtPattern(std::string_view pattern) {
  std::string out;
  std::size_t pos = 0;
  bool skipSeparators = false;
  while (pos < pattern.size()) {
    const char c = pattern[pos];
    if (IsFieldLetter(c)) {
      std::size_t count = 0;
      while (pos < pattern.size() && pattern[pos] == c) {
        ++count;
        ++pos;
      }
      skipSeparators = c == 'd' && count >= 3;
      if (!skipSeparators) out += Field(c, count);
      continue;
    }
    if (c == '\'') {
      std::string literal;
      pos = CopyQuoted(pattern, pos + 1, literal);
      if (!skipSeparators) out += literal;
      continue;
    }
    ++pos;
    if (IsAsciiLetter(c) || skipSeparators) continue;
    out += c;
  }
  // A weekday at the end leaves the separators before it behind.
  while (!out.empty() && (out.back() == ' ' || out.back() == ','))
    out.pop_back();
  return HasField(out) ? out : std::string();
}

TFormatSettings FormatSettingsFromLocale(const TLocaleConventions& locale) {
  TFormatSettings format;
  if (locale.DecimalPoint.size() == 1) format.DecimalSeparator = locale.DecimalPoint[0];
  format.ThousandSeparator = locale.GroupSeparator;
  const std::string picture = DatePictureFromQtPattern(locale.ShortDateFormat);
  if (!picture.empty()) format.ShortDateFormat = picture;
  return format;
}

}  // namespace fx
