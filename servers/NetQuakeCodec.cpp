#include "servers/NetQuakeCodec.h"

#include <algorithm>
#include <cstdint>

#include "servers/DatagramReader.h"

namespace fx {

namespace {

constexpr std::uint32_t kControlFlag = 0x80000000u;
constexpr std::uint32_t kFlagMask = 0xFFFF0000u;
constexpr std::uint32_t kLengthMask = 0x0000FFFFu;

enum : std::uint8_t {
  kInfoRequest = 0x02,
  kPlayerRequest = 0x03,
  kRuleRequest = 0x04,
  kInfoReply = 0x83,
  kPlayerReply = 0x84,
  kRuleReply = 0x85,
};

// The header goes in front once the payload's length is known.
std::string ControlPacket(std::string payload) {
  const std::uint32_t word = kControlFlag | static_cast<std::uint32_t>(payload.size() + 4);
  std::string packet;
  packet.reserve(payload.size() + 4);
  for (int shift = 24; shift >= 0; shift -= 8)
    packet += static_cast<char>((word >> shift) & 0xFF);
  return packet + payload;
}

std::optional<TNetQuakeReply> ParseInfo(TDatagramReader& in) {
  TNetQuakeInfo info;
  auto address = in.CString();
  auto name = address ? in.CString() : std::nullopt;
  auto map = name ? in.CString() : std::nullopt;
  auto players = map ? in.Byte() : std::nullopt;
  auto maximum = players ? in.Byte() : std::nullopt;
  auto protocol = maximum ? in.Byte() : std::nullopt;
  if (!protocol) return std::nullopt;
  info.Address = std::move(*address);
  info.Name = std::move(*name);
  info.Map = std::move(*map);
  info.Players = *players;
  info.MaxPlayers = *maximum;
  info.Protocol = *protocol;
  return info;
}

std::optional<TNetQuakeReply> ParsePlayer(TDatagramReader& in) {
  TNetQuakePlayer reply;
  auto index = in.Byte();
  auto name = index ? in.CString() : std::nullopt;
  auto colors = name ? in.LittleLong() : std::nullopt;
  auto frags = colors ? in.LittleLong() : std::nullopt;
  auto seconds = frags ? in.LittleLong() : std::nullopt;
  auto address = seconds ? in.CString() : std::nullopt;
  if (!address) return std::nullopt;
  reply.Index = *index;
  reply.Player.Name = std::move(*name);
  reply.Player.Top = (*colors >> 4) & 15;
  reply.Player.Bottom = *colors & 15;
  reply.Player.Frags = *frags;
  reply.Player.Seconds = *seconds;
  reply.Address = std::move(*address);
  return reply;
}

std::optional<TNetQuakeReply> ParseRule(TDatagramReader& in) {
  TNetQuakeRule rule;
  if (in.AtEnd()) {
    rule.End = true;
    return rule;
  }
  auto name = in.CString();
  auto value = name ? in.CString() : std::nullopt;
  if (!value) return std::nullopt;
  rule.Name = std::move(*name);
  rule.Value = std::move(*value);
  return rule;
}

}  // namespace

std::string NetQuakeInfoRequest() {
  return ControlPacket(std::string{static_cast<char>(kInfoRequest)} +
                       std::string("QUAKE\0\x03", 7));
}

std::string NetQuakePlayerRequest(int index) {
  return ControlPacket({static_cast<char>(kPlayerRequest), static_cast<char>(index & 0xFF)});
}

std::string NetQuakeRuleRequest(std::string_view previous) {
  std::string payload{static_cast<char>(kRuleRequest)};
  payload += previous.substr(0, std::min(previous.find('\0'), kMaxRuleName));
  payload += '\0';
  return ControlPacket(std::move(payload));
}

std::optional<TNetQuakeReply> ParseNetQuakeReply(std::string_view datagram) {
  TDatagramReader in(datagram);
  const auto header = in.BigLong();
  if (!header || (*header & kFlagMask) != kControlFlag ||
      (*header & kLengthMask) != datagram.size())
    return std::nullopt;
  const auto opcode = in.Byte();
  if (!opcode) return std::nullopt;
  switch (*opcode) {
    case kInfoReply:
      return ParseInfo(in);
    case kPlayerReply:
      return ParsePlayer(in);
    case kRuleReply:
      return ParseRule(in);
    default:
      return std::nullopt;
  }
}

}  // namespace fx
