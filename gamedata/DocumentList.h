#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace fx {

// The names a patch's documentation goes by, in the order the viewer lists them.
inline constexpr std::array<std::string_view, 5> kDocumentPatterns = {"*.txt", "*.doc", "*.htm",
                                                                      "*.html", "read*.*"};

// Whole-name match of a file name against a Windows file mask, ignoring ASCII case: "*"
// any run of characters, "?" one character. A mask ending in ".*" also matches names
// without a dot, as Windows' own search does ("read*.*" matches "readme").
bool MatchesFileMask(std::string_view name, std::string_view mask);

// The documents of a folder: every entry matching one of kDocumentPatterns, hidden files and
// sub-folders included, pipes, devices and sockets left out, each name once (ignoring case) at the
// first pattern it matches. Within one pattern the names are sorted, so the list does not depend on
// the order the file system happens to return them in. A missing or unreadable folder has no
// documents.
std::vector<std::string> ListDocuments(const std::filesystem::path& folder);

}  // namespace fx
