#include "servers/DarkPlacesCodec.h"

#include "servers/DatagramReader.h"
#include "servers/InfoString.h"
#include "servers/PlayerLine.h"

namespace fx {

namespace {

int IntValue(const TInfoPairs& pairs, std::string_view key) {
  return LeadingInt(InfoValue(pairs, key).value_or("")).value_or(0);
}

}  // namespace

std::string DarkPlacesStatusRequest(std::string_view challenge) {
  return std::string(kConnectionless) + "getstatus " + std::string(challenge);
}

std::string DarkPlacesInfoRequest(std::string_view challenge) {
  return std::string(kConnectionless) + "getinfo " + std::string(challenge);
}

std::optional<TDarkPlacesReply> ParseDarkPlacesReply(std::string_view datagram) {
  TDatagramReader in(datagram);
  if (datagram.size() > kMaxStatusReply || !in.Skip(kConnectionless)) return std::nullopt;
  TDarkPlacesReply reply;
  if (in.Skip("statusResponse"))
    reply.Status = true;
  else if (!in.Skip("infoResponse"))
    return std::nullopt;
  // Older QuakeSpasm-Spiked servers put no line break before the info string.
  in.Skip("\n");
  std::string_view text = in.Rest();
  text = text.substr(0, text.find('\0'));
  if (!text.starts_with('\\')) return std::nullopt;
  const std::size_t infoEnd = text.find('\n');
  auto rules = ParseInfoString(text.substr(0, infoEnd));
  if (!rules) return std::nullopt;
  TServerInfo& info = reply.Info;
  info.Family = TServerFamily::DarkPlaces;
  info.Rules = std::move(*rules);
  reply.Challenge = InfoValue(info.Rules, "challenge").value_or("");
  info.Name = InfoValue(info.Rules, "hostname").value_or("");
  info.Map = InfoValue(info.Rules, "mapname").value_or("");
  info.Game = InfoValue(info.Rules, "modname").value_or("");
  info.Protocol =
      InfoValue(info.Rules, "gamename").value_or(InfoValue(info.Rules, "protocol").value_or(""));
  info.Players = IntValue(info.Rules, "clients");
  info.MaxPlayers = IntValue(info.Rules, "sv_maxclients");
  info.Bots = IntValue(info.Rules, "bots");
  info.Password = IntValue(info.Rules, "needpass") != 0 || IntValue(info.Rules, "g_needpass") != 0;
  text = infoEnd == std::string_view::npos ? std::string_view() : text.substr(infoEnd + 1);
  while (reply.Status && !text.empty()) {
    const std::size_t end = text.find('\n');
    if (auto player = ParseDarkPlacesPlayer(text.substr(0, end))) {
      // Bots have no connection, so DarkPlaces reports their ping as 0.
      player->Bot = info.Bots > 0 && player->Ping == 0;
      info.PlayerList.push_back(std::move(*player));
    }
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return reply;
}

}  // namespace fx
