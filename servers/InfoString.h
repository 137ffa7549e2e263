#pragma once

// The "\key\value\key\value" strings that QuakeWorld and DarkPlaces servers describe
// themselves with, and the lenient number reading their texts need.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fx {

using TInfoPairs = std::vector<std::pair<std::string, std::string>>;

// Pairs in the order sent; a leading backslash is optional, an empty value is "". Nothing
// when the string ends inside a key (a key with no backslash after it).
std::optional<TInfoPairs> ParseInfoString(std::string_view text);
// The first value under `key`, compared exactly; nothing when it is missing.
std::optional<std::string> InfoValue(const TInfoPairs& pairs, std::string_view key);

// A decimal integer at the start of `text` (an optional sign, then digits), as the engines'
// atoi reads it: nothing when no digit comes first. Values are clamped to +-INT_MAX.
std::optional<int> LeadingInt(std::string_view text);

}  // namespace fx
