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
constexpr std::uint32_t kFitzQuakeDemos = kDemoNetQuake | kDemoFitzQuake | kDemoRMQ;

// The order is the order found engines are listed in. The memory columns follow each
// engine's start-up code: the QuakeSpasm family reads "-heapsize" (kilobytes); vkQuake,
// FTE and DarkPlaces size their memory themselves and read neither switch; "-winmem" and
// the lock switches belong to the DOS and Windows builds of the original game. Rows name
// their fields, so a new column is a line in the rows it concerns (the rest take its default).
const std::array<TEngineProfile, 7> kEngineProfiles = {{
    {.Family = TEngineFamily::QuakeSpasm,
     .Entry = "QuakeSpasm",
     .Programs = kQuakeSpasm,
     .UserFolder = "~/.quakespasm",
     .HeapSize = true,
     .WinMem = false,
     .LoadsPk3 = false,
     .Speaks = kNetQuakeOnly,
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
     // DarkPlacesEngine/darkplaces protocol.c:50-64 (its demo player reads .dem only,
     // cl_demo.c): 15, DP1-DP8, Nehahra's; neither 666 nor 999.
     .PlaysDemos = kDemoNetQuake | kDemoDarkPlacesAll | kDemoNehahraAll},
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
