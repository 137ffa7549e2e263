#pragma once

// What differs between the families of Quake engines, as data: the program names a family
// is installed under, the folder in the player's home it searches before the game folder,
// which memory switches it takes, whether it reads .pk3 archives, and which server
// protocols it can join. Adding an engine is one row of kEngineProfiles.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "gamedata/DemoProtocols.h"

namespace fx {

enum class TEngineFamily : std::uint8_t {
  QuakeSpasm,
  QuakeSpasmSpiked,
  Ironwail,
  VkQuake,
  FTE,
  DarkPlaces,
  EzQuake,
  Other,
};

// Server protocol families an engine can join, as bits.
enum TProtocolBits : std::uint8_t {
  kSpeaksNetQuake = 1,    // NetQuake protocol 15 (and 666/999 of the later ports)
  kSpeaksQuakeWorld = 2,  // QuakeWorld
  kSpeaksDarkPlaces = 4,  // DarkPlaces' own protocols
  kSpeaksFTE = 8,         // FTE's own NetQuake extensions
};

struct TEngineProfile {
  TEngineFamily Family;
  std::string_view Entry;                      // the entry name a found engine gets
  std::span<const std::string_view> Programs;  // program names, the usual one first
  // The per-user folder the engine searches ahead of the game folder, "~/" standing for
  // the account's home (the password database's, as the quakespasm family reads it),
  // "$HOME/" for the environment's and "$XDG_DATA_HOME/" for the XDG data folder
  // (ExpandUserFolder); a mod goes below it by the same name as in the game folder.
  // Empty: not known.
  std::string_view UserFolder;
  bool HeapSize;        // "-heapsize <KB>" means something to it
  bool WinMem;          // "-winmem <MB>" and the lock switches mean something to it
  bool LoadsPk3;        // reads .pk3 (zip) archives besides PACK files
  std::uint8_t Speaks;  // TProtocolBits

  // Whether a build has the per-user folder at all. Empty: every build has it. Otherwise
  // the bytes only a build with it holds (the folder's name as its source spells it, ending
  // in the string's terminating zero): a build file without them reads its base folder only.
  std::string_view BuildMark = {};
  // Used instead of UserFolder when it exists and UserFolder does not (an older default).
  std::string_view OldUserFolder = {};
  // An environment variable that names the per-user folder outright.
  std::string_view UserFolderVariable = {};
  // Switches of the engine's command line: the folder after `UserDirSwitch` is its per-user
  // folder; `NoUserDirSwitch` turns it off; `MultiUserSwitch` gives a build without one
  // the folder `MultiUserFolder`; "-basedir <folder>" replaces the working folder as the
  // game folder when `TakesBaseDir`.
  std::string_view UserDirSwitch = {};
  std::string_view NoUserDirSwitch = {};
  std::string_view MultiUserSwitch = {};
  std::string_view MultiUserFolder = {};
  bool TakesBaseDir = false;
  // The per-user folder is used only when it exists or the base folder cannot be written.
  bool UserFolderWhenNeeded = false;
  // Flatpak application IDs the family is installed under (exports/bin/<id>).
  std::span<const std::string_view> FlatpakIds = {};
  // What a package from the map archive may need of it (the rows cite the engines' sources).
  bool ReadsBsp2 = false;      // maps in the BSP2 and 2PSB formats
  bool RemovesLimits = false;  // maps past the original engine's limits (edicts, models, ...)
  bool QuothSwitch = false;    // "-quoth" loads the quoth folder below the -game one
  bool SeveralGames = false;   // more than one "-game", the later searched first
  // The demo protocols its client plays (TDemoProtocolBits), as its server-info parser and
  // its demo player accept them.
  std::uint32_t PlaysDemos = kDemoNetQuake;
};

// Every known family, "Other" last (no programs: it stands for anything else).
std::span<const TEngineProfile> EngineProfiles();

// The profile of a program file, by its file name (without folder; case and a trailing
// ".exe" or version suffix as packagers add are ignored), or a Flatpak application ID
// as exports/bin names it: "Other" when none matches.
const TEngineProfile& EngineProfileFor(std::string_view programFile);

// The profile of a family.
const TEngineProfile& EngineProfileOf(TEngineFamily family);

// The position of a profile in EngineProfiles(): the order engines are found and preferred in.
std::size_t EngineProfileRank(const TEngineProfile& profile);

}  // namespace fx
