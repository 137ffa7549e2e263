#include "ui/FormatFloat.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>
#include <vector>

namespace fx {

namespace {

// Significant digits taken from the value before it is rounded to the picture's decimals:
// what an extended float holds reliably.
constexpr int kFormatPrecision = 18;
// Significant digits of the general form.
constexpr int kGeneralPrecision = 15;
// Values with more integer digits than this are shown in general form.
constexpr int kMaxFixedIntegerDigits = 18;
// The general form is fixed-point down to 0.00001 (0.1E-4).
constexpr int kMinGeneralFixedExponent = -4;
constexpr std::size_t kMaxSections = 3;

// A magnitude as 0.Digits x 10^Exponent. Digits carries no trailing zeros and is empty for
// zero.
struct TDecimal {
  std::string Digits;
  int Exponent = 0;

  bool IsZero() const { return Digits.empty(); }
};

void StripTrailingZeros(std::string& digits) {
  while (!digits.empty() && digits.back() == '0')
    digits.pop_back();
}

// `magnitude` (finite, not negative) rounded to `precision` significant digits. to_chars
// does not depend on the C locale, which a Qt program sets from the environment.
TDecimal ToDecimal(long double magnitude, int precision) {
  TDecimal result;
  if (magnitude == 0) return result;
  std::array<char, 64> buffer{};
  const auto converted = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                       std::chars_format::scientific, precision - 1);
  const std::string_view text(buffer.data(),
                              static_cast<std::size_t>(converted.ptr - buffer.data()));
  const std::size_t e = text.find('e');
  for (const char c : text.substr(0, e)) {
    if (c != '.') result.Digits += c;
  }
  std::string_view exponent = text.substr(e + 1);
  if (!exponent.empty() && exponent.front() == '+') exponent.remove_prefix(1);
  int power = 0;
  std::from_chars(exponent.data(), exponent.data() + exponent.size(), power);
  result.Exponent = power + 1;
  StripTrailingZeros(result.Digits);
  return result;
}

// Rounds half away from zero so that at most `decimals` digits follow the decimal point.
void RoundToDecimals(TDecimal& number, int decimals) {
  const int keep = number.Exponent + decimals;
  if (keep < 0) {
    number = TDecimal{};
    return;
  }
  if (static_cast<std::size_t>(keep) >= number.Digits.size()) return;
  const bool up = number.Digits[static_cast<std::size_t>(keep)] >= '5';
  number.Digits.resize(static_cast<std::size_t>(keep));
  if (up) {
    while (!number.Digits.empty() && number.Digits.back() == '9')
      number.Digits.pop_back();
    if (number.Digits.empty()) {
      number.Digits = "1";
      ++number.Exponent;
    } else {
      ++number.Digits.back();
    }
  }
  StripTrailingZeros(number.Digits);
  if (number.IsZero()) number.Exponent = 0;
}

std::string FormatGeneral(long double value, const TFormatSettings& settings) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  const TDecimal number = ToDecimal(std::fabs(value), kGeneralPrecision);
  if (number.IsZero()) return "0";
  std::string result = value < 0 ? "-" : "";
  const std::string& digits = number.Digits;
  const int exponent = number.Exponent;
  if (exponent > kGeneralPrecision || exponent < kMinGeneralFixedExponent) {
    result += digits.front();
    if (digits.size() > 1) result += settings.DecimalSeparator + digits.substr(1);
    const int power = exponent - 1;
    result += 'E';
    if (power < 0) result += '-';
    result += std::to_string(std::abs(power));
  } else if (exponent <= 0) {
    result += '0';
    result += settings.DecimalSeparator;
    result += std::string(static_cast<std::size_t>(-exponent), '0') + digits;
  } else {
    const auto integerDigits = static_cast<std::size_t>(exponent);
    result += digits.substr(0, integerDigits);
    if (digits.size() < integerDigits) {
      result += std::string(integerDigits - digits.size(), '0');
    } else if (digits.size() > integerDigits) {
      result += settings.DecimalSeparator + digits.substr(integerDigits);
    }
  }
  return result;
}

