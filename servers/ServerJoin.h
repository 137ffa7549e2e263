#pragma once

// Whether the chosen executable can join a server: it must speak the server's protocol
// family, and a mod the server runs must be in the game folder.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "servers/ServerInfo.h"

namespace fx {

// What a server's protocol asks of the engine that joins it (TProtocolBits of
// exes/EngineProfiles.h): the family's own bit, or FTE's or DarkPlaces' for servers that
// name those protocols.
std::uint8_t ProtocolNeeded(const TServerInfo& server);

enum class TJoinVerdict : std::uint8_t {
  Go,      // nothing stands in the way
  Warn,    // it may work: ask the user (Message is the question)
  Refuse,  // it cannot work (Message says why)
};

struct TJoinCheck {
  TJoinVerdict Verdict = TJoinVerdict::Go;
  std::string Message;
  // The mod's folder as it lies below the game folder (its spelling on disk); empty when
  // the server runs the base game.
  std::string ModFolder;
};

// `programFile` is the chosen executable's file (any folder; empty when none is chosen).
// A refusal wins over a warning.
TJoinCheck CheckJoin(const TServerInfo& server, std::string_view programFile,
                     const std::filesystem::path& gameFolder);

}  // namespace fx
