#include "servers/ServerJoin.h"

#include <algorithm>
#include <system_error>

#include "exes/EngineProfiles.h"
#include "platform/GamePaths.h"
#include "servers/ServerTableText.h"

namespace fx {

namespace {

std::string ProgramName(std::string_view file) {
  const std::size_t slash = file.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? file : file.substr(slash + 1));
}

std::string_view ProtocolName(std::uint8_t need) {
  switch (need) {
    case kSpeaksQuakeWorld:
      return "QuakeWorld";
    case kSpeaksFTE:
      return "FTE's own protocol";
    case kSpeaksDarkPlaces:
      return "DarkPlaces' own protocol";
    default:
      return "NetQuake";
  }
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
  if (need == kSpeaksNetQuake || need == kSpeaksQuakeWorld)
    return Refused("\"" + program + "\" cannot join the " + protocol + " server " + address +
                   ": it does not speak " + protocol +
                   ".\n\nChoose an executable that does in the main window.");
  return {TJoinVerdict::Warn,
          "The server " + address + " speaks " + protocol + " (" +
              QuakeServerText(server.Protocol) + "), which \"" + program +
              "\" may not understand.\n\nJoin it anyway?",
          {}};
}

TJoinCheck CheckMod(const TServerInfo& server, const std::filesystem::path& gameFolder) {
  const std::string mod = ServerModFolder(server);
  if (mod.empty()) return {};
  const std::string shown = QuakeServerText(mod);
  if (!IsPlainFolderName(mod))
    return Refused("The server names its game folder \"" + shown +
                   "\", which is no folder name. It cannot be joined from here.");
  const std::filesystem::path folder = ResolveGamePath(gameFolder, mod);
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error))
    return Refused("The server runs the mod \"" + shown + "\", which is not in the game folder " +
                   gameFolder.string() + ".\n\nInstall the mod there to join this server.");
  return {TJoinVerdict::Go, {}, folder.filename().string()};
}

}  // namespace

std::uint8_t ProtocolNeeded(const TServerInfo& server) {
  switch (server.Family) {
    case TServerFamily::QuakeWorld:
      return kSpeaksQuakeWorld;
    case TServerFamily::NetQuake:
      return kSpeaksNetQuake;
    case TServerFamily::DarkPlaces:
      break;
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