// The position after the quoted text that starts at `quote`; an unclosed quote runs to the
// end.
std::size_t SkipQuoted(std::string_view text, std::size_t quote) {
  const std::size_t close = text.find(text[quote], quote + 1);
  return close == std::string_view::npos ? text.size() : close + 1;
}

bool IsQuote(char c) {
  return c == '\'' || c == '"';
}

// The first three sections of the picture; a ';' inside quotes separates nothing.
std::vector<std::string_view> SplitSections(std::string_view picture) {
  std::vector<std::string_view> sections;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < picture.size() && sections.size() < kMaxSections) {
    if (IsQuote(picture[i])) {
      i = SkipQuoted(picture, i);
    } else if (picture[i] == ';') {
      sections.push_back(picture.substr(start, i - start));
      start = ++i;
    } else {
      ++i;
    }
  }
  if (sections.size() < kMaxSections) sections.push_back(picture.substr(start, i - start));
  return sections;
}

// What a section asks for, counted in digit placeholders.
struct TLayout {
  int Placeholders = 0;    // '0' and '#'
  int IntegerPlaces = 0;   // placeholders before the decimal point
  int ForcedIntegers = 0;  // integer places from the leftmost '0' to the point
  int ForcedDecimals = 0;  // decimal places up to the rightmost '0'
  bool Thousands = false;
  bool Exponent = false;

  int Decimals() const { return Placeholders - IntegerPlaces; }
};

bool IsExponentAt(std::string_view section, std::size_t i) {
  return (section[i] == 'E' || section[i] == 'e') && i + 1 < section.size() &&
         (section[i + 1] == '+' || section[i + 1] == '-');
}

TLayout ScanLayout(std::string_view section) {
  TLayout layout;
  int firstZero = -1;
  int afterLastZero = 0;
  bool point = false;
  std::size_t i = 0;
  while (i < section.size()) {
    const char c = section[i];
    if (IsQuote(c)) {
      i = SkipQuoted(section, i);
      continue;
    }
    if (c == '0') {
      if (firstZero < 0) firstZero = layout.Placeholders;
      afterLastZero = ++layout.Placeholders;
    } else if (c == '#') {
      ++layout.Placeholders;
    } else if (c == '.' && !point) {
      point = true;
      layout.IntegerPlaces = layout.Placeholders;
    } else if (c == ',') {
      layout.Thousands = true;
    } else if (IsExponentAt(section, i)) {
      layout.Exponent = true;
    }
    ++i;
  }
  if (!point) layout.IntegerPlaces = layout.Placeholders;
  if (firstZero >= 0) layout.ForcedIntegers = std::max(0, layout.IntegerPlaces - firstZero);
  layout.ForcedDecimals = std::max(0, afterLastZero - layout.IntegerPlaces);
  return layout;
}

void RefuseExponentForms(std::string_view picture, const std::vector<std::string_view>& sections) {
  for (const std::string_view section : sections) {
    if (ScanLayout(section).Exponent) {
      throw EFormatError("The number format \"" + std::string(picture) +
                         "\" uses an exponent (E+ or E-), which is not supported");
    }
  }
}

// The section that shows values of kind `wanted` (0 positive, 1 negative, 2 zero).
std::size_t UsableSection(const std::vector<std::string_view>& sections, std::size_t wanted) {
  return wanted < sections.size() && !sections[wanted].empty() ? wanted : 0;
}

