#include "exes/EngineProfiles.h"

#include <array>
#include <cctype>
#include <string>

namespace fx {

namespace {

using std::string_view_literals::operator""sv;

// The names the engines' own build files give their clients (servers only, such as
// "fteqw-sv64" or "darkplaces-dedicated", are not looked for: they cannot start a game of
// their own), and the names distributions install them under.
constexpr std::array kQuakeSpasm = {"quakespasm"sv, "quakespasm-sdl2"sv};
constexpr std::array kQuakeSpasmSpiked = {"quakespasm-spiked"sv, "quakespasm-spiked-linux64"sv};
constexpr std::array kIronwail = {"ironwail"sv};
constexpr std::array kVkQuake = {"vkquake"sv};
constexpr std::array kFTE = {"fteqw"sv,      "fteqw64"sv,  "fteqw-gl"sv,
                             "fteqw-gl64"sv, "fteqw-vk"sv, "fteqw-vk64"sv};
constexpr std::array kDarkPlaces = {"darkplaces"sv, "darkplaces-sdl"sv, "darkplaces-glx"sv};
// ezQuake's CMakeLists.txt names its Linux build "ezquake-<system>-<processor>" in lower
// case; Debian's package installs "ezquake" (/usr/games/ezquake, a script that starts
// /usr/lib/games/ezquake/ezquake with "-basedir ~/.config/ezquake").
constexpr std::array kEzQuake = {"ezquake"sv, "ezquake-linux-x86_64"sv, "ezquake-linux-aarch64"sv,
                                 "ezquake-linux-i686"sv};

constexpr std::uint8_t kNetQuakeOnly = kSpeaksNetQuake;
constexpr std::uint32_t kFitzQuakeDemos = kDemoNetQuake | kDemoFitzQuake | kDemoRMQ;

// Flatpak application IDs: Flathub's (the IDs players install), FTE's own manifests
// (fteqw dist/linux/org.fteqw.fteqw.yml "app-id", the older flatpak.json's
// "info.triptohell.fteqw").
constexpr std::array kVkQuakeFlatpak = {"io.github.Novum.vkQuake"sv};
constexpr std::array kFTEFlatpak = {"info.fteqw.FTEQW"sv, "org.fteqw.fteqw"sv,
                                    "info.triptohell.fteqw"sv};

// Only builds made with DO_USERDIRS hold this text: it is the error of Sys_GetUserdir, inside
// "#ifdef DO_USERDIRS" of Quake/sys_sdl_unix.c in quakespasm, QuakeSpasm-Spiked
// (quakespasm/Quake/sys_sdl_unix.c), vkQuake and ironwail alike, and in no other file of
// theirs. (The folder names themselves do not tell: ironwail's Sys_GetAltUserPrefDir names
// ".ironwail" in every build.) The terminating zero is part of the mark.
constexpr std::string_view kUserDirsBuilt{"Couldn't determine userspace directory\0", 39};

// The order is the order found engines are listed in. The memory columns follow each
// engine's start-up code: the QuakeSpasm family reads "-heapsize" (kilobytes); vkQuake,
// FTE and DarkPlaces size their memory themselves and read neither switch; "-winmem" and
// the lock switches belong to the DOS and Windows builds of the original game. Rows name
// their fields, so a new column is a line in the rows it concerns (the rest take its default).
//
// The per-user folders, from each engine's current source:
// - quakespasm (sezero/quakespasm): Quake/sys_sdl_unix.c Sys_Init takes userdir = basedir
//   unless built with DO_USERDIRS (Quake/Makefile: DO_USERDIRS=0 by default; Debian builds
//   with it); then Sys_GetUserdir gives pw_dir (else $HOME) + "/.quakespasm", or the folder
//   after "-userdir" (Sys_GetUserdirArgs, 0.96 on; Debian's 0.95 has no such switch).
//   Basedir is the working folder (Sys_GetBasedir: getcwd), "-basedir" replaces it
//   (Quake/common.c COM_InitFilesystem); COM_AddGameDirectory adds userdir/<game> after
//   basedir/<game>, so the per-user copy is searched first.
// - QuakeSpasm-Spiked (Shpoike/Quakespasm): quakespasm/Quake/Makefile DO_USERDIRS=0 too;
//   with it ~/.quakespasm, which "-nohome" turns off (quakespasm/Quake/sys_sdl_unix.c Sys_Init).
// - ironwail: Quake/Makefile DO_USERDIRS=1 by default, ~/.ironwail (Quake/quakedef.h
//   ENGINE_USERDIR_UNIX, Quake/sys_sdl_unix.c Sys_GetUserdir); no "-userdir".
// - vkQuake: meson_options.txt do_userdirs "disabled"; with it ~/.vkquake and "-userdir"
//   (Quake/sys_sdl_unix.c SYS_USERDIR, Sys_GetUserdirArgs). Without it "-multiuser" makes
//   SDL_GetPrefPath("", "vkQuake") the user folder (Quake/common.c COM_InitFilesystem,
//   COM_SetUserPrefDir): $XDG_DATA_HOME/vkQuake, as SDL builds it.
// - FTE: engine/common/fs.c FS_GetBestHomeDir: $FTEHOME when set, else
//   $XDG_DATA_HOME/quake (XDG_DATA_HOME defaulting to $HOME/.local/share, HOME from the
//   environment), or $HOME/.quake when only that one exists; COM_InitHomedir: "-homedir
//   <folder>" names it, "-nohome" turns it off; "-basedir" replaces the working folder.
//   It is used when it exists or the base folder cannot be written.
// - DarkPlaces: fs.c FS_Init_Dir: "-userdir <folder>", "-nohome" (none), else
//   FS_ChooseUserDir's USERDIRMODE_HOME, getenv("HOME") + "/.darkplaces/" (gameuserdirname
//   "darkplaces" in com_game.c); "-basedir" replaces the base folder.
//
// The content columns, from each engine's sources:
// - BSP2: the QuakeSpasm family's Quake/bspfile.h BSP2VERSION_BSP2 and 2PSB, loaded in
//   Quake/gl_model.c (quakespasm f5fe178, Quakespasm-Spiked c489363, ironwail 7ff4ec5, vkQuake
//   46e5e6d); FTE engine/common/bspfile.h BSPVERSION_LONG2 (93257c1); DarkPlaces
//   model_shared.c "BSP2"/"2PSB" (2f25af6).
// - Limits: the QuakeSpasm family's Quake/quakedef.h MAX_EDICTS 32000 and MAX_MODELS 4096
//   ("johnfitz -- was 256"; vkQuake 8192); FTE and DarkPlaces allocate as maps need.
// - "-quoth": Quake/common.c COM_InitFilesystem of the QuakeSpasm family (quakespasm :2462,
//   ironwail :3428, vkQuake :3469, Spiked quakespasm/Quake/common.c :3114); FTE
//   engine/common/fs.c :166 (a game mode); DarkPlaces com_game.c :58 (GAME_QUOTH).
// - Several "-game": a COM_CheckParmNext loop in ironwail common.c :3431, vkQuake :3472 and
//   Spiked :3118; FTE fs.c :6461-6473 (COM_CheckNextParm); DarkPlaces fs.c :2269 ("now
//   supports multiple -game directories"). quakespasm reads only the first (COM_CheckParm,
//   common.c :2465).
const std::array<TEngineProfile, 8> kEngineProfiles = {{
    {.Family = TEngineFamily::QuakeSpasm,
     .Entry = "QuakeSpasm",
     .Programs = kQuakeSpasm,
     .UserFolder = "~/.quakespasm",
     .HeapSize = true,
     .WinMem = false,
     .LoadsPk3 = false,
     .Speaks = kNetQuakeOnly,
     .BuildMark = kUserDirsBuilt,
     .UserDirSwitch = "-userdir",
     .TakesBaseDir = true,
     .ReadsBsp2 = true,
     .RemovesLimits = true,
     .QuothSwitch = true,
     .SeveralGames = false,
     // sezero/quakespasm Quake/cl_parse.c:306 (CL_ParseServerInfo): 15, 666, 999.
     .PlaysDemos = kFitzQuakeDemos},
    {.Family = TEngineFamily::QuakeSpasmSpiked,
     .Entry = "QuakeSpasm-Spiked",
     .Programs = kQuakeSpasmSpiked,
     .UserFolder = "~/.quakespasm",
     .HeapSize = true,
     .WinMem = false,
     .LoadsPk3 = true,
     .Speaks = kSpeaksNetQuake | kSpeaksFTE,
     .BuildMark = kUserDirsBuilt,
     .NoUserDirSwitch = "-nohome",
     .TakesBaseDir = true,
     .ReadsBsp2 = true,
     .RemovesLimits = true,
     .QuothSwitch = true,
     .SeveralGames = true,
     // Shpoike/Quakespasm quakespasm/Quake/cl_parse.c:1347: also BJP3 and DP7.
     .PlaysDemos = kFitzQuakeDemos | kDemoNehahraBJP3 | kDemoDP7},
    {.Family = TEngineFamily::Ironwail,
     .Entry = "Ironwail",
     .Programs = kIronwail,
     .UserFolder = "~/.ironwail",
     .HeapSize = true,
     .WinMem = false,
     .LoadsPk3 = false,
     .Speaks = kNetQuakeOnly,
     .BuildMark = kUserDirsBuilt,
     .TakesBaseDir = true,
     .ReadsBsp2 = true,
     .RemovesLimits = true,
     .QuothSwitch = true,
     .SeveralGames = true,
     // andrei-drexler/ironwail Quake/cl_parse.c:308.
     .PlaysDemos = kFitzQuakeDemos},
    {.Family = TEngineFamily::VkQuake,
     .Entry = "vkQuake",
     .Programs = kVkQuake,
     .UserFolder = "~/.vkquake",
     .HeapSize = false,
     .WinMem = false,
     .LoadsPk3 = false,
     .Speaks = kNetQuakeOnly,
     .BuildMark = kUserDirsBuilt,
     .UserDirSwitch = "-userdir",
     .MultiUserSwitch = "-multiuser",
     .MultiUserFolder = "$XDG_DATA_HOME/vkQuake",
     .TakesBaseDir = true,
     .FlatpakIds = kVkQuakeFlatpak,
     .ReadsBsp2 = true,
     .RemovesLimits = true,
     .QuothSwitch = true,
     .SeveralGames = true,
     // Novum/vkQuake Quake/cl_parse.c:977.
     .PlaysDemos = kFitzQuakeDemos},
    {.Family = TEngineFamily::FTE,
     .Entry = "FTE",
     .Programs = kFTE,
     .UserFolder = "$XDG_DATA_HOME/quake",
     .HeapSize = false,
     .WinMem = false,
     .LoadsPk3 = true,
     .Speaks = kSpeaksNetQuake | kSpeaksQuakeWorld | kSpeaksFTE | kSpeaksDarkPlaces,
     .OldUserFolder = "$HOME/.quake",
     .UserFolderVariable = "FTEHOME",
     .UserDirSwitch = "-homedir",
     .NoUserDirSwitch = "-nohome",
     .TakesBaseDir = true,
     .UserFolderWhenNeeded = true,
     .FlatpakIds = kFTEFlatpak,
     .ReadsBsp2 = true,
     .RemovesLimits = true,
     .QuothSwitch = true,
     .SeveralGames = true,
     // fte-team/fteqw engine/client/cl_parse.c CLNQ_ParseProtoVersion (15, 250, 666, 999,
     // DP5-DP7, BJP1-3) and cl_demo.c:1193-1224 (.qwd and .mvd).
     .PlaysDemos =
         kFitzQuakeDemos | kDemoNehahraAll | kDemoDP5 | kDemoDP6 | kDemoDP7 | kDemoQwd | kDemoMvd},
    {.Family = TEngineFamily::DarkPlaces,
     .Entry = "DarkPlaces",
     .Programs = kDarkPlaces,
     .UserFolder = "$HOME/.darkplaces",
     .HeapSize = false,
     .WinMem = false,
     .LoadsPk3 = true,
     .Speaks = kSpeaksNetQuake | kSpeaksDarkPlaces,
     .UserDirSwitch = "-userdir",
     .NoUserDirSwitch = "-nohome",
     .TakesBaseDir = true,
     .ReadsBsp2 = true,
     .RemovesLimits = true,
     .QuothSwitch = true,
     .SeveralGames = true,
     // DarkPlacesEngine/darkplaces protocol.c:50-64 (its demo player reads .dem only,
     // cl_demo.c): 15, DP1-DP8, Nehahra's; neither 666 nor 999.
     .PlaysDemos = kDemoNetQuake | kDemoDarkPlacesAll | kDemoNehahraAll},
    // A QuakeWorld client only (it plays no NetQuake game of its own), so it is preferred
    // last. Its home folder is "$HOME/.ezquake" (fs.c: Sys_HomeDirectory, getenv("HOME"));
    // it reads .pk3 archives (fs.c, FS_AddDataFiles) and sizes its memory itself. It reads
    // "-basedir" (Debian's /usr/games/ezquake starts it with one).
    {.Family = TEngineFamily::EzQuake,
     .Entry = "ezQuake",
     .Programs = kEzQuake,
     .UserFolder = "$HOME/.ezquake",
     .HeapSize = false,
     .WinMem = false,
     .LoadsPk3 = true,
     .Speaks = kSpeaksQuakeWorld,
     .TakesBaseDir = true,
     // QW-Group/ezquake-source src/cl_demo.c CL_Play_f (.qwd, .mvd and .dem) and
     // src/cl_nqdemo.c (NQ_PROTOCOL_VERSION 15 only, c0e22c4).
     .PlaysDemos = kDemoNetQuake | kDemoQwd | kDemoMvd},
    {.Family = TEngineFamily::Other,
     .Entry = "",
     .Programs = {},
     .UserFolder = "",
     .HeapSize = true,
     .WinMem = true,
     .LoadsPk3 = false,
     .Speaks = kNetQuakeOnly,
     // The original game and its ports: protocol 15 only.
     .PlaysDemos = kDemoNetQuake},
}};

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// The file name without folder, in lower case, without ".exe".
std::string ProgramName(std::string_view file) {
  const std::size_t slash = file.find_last_of("/\\");
  if (slash != std::string_view::npos) file.remove_prefix(slash + 1);
  std::string name = Lower(file);
  if (name.ends_with(".exe")) name.resize(name.size() - 4);
  return name;
}

// "quakespasm-0.96.3" and "vkquake.x86_64" still name their program: a program name
// followed by the end or a separator matches.
bool NameMatches(std::string_view name, std::string_view program) {
  if (!name.starts_with(program)) return false;
  if (name.size() == program.size()) return true;
  const char next = name[program.size()];
  return next == '-' || next == '.' || next == '_';
}

}  // namespace

std::span<const TEngineProfile> EngineProfiles() {
  return kEngineProfiles;
}

const TEngineProfile& EngineProfileFor(std::string_view programFile) {
  const std::string name = ProgramName(programFile);
  for (const TEngineProfile& profile : kEngineProfiles)
    for (const std::string_view id : profile.FlatpakIds)
      if (name == Lower(id)) return profile;
  const TEngineProfile* best = &EngineProfileOf(TEngineFamily::Other);
  std::size_t bestLength = 0;
  // The longest program name wins, so "quakespasm-spiked" is not taken for "quakespasm".
  for (const TEngineProfile& profile : kEngineProfiles)
    for (const std::string_view program : profile.Programs)
      if (program.size() > bestLength && NameMatches(name, program)) {
        best = &profile;
        bestLength = program.size();
      }
  return *best;
}

std::size_t EngineProfileRank(const TEngineProfile& profile) {
  return static_cast<std::size_t>(&profile - kEngineProfiles.data());
}

const TEngineProfile& EngineProfileOf(TEngineFamily family) {
  for (const TEngineProfile& profile : kEngineProfiles)
    if (profile.Family == family) return profile;
  return kEngineProfiles.back();
}

}  // namespace fx
