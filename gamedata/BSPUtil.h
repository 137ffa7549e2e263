#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "gamedata/Stream.h"

namespace fx {

// The title of a map without a "message", and of one that cannot be read.
inline constexpr std::string_view kUntitledTitle = "(Untitled)";
// FindEntityValue's answer when no entity of the wanted class was met: a map
// list leaves out archive entries with this title.
inline constexpr std::string_view kNoEntityMarker = "\x01";

// The value of key in the entity whose "classname" is className, read from the
// entity text at the stream's position; kNoEntityMarker when no such entity
// was met. Parse errors (ECParserError) pass to the caller.
std::string FindEntityValue(TStream& stream, std::string_view className, std::string_view key);

// The "message" of the map's "worldspawn" entity. The stream stands at the
// map file's first byte, which is also its position 0 (a file, or the window
// of an archive entry). Never raises: a damaged map gives kUntitledTitle.
std::string ReadMapTitle(TStream& stream);
std::string ReadMapTitleFromFile(const std::filesystem::path& fileName);
// The same for the file `name` in the open folder `folderHandle`.
std::string ReadMapTitleInFolder(int folderHandle, const std::string& name);

// The game's special characters (coloured digits, brackets, the high half of
// the character set) as plain text.
std::string TranslateTitle(std::string_view title);

}  // namespace fx