// What each digit placeholder of a section writes, in order.
std::vector<std::string> PlaceholderTexts(const TLayout& layout, const TDecimal& number,
                                          const TFormatSettings& settings) {
  std::vector<std::string> slots(static_cast<std::size_t>(layout.Placeholders));
  if (slots.empty()) return slots;
  const std::string& digits = number.Digits;
  const int exponent = number.Exponent;
  std::string integer;
  std::string fraction;
  if (exponent > 0) {
    const auto integerDigits = static_cast<std::size_t>(exponent);
    integer = digits.substr(0, integerDigits);
    integer.append(integerDigits - integer.size(), '0');
    fraction = digits.size() > integerDigits ? digits.substr(integerDigits) : "";
  } else {
    fraction = std::string(static_cast<std::size_t>(-exponent), '0') + digits;
  }
  if (integer.size() < static_cast<std::size_t>(layout.ForcedIntegers))
    integer.insert(0, static_cast<std::size_t>(layout.ForcedIntegers) - integer.size(), '0');
  if (fraction.size() < static_cast<std::size_t>(layout.ForcedDecimals))
    fraction.append(static_cast<std::size_t>(layout.ForcedDecimals) - fraction.size(), '0');

  // The integer digits fill the last integer places; those that do not fit go where the
  // first placeholder stands.
  const int count = static_cast<int>(integer.size());
  for (int i = 0; i < count; ++i) {
    auto& slot = slots[static_cast<std::size_t>(std::max(0, layout.IntegerPlaces - count + i))];
    slot += integer[static_cast<std::size_t>(i)];
    const int following = count - 1 - i;
    if (layout.Thousands && following > 0 && following % 3 == 0) slot += settings.ThousandSeparator;
  }
  const std::size_t decimals = std::min(fraction.size(), slots.size() - layout.IntegerPlaces);
  for (std::size_t j = 0; j < decimals; ++j) {
    auto& slot = slots[static_cast<std::size_t>(layout.IntegerPlaces) + j];
    if (j == 0) slot += settings.DecimalSeparator;
    slot += fraction[j];
  }
  return slots;
}

std::string Render(std::string_view section, const TLayout& layout, const TDecimal& number,
                   bool minus, const TFormatSettings& settings) {
  const std::vector<std::string> slots = PlaceholderTexts(layout, number, settings);
  std::string result = minus ? "-" : "";
  std::size_t slot = 0;
  std::size_t i = 0;
  while (i < section.size()) {
    const char c = section[i];
    if (IsQuote(c)) {
      const std::size_t close = section.find(c, i + 1);
      result.append(section.substr(i + 1, close == std::string_view::npos ? close : close - i - 1));
      i = close == std::string_view::npos ? section.size() : close + 1;
      continue;
    }
    if (c == '0' || c == '#') {
      result += slots[slot++];
    } else if (c != '.' && c != ',') {
      result += c;
    }
    ++i;
  }
  return result;
}

}  // namespace

std::string FormatFloat(std::string_view picture, long double value,
                        const TFormatSettings& settings) {
  const std::vector<std::string_view> sections = SplitSections(picture);
  RefuseExponentForms(picture, sections);
  if (sections.front().empty() || !std::isfinite(value)) return FormatGeneral(value, settings);

  const std::size_t wanted = value > 0 ? 0 : value < 0 ? 1 : 2;
  std::size_t used = UsableSection(sections, wanted);
  TLayout layout = ScanLayout(sections[used]);
  TDecimal number = ToDecimal(std::fabs(value), kFormatPrecision);
  RoundToDecimals(number, layout.Decimals());
  if (number.Exponent > kMaxFixedIntegerDigits) return FormatGeneral(value, settings);
  if (number.IsZero() && wanted != 2) {
    used = UsableSection(sections, 2);
    layout = ScanLayout(sections[used]);
  }
  const bool minus = used == 0 && value < 0 && !number.IsZero();
  return Render(sections[used], layout, number, minus, settings);
}

std::optional<long double> ParseFloatEditText(std::string_view text, char decimalSeparator) {
  const bool negative =
      text.find('-') != std::string_view::npos || text.find('(') != std::string_view::npos;
  std::string number;
  for (const char c : text) {
    if (c >= '0' && c <= '9') {
      number += c;
    } else if (c == decimalSeparator) {
      number += '.';
    }
  }
  long double value = 0;
  const char* const end = number.data() + number.size();
  const auto parsed = std::from_chars(number.data(), end, value, std::chars_format::fixed);
  if (number.empty() || parsed.ec != std::errc() || parsed.ptr != end) return std::nullopt;
  return negative ? -value : value;
}

}  // namespace fx
