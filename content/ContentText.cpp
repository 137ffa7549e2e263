#include "content/ContentText.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace fx {

namespace {

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '.' || c == '+' || c == '-';
}

// Each byte's lower-case hexadecimal digit, or 0 for a byte that is none: the hashes of the
// JSON records' file trees (64 digits each, over 100,000 of them) are checked a byte a look-up.
constexpr std::array<char, 256> kHexDigits = [] {
  std::array<char, 256> digits{};
  for (char c = '0'; c <= '9'; ++c)
    digits[static_cast<unsigned char>(c)] = c;
  for (char c = 'a'; c <= 'f'; ++c) {
    digits[static_cast<unsigned char>(c)] = c;
    digits[static_cast<unsigned char>(c - 'a' + 'A')] = c;
  }
  return digits;
}();

bool ValidDay(int year, int month, int day) {
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return !(month == 2 && day == 29 && !leap);
}

// A number of `min`..`max` digits.
std::optional<int> Digits(std::string_view text, std::size_t min, std::size_t max) {
  if (text.size() < min || text.size() > max) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

bool IsSafeName(std::string_view name) {
  if (name.empty() || name == "." || name == ".." || name.size() > 255) return false;
  for (const char c : name)
    if (!IsNameChar(c)) return false;
  return true;
}

bool IsHexOf(std::string_view text, std::size_t digits) {
  if (text.size() != digits) return false;
  for (const char c : text)
    if (!kHexDigits[static_cast<unsigned char>(c)]) return false;
  return true;
}

std::optional<std::string> LowerHexOf(std::string_view text, std::size_t digits) {
  if (text.size() != digits) return std::nullopt;
  std::string hex(digits, '\0');
  for (std::size_t i = 0; i < digits; ++i)
    if (!(hex[i] = kHexDigits[static_cast<unsigned char>(text[i])])) return std::nullopt;
  return hex;
}

std::vector<std::string_view> SplitAtBlanks(std::string_view text) {
  std::vector<std::string_view> words;
  constexpr std::string_view kBlanks = " \t\r\n";
  for (std::size_t at = text.find_first_not_of(kBlanks); at != std::string_view::npos;) {
    const std::size_t end = text.find_first_of(kBlanks, at);
    words.push_back(text.substr(at, end == std::string_view::npos ? end : end - at));
    at = end == std::string_view::npos ? end : text.find_first_not_of(kBlanks, end);
  }
  return words;
}

std::string_view TrimBlanks(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::optional<std::uint64_t> ParseUnsigned(std::string_view text) {
  std::uint64_t value = 0;
  if (text.empty()) return std::nullopt;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<TContentDate> ParseDottedDate(std::string_view text) {
  const std::size_t dot1 = text.find('.');
  const std::size_t dot2 = dot1 == std::string_view::npos ? dot1 : text.find('.', dot1 + 1);
  if (dot2 == std::string_view::npos) return std::nullopt;
  const auto day = Digits(text.substr(0, dot1), 1, 2);
  const auto month = Digits(text.substr(dot1 + 1, dot2 - dot1 - 1), 1, 2);
  const std::string_view yearText = text.substr(dot2 + 1);
  auto year = yearText.size() == 2 ? Digits(yearText, 2, 2) : Digits(yearText, 4, 4);
  if (!day || !month || !year) return std::nullopt;
  if (yearText.size() == 2) *year += *year < 90 ? 2000 : 1900;
  if (!ValidDay(*year, *month, *day)) return std::nullopt;
  return TContentDate{*year, *month, *day};
}

std::optional<TContentDate> ParseIsoDate(std::string_view text, char separator) {
  const std::size_t minPart = separator == '-' ? 2 : 1;
  TContentDate date;
  const std::size_t sep1 = text.find(separator);
  const auto year = Digits(text.substr(0, sep1), 4, 4);
  if (!year || *year == 0) return std::nullopt;
  date.Year = *year;
  if (sep1 == std::string_view::npos) return date;
  const std::string_view rest = text.substr(sep1 + 1);
  const std::size_t sep2 = rest.find(separator);
  const auto month = Digits(rest.substr(0, sep2), minPart, 2);
  if (!month || *month < 1 || *month > 12) return std::nullopt;
  date.Month = *month;
  if (sep2 == std::string_view::npos) return date;
  const auto day = Digits(rest.substr(sep2 + 1), minPart, 2);
  if (!day || !ValidDay(date.Year, date.Month, *day)) return std::nullopt;
  date.Day = *day;
  return date;
}

std::string FormatDate(const TContentDate& date) {
  if (date.Year == 0) return {};
  char text[16];
  if (date.Month == 0) {
    std::snprintf(text, sizeof text, "%04d", date.Year);
  } else if (date.Day == 0) {
    std::snprintf(text, sizeof text, "%04d-%02d", date.Year, date.Month);
  } else {
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.Year, date.Month, date.Day);
  }
  return text;
}

}  // namespace fx
