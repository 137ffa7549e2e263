#pragma once

// The tags of a JSON record, "key[:qualifier]=value" (split at the first '='), into the
// package's fields: title, author, type, game_mode, map_size, release_date (YYYY[-MM[-DD]]),
// startmap, commandline, zipbasedir, dependency, depends, provides, version, mod,
// exceeds_quake_limits, bsp_format, filename, link:*; theme and the free tags are kept for
// search.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/ContentPackage.h"

namespace fx {

// Sets `package`'s fields from `tags`; the reason when a tag that decides something is
// malformed (a bad release date, a filename that is no plain name).
std::optional<std::string> ApplyJsonTags(const std::vector<std::string_view>& tags,
                                         TContentPackage& package);

// "('quoth>=2.0', 'ad')" or "quoth>=2.0": the constraints one by one, quotes and blanks removed.
std::vector<std::string> SplitConstraintList(std::string_view value);

}  // namespace fx
