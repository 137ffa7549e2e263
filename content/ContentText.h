#pragma once

// Small checks and conversions the catalogue readers share: names, hashes, dates, numbers.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/ContentPackage.h"
#include "platform/AsciiCase.h"

namespace fx {

// One path component of [A-Za-z0-9_.+-], not "." or "..": safe as a folder, map or file
// name and on a command line.
bool IsSafeName(std::string_view name);

// Exactly `digits` hexadecimal digits (either case).
bool IsHexOf(std::string_view text, std::size_t digits);
// The same text in lower case when it is exactly `digits` hexadecimal digits.
std::optional<std::string> LowerHexOf(std::string_view text, std::size_t digits);

// The words of a text between blanks (space, tab, CR, LF).
std::vector<std::string_view> SplitAtBlanks(std::string_view text);

// Leading and trailing blanks (space, tab, CR, LF) removed.
std::string_view TrimBlanks(std::string_view text);

// A whole unsigned decimal number, nothing else.
std::optional<std::uint64_t> ParseUnsigned(std::string_view text);

// "dd.mm.yy" or "dd.mm.yyyy"; two-digit years below 90 are 20xx, the rest 19xx.
std::optional<TContentDate> ParseDottedDate(std::string_view text);

// "YYYY", "YYYY-MM" or "YYYY-MM-DD"; with `slash` the separator is '/' and a month or day may
// have one digit ("1998/3/24").
std::optional<TContentDate> ParseIsoDate(std::string_view text, char separator = '-');

// "YYYY-MM-DD", "YYYY-MM", "YYYY" or "", for showing and sorting.
std::string FormatDate(const TContentDate& date);

}  // namespace fx
