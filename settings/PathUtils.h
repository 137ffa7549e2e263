#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/FormatSettings.h"

namespace fx {

// Path and text routines for file names. They write the platform's separator ('/' here)
// and accept both '/' and '\' wherever they look for one, because the program's stored
// names come from Windows ("ID1\PAK1.PAK"). Files below the game folder are found on
// disk through ResolveGamePath (platform/GamePaths.h), which these routines do not do.

inline constexpr char kPathDelim = '/';

bool IsPathDelimiter(char c);

// "" stays ""; a path ending in a separator is returned unchanged; else one is appended.
std::string EnsureBackslash(std::string_view path);
// Removes one trailing separator when present.
std::string RemoveBackslash(std::string_view path);
// Drops one leading separator from `name`, then EnsureBackslash(folder) + name, with the
// name's '\' separators written as the platform's. An empty folder gives the name alone.
std::string JoinPath(std::string_view folder, std::string_view name);
std::string JoinPath3(std::string_view folder, std::string_view subPath, std::string_view name);
// True when the path names an existing folder.
bool FolderExists(std::string_view path);
// The file name's extension, dot included, equals `extension` ignoring ASCII case.
bool HasExtension(std::string_view fileName, std::string_view extension);
// The file name without its folder and without its extension.
std::string ExtractFileTitle(std::string_view fileName);
// Size in whole kilobytes with thousands separators and " KB": 1..1023 bytes count as
// 1024; 0 gives "0 KB"; 1536 rounds to "2 KB".
std::string FormatKB(std::int64_t bytes, const TFormatSettings& format = FormatSettings());

}  // namespace fx
