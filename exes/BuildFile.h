#pragma once

// Reading an engine's installed files without trusting them: a program file or a Flatpak
// keyfile may be anything (a FIFO would block an open for reading, a huge file would
// stall the window), so only regular files are read, never blocking, and bounded.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fx {

// The whole of a regular file of at most `limit` bytes; nothing for anything else.
std::optional<std::string> ReadSmallFile(const std::filesystem::path& file, std::size_t limit);

// What a program file holds of `needles`: for each, whether its bytes occur in the file.
// Nothing when the file is no ELF program (a script, a missing or special file, one larger
// than any engine): then the build cannot be told.
std::optional<std::vector<bool>> ProgramHolds(const std::filesystem::path& program,
                                              std::span<const std::string_view> needles);

}  // namespace fx
