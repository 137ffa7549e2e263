#include "servers/QuakeWorldCodec.h"

#include "servers/DatagramReader.h"
#include "servers/InfoString.h"
#include "servers/PlayerLine.h"

namespace fx {

std::string QuakeWorldStatusRequest(int flags) {
  return std::string(kConnectionless) + "status " + std::to_string(flags) + "\n";
}

std::string QuakeWorldPingRequest() {
  return std::string(kConnectionless) + "k\n";
}

std::optional<TServerInfo> ParseQuakeWorldStatus(std::string_view datagram) {
  TDatagramReader in(datagram);
  if (datagram.size() > kMaxStatusReply || !in.Skip(kConnectionless) || !in.Skip("n") ||
      !in.Rest().starts_with('\\'))
    return std::nullopt;
  std::string_view text = in.Rest();
  text = text.substr(0, text.find('\0'));
  const std::size_t infoEnd = text.find('\n');
  auto rules = ParseInfoString(text.substr(0, infoEnd));
  if (!rules) return std::nullopt;
  TServerInfo info;
  info.Family = TServerFamily::QuakeWorld;
  info.Protocol = "28";
  info.Rules = std::move(*rules);
  info.Name = InfoValue(info.Rules, "hostname").value_or("");
  info.Map = InfoValue(info.Rules, "map").value_or("");
  info.Game = InfoValue(info.Rules, "*gamedir").value_or("");
  info.MaxPlayers = LeadingInt(InfoValue(info.Rules, "maxclients").value_or("")).value_or(0);
  info.Password = (LeadingInt(InfoValue(info.Rules, "needpass").value_or("")).value_or(0) & 1) != 0;
  text = infoEnd == std::string_view::npos ? std::string_view() : text.substr(infoEnd + 1);
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const auto player = ParseQuakeWorldPlayer(text.substr(0, end));
    if (player) {
      info.PlayerList.push_back(*player);
      if (!player->Spectator) ++info.Players;
      if (player->Bot) ++info.Bots;
    }
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return info;
}

bool IsQuakeWorldPingReply(std::string_view datagram) {
  if (datagram.starts_with(kConnectionless)) datagram.remove_prefix(kConnectionless.size());
  return datagram == "l" || datagram == "l\n" || datagram == std::string_view("l\0", 2);
}

// fteqw engine/server/sv_main.c, SV_DetectAmplificationDDOS: "\xff\xff\xff\xff" A2C_PRINT
// "Probable ddos amplification attack\n", once, when the 15th counted query comes.
bool IsBlockNotice(std::string_view datagram) {
  TDatagramReader in(datagram);
  return in.Skip(kConnectionless) && in.Skip("nProbable ddos amplification attack");
}

}  // namespace fx
