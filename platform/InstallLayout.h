#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fx {

// The reverse-DNS id that names the installed desktop entry, the icon and the metainfo.
std::string ApplicationId();

// "<id>.desktop", the file name of the installed desktop entry.
std::string DesktopEntryFileName();

// Where the program looks for a data file it ships (the picture library), best first:
// beside the program, as in a build tree, then the installed data folder found from the
// program's folder (<prefix>/share/fraxinel for <prefix>/bin), so an installed copy works
// under whatever prefix it was put.
std::vector<std::filesystem::path> DataFileCandidates(const std::filesystem::path& programFolder,
                                                      std::string_view fileName);

// The first of DataFileCandidates that is a file, else the first candidate.
std::filesystem::path FindDataFile(const std::filesystem::path& programFolder,
                                   std::string_view fileName);

// The installed README (<prefix>/share/doc/fraxinel/README.md) and manual page
// (<prefix>/share/man/man6/fraxinel.6), found from the program's folder as the data files
// are; nullopt where the program runs without them (a build tree), or where they were
// compressed, which no desktop opens as a document.
std::optional<std::filesystem::path> InstalledReadme(const std::filesystem::path& programFolder);
std::optional<std::filesystem::path> InstalledManualPage(
    const std::filesystem::path& programFolder);

}  // namespace fx
