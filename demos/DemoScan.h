#pragma once

// Where demos lie and which copy the engine plays: the loose files and archive entries of
// each game directory's folders, grouped by the name the engine is given, the copy it finds
// first standing for the group.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "demos/DemoReader.h"

namespace fx {

enum class TDemoContainer : std::uint8_t { Loose, Pak, Pk3 };

// One place a demo lies.
struct TDemoPlace {
  std::filesystem::path File;  // the loose file, or the archive
  std::string Entry;           // the archive's entry name; empty for a loose file
  TDemoContainer Container = TDemoContainer::Loose;
  std::string Where;          // as shown: "id1", "ctf/pak0.pak", "~/.quakespasm/id1"
  std::int64_t Offset = 0;    // a PACK entry's data
  std::int64_t Size = 0;      // the demo's bytes
  std::int64_t Modified = 0;  // the file's (or archive's) modification time, nanoseconds

  bool operator==(const TDemoPlace&) const = default;
};

struct TDemoRow {
  std::string Name;                 // what "playdemo" is given: the path below the game directory,
                                    // ".dem" left off ("demos/Run1"), other extensions kept
  std::string FileName;             // "Run1.dem"
  std::string GameDir;              // "id1" or the mod's folder name as spelled on disk
  TDemoPlace Place;                 // the copy the engine takes
  std::vector<std::string> AlsoIn;  // where the other copies lie, in search order
  TDemoInfo Info;
  bool Read = false;  // Info holds what the file says

  bool operator==(const TDemoRow&) const = default;
};

// Which archives of a folder the engine opens.
struct TDemoArchiveRule {
  // Only pak0.pak, pak1.pak, ... up to the first number missing, spelled so: the quakespasm
  // family's rule (sezero/quakespasm Quake/common.c:2234-2262 COM_AddGameDirectory; the
  // same loop in Shpoike/Quakespasm, ironwail and vkQuake). Otherwise every "*.pak".
  bool NumberedPaksOnly = false;
  bool LoadsPk3 = true;
};

// A game directory and the folders the engine searches for it, the first searched first.
struct TDemoGameDir {
  std::string Name;
  std::vector<std::filesystem::path> Folders;
  TDemoArchiveRule Archives;
};

// The game directories to look in: id1, every folder directly in the game folder, the
// per-user folder's, and the patch's when it lies elsewhere. `searchFolders` gives a game
// directory's folders in the engine's order (the launch's EngineSearchFolders).
using TSearchFolders = std::function<std::vector<std::filesystem::path>(const std::string&)>;
std::vector<TDemoGameDir> DemoGameDirs(const std::filesystem::path& gameFolder,
                                       const std::filesystem::path& userFolder,
                                       const std::filesystem::path& patchFolder,
                                       const TSearchFolders& searchFolders,
                                       TDemoArchiveRule archives = {});

// "Where" of a folder or archive: below the game folder relative to it, below `home` as
// "~/...", else the whole path.
std::string DemoWhere(const std::filesystem::path& path, const std::filesystem::path& gameFolder,
                      const std::filesystem::path& home);

// Every demo of the game directories, one row per name the engine is given, unread: a
// folder's PACK and zip archives before its loose files (the highest-named archive first, as
// the launch's lookup takes them), a name found in several places standing for the first.
// Names group case-blind; the exact spelling is the first found.
std::vector<TDemoRow> ListDemos(const std::vector<TDemoGameDir>& dirs,
                                const std::filesystem::path& gameFolder,
                                const std::filesystem::path& home);

// Reads the demo at its place; never throws (an unreadable one says so in Problem).
TDemoInfo ReadDemoAt(const TDemoPlace& place);

}  // namespace fx
