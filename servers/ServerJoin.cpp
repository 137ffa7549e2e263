#include "servers/ServerJoin.h"

#include <algorithm>
#include <system_error>
#include <utility>
#include <vector>

#include "exes/EngineProfiles.h"
#include "platform/GamePaths.h"
#include "platform/RegistryTypes.h"
#include "servers/InfoString.h"
#include "servers/ServerTableText.h"

namespace fx {

namespace {

std::string ProgramName(std::string_view file) {
  const std::size_t slash = file.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? file : file.substr(slash + 1));
}

// The protocols a refusal names: those of `need` an engine could lack ("NetQuake or
// QuakeWorld"); a warning names FTE's or DarkPlaces' own.
std::string ProtocolName(std::uint8_t need) {
  if ((need & kSpeaksFTE) != 0) return "FTE's own protocol";
  if ((need & kSpeaksDarkPlaces) != 0) return "DarkPlaces' own protocol";
  std::string names;
  for (const auto& [bit, name] :
       {std::pair{kSpeaksNetQuake, "NetQuake"}, {kSpeaksQuakeWorld, "QuakeWorld"}})
    if ((need & bit) != 0) names += (names.empty() ? "" : " or ") + std::string(name);
  return names;
}

const std::string* RuleValue(const TServerInfo& server, std::string_view key) {
  for (const auto& [name, value] : server.Rules)
    if (name == key) return &value;
  return nullptr;
}

std::vector<std::string_view> GameFolders(std::string_view names) {
  std::vector<std::string_view> folders;
  while (!names.empty()) {
    const std::size_t end = std::min(names.find(';'), names.size());
    if (end > 0) folders.push_back(names.substr(0, end));
    names.remove_prefix(std::min(end + 1, names.size()));
  }
  return folders;
}

// A folder name a server may name: one component, nothing that climbs out of the game
// folder, nothing a file system or a command line would take as something else.
bool IsPlainFolderName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return std::none_of(name.begin(), name.end(), [](char c) {
    return c == '/' || c == '\\' || static_cast<unsigned char>(c) < ' ' || c == '"';
  });
}

TJoinCheck Refused(std::string message) {
  return {TJoinVerdict::Refuse, std::move(message), {}};
}

TJoinCheck CheckProtocol(const TServerInfo& server, std::string_view programFile) {
  const std::string program = ProgramName(programFile);
  const std::uint8_t need = ProtocolNeeded(server);
  if ((EngineProfileFor(program).Speaks & need) != 0) return {};
  const std::string address = server.Address.ToString();
  const std::string protocol(ProtocolName(need));
  if ((need & (kSpeaksFTE | kSpeaksDarkPlaces)) == 0)
    return Refused("\"" + program + "\" cannot join the " + protocol + " server " + address +
                   ": it does not speak " + protocol +
                   ".\n\nChoose an executable that does in the main window.");
  return {TJoinVerdict::Warn,
          "The server " + address + " speaks " + protocol + " (" +
              QuakeServerText(server.Protocol) + "), which \"" + program +
              "\" may not understand.\n\nJoin it anyway?",
          {}};
}

// QuakeSpasm-Spiked names every game folder it runs, base first: "hipnotic;quoth"
// (common.c, com_gamenames). Each must be here; the last is the one the launch names.
TJoinCheck CheckMod(const TServerInfo& server, const std::filesystem::path& gameFolder) {
  TJoinCheck found;
  // The views point into this text, which must outlive the loop.
  const std::string folders = ServerModFolder(server);
  for (const std::string_view mod : GameFolders(folders)) {
    if (SameName(mod, "id1")) continue;
    const std::string shown = QuakeServerText(mod);
    if (!IsPlainFolderName(mod))
      return Refused("The server names its game folder \"" + shown +
                     "\", which is no folder name. It cannot be joined from here.");
    const std::filesystem::path folder = ResolveGamePath(gameFolder, std::string(mod));
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
      return Refused("The server runs the mod \"" + shown + "\", which is not in the game folder " +
                     gameFolder.string() + ".\n\nInstall the mod there to join this server.");
    found.ModFolder = folder.filename().string();
  }
  return found;
}

}  // namespace

// A DarkPlaces-family server says what it speaks in its keys: QuakeSpasm-Spiked names its
// NetQuake protocol in "nqprotocol" (net_dgrm.c: sv.protocol, 15, 666 or 999, each of which
// the quakespasm family joins), whatever game name ("FTE-Quake") it registers under; FTE
// puts a letter after the number of "protocol" for each protocol it listens on ("3wnd":
// QuakeWorld, NetQuake, DarkPlaces; sv_main.c, SV_GetProtocolVersionString). The bits are
// alternatives: an engine that speaks any of them joins. Without such keys the game name
// says whose server it is.
std::uint8_t ProtocolNeeded(const TServerInfo& server) {
  switch (server.Family) {
    case TServerFamily::QuakeWorld:
      return kSpeaksQuakeWorld;
    case TServerFamily::NetQuake:
      return kSpeaksNetQuake;
    case TServerFamily::DarkPlaces:
      break;
  }
  if (const std::string* nq = RuleValue(server, "nqprotocol")) {
    const int number = LeadingInt(*nq).value_or(0);
    return number == 15 || number == 666 || number == 999 ? kSpeaksNetQuake : kSpeaksFTE;
  }
  if (const std::string* listens = RuleValue(server, "protocol")) {
    const std::string_view letters = std::string_view(*listens).substr(
        std::min(listens->find_first_not_of("0123456789"), listens->size()));
    std::uint8_t need = 0;
    for (const auto& [letter, bit] :
         {std::pair{'n', kSpeaksNetQuake}, {'w', kSpeaksQuakeWorld}, {'d', kSpeaksDarkPlaces}})
      if (letters.find(letter) != std::string_view::npos) need |= bit;
    if (need != 0) return need;
  }
  const std::string_view protocol = server.Protocol;
  if (ContainsIgnoringCase(protocol, "FTE")) return kSpeaksFTE;
  if (ContainsIgnoringCase(protocol.substr(0, 2), "DP") ||
      ContainsIgnoringCase(protocol, "DarkPlaces"))
    return kSpeaksDarkPlaces;
  return kSpeaksNetQuake;
}

TJoinCheck CheckJoin(const TServerInfo& server, std::string_view programFile,
                     const std::filesystem::path& gameFolder) {
  if (programFile.empty())
    return Refused("No executable is chosen. Choose the one to join with in the main window.");
  const TJoinCheck protocol = CheckProtocol(server, programFile);
  if (protocol.Verdict == TJoinVerdict::Refuse) return protocol;
  TJoinCheck mod = CheckMod(server, gameFolder);
  if (mod.Verdict == TJoinVerdict::Refuse) return mod;
  if (protocol.Verdict == TJoinVerdict::Warn) {
    mod.Verdict = TJoinVerdict::Warn;
    mod.Message = protocol.Message;
  }
  return mod;
}

}  // namespace fx
