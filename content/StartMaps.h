#pragma once

// The start maps a player picks from when a package has several: the play plan's (the
// catalogue's, then the ones the package installed), each with the title its file holds
// once it is on disk.

#include <filesystem>
#include <string>
#include <vector>

#include "installer/PackageManifest.h"

namespace fx {

struct TStartMapChoice {
  std::string Map;    // as the engine's "map" command takes it
  std::string Title;  // the map's own, empty when not installed or untitled
};

// The maps the package put on disk as loose files the engine's "map" finds
// ("<folder>/maps/<name>.bsp"), names without ".bsp" as spelled on disk, in the manifest's
// order.
std::vector<std::string> InstalledMapNames(const TPackageManifest& manifest);

// `maps` (the plan's, the first to be preselected) with titles read from the installed files
// below `gameFolder`; a name the catalogue spells in another case than the disk takes the
// disk's spelling, and is listed once. Without a manifest, no titles.
std::vector<TStartMapChoice> StartMapChoices(const std::vector<std::string>& maps,
                                             const TPackageManifest* manifest,
                                             const std::filesystem::path& gameFolder);

// "e1m1 - The Slipgate Complex", or "e1m1" without a title.
std::string StartMapCaption(const TStartMapChoice& choice);

}  // namespace fx
