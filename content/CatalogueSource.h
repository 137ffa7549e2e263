#pragma once

// Where catalogues come from: an address on the web or a local file or folder, in one of the
// four formats, each switchable; the built-in list names the archive's current addresses.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "content/ContentPackage.h"

namespace fx {

enum class TCatalogueFormat : std::uint8_t { XmlDatabase, JsonPages, JsonFolder, AddonList };

struct TCatalogueSource {
  std::string Name;      // a plain name: the cache file is named after it
  std::string Location;  // "http(s)://..." or a local file or folder
  TCatalogueFormat Format = TCatalogueFormat::XmlDatabase;
  bool Enabled = true;
};

// The XML database at both of its addresses (the second switched off: the same data), the
// web API's pages, and the 2021 release's add-on list.
std::vector<TCatalogueSource> BuiltInCatalogues();

bool IsWebAddress(std::string_view location);

// The user's list, "catalogues.txt" in the settings folder: one source a line,
// "NAME<tab>FORMAT<tab>on|off<tab>LOCATION" with FORMAT xml, json-api, json-folder or addons;
// "#" starts a comment. A line that cannot be read is left out with its reason in `problems`.
std::vector<TCatalogueSource> ParseCatalogueSources(std::string_view text,
                                                    std::vector<std::string>* problems);
std::string FormatCatalogueSources(const std::vector<TCatalogueSource>& sources);
// The list in `file`, or the built-in one when there is no such file.
std::vector<TCatalogueSource> UserCatalogueSources(const std::filesystem::path& file,
                                                   std::vector<std::string>* problems);

// The API page starting at `start`: the location with "&start=N" added.
std::string PageAddress(std::string_view location, std::size_t start);
inline constexpr std::size_t kApiPageRows = 200;
inline constexpr std::size_t kMaxApiPages = 100;

// Reads a catalogue's bytes in its format (a folder only for JsonFolder).
TCatalogue ReadCatalogueBytes(TCatalogueFormat format, std::string_view bytes);
// Reads a local file (at most 64 MB) or, for JsonFolder, a folder.
TCatalogue ReadLocalCatalogue(TCatalogueFormat format, const std::filesystem::path& location);

// An add-on list names its downloads and screenshots relative to itself: each becomes an
// address below the folder of `location` (the list's web address) when it is a path of plain
// names, and is dropped otherwise, so no package keeps an address that could climb out of
// the list's folder or that nothing could fetch.
void ResolveAddonAddresses(TCatalogue& catalogue, std::string_view location);

// "12 minutes", "3 hours", "2 days".
std::string FormatAge(std::int64_t seconds);

}  // namespace fx
