#pragma once

// The JSON records (one object per package: sha256, bytes, description, files, install,
// tags "key[:qualifier]=value", urls), as pages of an array from the web API or as a local
// folder json/by-sha256/<2 hex>/<sha256>.json, and the 2021 release's add-on list
// ({"addons": [{id, name, author, date, size, description{lang}, gamedir, download,
// screenshots}]}).

#include <filesystem>
#include <string>
#include <string_view>

#include "content/ContentPackage.h"

namespace fx {

// One record. Throws ECatalogue with the reason when it is malformed.
TContentPackage ReadJsonRecord(std::string_view bytes);

// A page of the API: a JSON array of records. A malformed record is left out with its reason.
// Throws ECatalogue for a document over 64 MB, bad JSON, nesting over 32, or not an array.
TCatalogue ReadJsonPage(std::string_view bytes);

// The same for a page read from a file: its bytes are parsed where they lie (with room for
// kJsonReadPadding more appended, which reserving it spares a copy) and freed before the
// records are made, so a large page is not held three times over.
inline constexpr std::size_t kJsonReadPadding = 64;
TCatalogue ReadOwnedJsonPage(std::string bytes);

// The folder `root` holding json/by-sha256/. Only regular files whose names are the
// record's own hash below the folder of its first two digits are read (symbolic links are
// not followed); each other file, and a record over 16 MB, is listed as skipped.
TCatalogue ReadJsonFolder(const std::filesystem::path& root);

// The add-on list. Throws ECatalogue as ReadJsonPage does.
TCatalogue ReadAddonList(std::string_view bytes);

}  // namespace fx
