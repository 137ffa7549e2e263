#pragma once

// What a started game writes: one file per launch in the program's state folder, the last
// ten kept, and the message shown when the game ends at once with a failure.

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/ProgramWatch.h"
#include "platform/SpecialFolders.h"

namespace fx {

inline constexpr std::size_t kKeptGameOutputs = 10;
// A game that ends within this time after its start is taken to have failed to start
// when it ends with a non-zero status or by a signal.
inline constexpr std::chrono::milliseconds kEarlyExitWindow{5000};
// Lines of the output shown in the message.
inline constexpr std::size_t kShownOutputLines = 12;

// $XDG_STATE_HOME/fraxinel (default ~/.local/state/fraxinel).
std::filesystem::path GameOutputFolder(const TXdgFolders& folders);

// The output files in `folder`, oldest first ("game-YYYYMMDD-HHMMSS-mmm.log": the name
// sorts by time).
std::vector<std::filesystem::path> GameOutputFiles(const std::filesystem::path& folder);
std::optional<std::filesystem::path> NewestGameOutput(const std::filesystem::path& folder);

// Makes the folder, removes the oldest files so that the new one is the tenth, and creates
// the new, empty file named by `now` (a later name when that one is taken). Throws
// std::filesystem::filesystem_error when the folder cannot be made or written.
std::filesystem::path NewGameOutputFile(const std::filesystem::path& folder,
                                        std::chrono::system_clock::time_point now);

// The last `count` lines of a file (the end of a long file only); a line cut to 200
// characters; nothing for a missing file.
std::vector<std::string> LastLines(const std::filesystem::path& file, std::size_t count);

// The error text when `end` is a failure (a non-zero status or a signal), with the last
// lines of `outputFile` and where it lies (empty: that none was kept); nothing when the
// game still runs, ended well, or nothing is known.
std::optional<std::string> EarlyExitMessage(const TProgramEnd& end, const std::string& program,
                                            const std::filesystem::path& outputFile);

}  // namespace fx
