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

constexpr std::uint8_t kNetQuakeOnly = kSpeaksNetQuake;

// The order is the order found engines are listed in. The memory columns follow each
// engine's start-up code: the QuakeSpasm family reads "-heapsize" (kilobytes); vkQuake,
// FTE and DarkPlaces size their memory themselves and read neither switch; "-winmem" and
// the lock switches belong to the DOS and Windows builds of the original game. Rows name
// their fields, so a new column is a line in the rows it concerns (the rest take its default).
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
const std::array<TEngineProfile, 7> kEngineProfiles = {{
    {.Family = TEngineFamily::QuakeSpasm,
     .Entry = "QuakeSpasm",
     .Programs = kQuakeSpasm,
     .UserFolder = "~/.quakespasm",
     .HeapSize = true,
     .WinMem = false,
     .LoadsPk3 = false,
     .Speaks = kNetQuakeOnly,
     .ReadsBsp2 = true,
     .RemovesLimits = true,
     .QuothSwitch = true,
     .SeveralGames = false},
    {.Family = TEngineFamily::QuakeSpasmSpiked,
     .Entry = "QuakeSpasm-Spiked",
     .Programs = kQuakeSpasmSpiked,
     .UserFolder = "~/.quakespasm",
     .HeapSize = true,
     .WinMem = false,
     .LoadsPk3 = true,
     .Speaks = kSpeaksNetQuake | kSpeaksFTE,
     .ReadsBsp2 = true,
     .RemovesLimits = true,
     .QuothSwitch = true,
     .SeveralGames = true},
    {.Family = TEngineFamily::Ironwail,
     .Entry = "Ironwail",
     .Programs = kIronwail,
     .UserFolder = "~/.ironwail",
     .HeapSize = true,
     .WinMem = false,
     .LoadsPk3 = false,
     .Speaks = kNetQuakeOnly,
     .ReadsBsp2 = true,
     .RemovesLimits = true,
     .QuothSwitch = true,
     .SeveralGames = true},
    {.Family = TEngineFamily::VkQuake,
     .Entry = "vkQuake",
     .Programs = kVkQuake,
     .UserFolder = "~/.vkquake",
     .HeapSize = false,
     .WinMem = false,
     .LoadsPk3 = false,
     .Speaks = kNetQuakeOnly,
     .ReadsBsp2 = true,
     .RemovesLimits = true,
     .QuothSwitch = true,
     .SeveralGames = true},
    {.Family = TEngineFamily::FTE,
     .Entry = "FTE",
     .Programs = kFTE,
     .UserFolder = "$XDG_DATA_HOME/quake",
     .HeapSize = false,
     .WinMem = false,
     .LoadsPk3 = true,
     .Speaks = kSpeaksNetQuake | kSpeaksQuakeWorld | kSpeaksFTE | kSpeaksDarkPlaces,
     .ReadsBsp2 = true,
     .RemovesLimits = true,
     .QuothSwitch = true,
     .SeveralGames = true},
    {.Family = TEngineFamily::DarkPlaces,
     .Entry = "DarkPlaces",
     .Programs = kDarkPlaces,
     .UserFolder = "$HOME/.darkplaces",
     .HeapSize = false,
     .WinMem = false,
     .LoadsPk3 = true,
     .Speaks = kSpeaksNetQuake | kSpeaksDarkPlaces,
     .ReadsBsp2 = true,
     .RemovesLimits = true,
     .QuothSwitch = true,
     .SeveralGames = true},
    {.Family = TEngineFamily::Other,
     .Entry = "",
     .Programs = {},
     .UserFolder = "",
     .HeapSize = true,
     .WinMem = true,
     .LoadsPk3 = false,
     .Speaks = kNetQuakeOnly},
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
