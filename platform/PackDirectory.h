#pragma once

// The names a PACK archive's directory holds, read without touching the entries' data: the
// cheap look the edition test and the launch's name lookups take into the game's archives.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace fx {

// The stored names ("maps/e1m1.bsp", as the archive spells them), in directory order.
// A file that cannot be read, is no archive or is cut short gives what could be read,
// possibly nothing; it never throws.
std::vector<std::string> PackEntryNames(const std::filesystem::path& pack);

// Whether the directory holds `name`, compared without regard to ASCII case and with "/"
// and "\" taken as the same separator.
bool PackHoldsName(const std::filesystem::path& pack, std::string_view name);

// The "*.pak" files directly in `folder` (any case), sorted by name; none when the folder
// cannot be read.
std::vector<std::filesystem::path> PackFilesIn(const std::filesystem::path& folder);

}  // namespace fx
