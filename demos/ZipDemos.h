#pragma once

// Demos inside .pk3 archives (zip files), read through libzip: the central directory for the
// listing, one entry inflated in chunks for the reading.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "demos/DemoReader.h"

namespace fx {

struct TZipEntry {
  std::string Name;
  std::int64_t Size = 0;
};

// The entries of a zip archive; none when it cannot be opened.
std::vector<TZipEntry> ZipEntries(const std::filesystem::path& archive);

// Reads one entry as a demo. Only stored and Deflate entries are read, the two methods the
// engines that load .pk3 files inflate; anything else, an encrypted entry or a damaged one
// gives a demo whose Problem says so.
TDemoInfo ReadZipDemo(const std::filesystem::path& archive, const std::string& entry,
                      TDemoFormat format);

}  // namespace fx
