#pragma once

// The map listing ("fx_maps.cfg") that the console command "listmaps" shows: the maps of
// id1/maps, and of the patch's maps folder and pack files, with their titles.

#include <filesystem>
#include <string>
#include <string_view>

#include "launcher/ScriptText.h"

namespace fx {

// A title longer than 25 characters: its first 22 and "...".
std::string ShortenTitle(std::string_view title);
// `echo "%-10s %s"` with the map's name (extension dropped, spelled as on disk) and its
// shortened title, both made safe for the quotes.
std::string MapListLine(std::string_view fileName, std::string_view title);
// Whether a map file is a level: names beginning with "b_" are the game's brush models.
bool IsListedMapName(std::string_view fileName);

// The section of one folder (`relative`: its path below the game folder as shown, e.g.
// "id1\maps"); empty when the folder holds no listed map or does not exist.
TScriptLines FolderMapSection(const std::filesystem::path& folder, std::string_view relative,
                              bool dedicated);
// The section of one pack file; its error section when it cannot be read.
TScriptLines PackMapSection(const std::filesystem::path& packFile, std::string_view relative,
                            bool dedicated);

// The whole listing. `patch` is the patch folder's name below the game folder, "" for none
// (the launch passes the mod folder's real name).
TScriptLines BuildMapListing(const std::filesystem::path& gameFolder, std::string_view patch,
                             bool dedicated, std::string_view dateText);

}  // namespace fx
