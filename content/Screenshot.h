#pragma once

// Where a package's screenshot is fetched from and kept. Every address is http(s); an
// add-on's relative one is resolved against its catalogue only when each of its components
// is a plain name, so it cannot climb out of the catalogue's folder or carry a query. The
// cached file is named after the package's id (a plain name) or its hash, never after a path
// a catalogue gave.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "content/ContentPackage.h"

namespace fx {

inline constexpr std::uint64_t kMaxScreenshotBytes = 4u << 20;

// The addresses to try, the first first: the package's own screenshots (relative ones of an
// add-on against `addonCatalogue`, the add-on list's address; skipped without one), then for
// the archive's packages its pattern, "<id>_injector.jpg" and "<id>.jpg".
std::vector<std::string> ScreenshotUrls(const TContentPackage& package,
                                        std::string_view addonCatalogue);

// `relative` against the folder of `base` (an http(s) address); empty when `relative` is not
// a path of plain names or `base` is not a web address.
std::string ResolveRelativeUrl(std::string_view base, std::string_view relative);

// "<cacheFolder>/<id>.image", or "<cacheFolder>/<sha-256 of id>.image" for an id that is not
// a plain name.
std::filesystem::path ScreenshotCacheFile(const std::filesystem::path& cacheFolder,
                                          std::string_view id);

enum class TImageKind : std::uint8_t { None, Jpeg, Png };

// What the first bytes of a file say it is; only JPEG and PNG are ever decoded.
TImageKind ImageKindOf(std::string_view head);

}  // namespace fx
