#include "servers/InfoString.h"

#include <algorithm>
#include <climits>

namespace fx {

std::optional<TInfoPairs> ParseInfoString(std::string_view text) {
  TInfoPairs pairs;
  if (text.starts_with('\\')) text.remove_prefix(1);
  while (!text.empty()) {
    const std::size_t keyEnd = text.find('\\');
    // A key without its value: the string was cut short (or forged), so none of it is trusted.
    if (keyEnd == std::string_view::npos) return std::nullopt;
    std::string key(text.substr(0, keyEnd));
    text.remove_prefix(keyEnd + 1);
    const std::size_t valueEnd = text.find('\\');
    pairs.emplace_back(std::move(key), std::string(text.substr(0, valueEnd)));
    if (valueEnd == std::string_view::npos) break;
    text.remove_prefix(valueEnd + 1);
  }
  return pairs;
}

std::optional<std::string> InfoValue(const TInfoPairs& pairs, std::string_view key) {
  for (const auto& [name, value] : pairs)
    if (name == key) return value;
  return std::nullopt;
}

std::optional<int> LeadingInt(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
  long long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') break;
    if (value < INT_MAX) value = value * 10 + (c - '0');
  }
  // Clamped symmetrically, so negating or taking the absolute value cannot overflow.
  value = std::min<long long>(value, INT_MAX);
  return static_cast<int>(negative ? -value : value);
}

}  // namespace fx
