#pragma once

// A cursor over one received datagram. Every read checks the bytes left first, so a parser
// built on it cannot read past the datagram however short or hostile the reply.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fx {

class TDatagramReader {
 public:
  explicit TDatagramReader(std::string_view bytes) : FBytes(bytes) {}

  std::size_t Left() const { return FBytes.size() - FAt; }
  bool AtEnd() const { return FAt == FBytes.size(); }

  std::optional<std::uint8_t> Byte() {
    if (Left() < 1) return std::nullopt;
    return static_cast<std::uint8_t>(FBytes[FAt++]);
  }
  std::optional<std::uint32_t> BigLong() {
    if (Left() < 4) return std::nullopt;
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
      value = (value << 8) | static_cast<std::uint8_t>(FBytes[FAt++]);
    return value;
  }
  std::optional<std::int32_t> LittleLong() {
    if (Left() < 4) return std::nullopt;
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
      value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(FBytes[FAt++])) << (8 * i);
    return static_cast<std::int32_t>(value);
  }
  // The bytes up to the next zero byte, which is consumed; nothing when the datagram ends first.
  std::optional<std::string> CString() {
    const std::size_t end = FBytes.find('\0', FAt);
    if (end == std::string_view::npos) return std::nullopt;
    std::string text(FBytes.substr(FAt, end - FAt));
    FAt = end + 1;
    return text;
  }
  std::optional<std::string_view> Take(std::size_t count) {
    if (Left() < count) return std::nullopt;
    const std::string_view part = FBytes.substr(FAt, count);
    FAt += count;
    return part;
  }
  // Consumes `prefix` when the bytes continue with it.
  bool Skip(std::string_view prefix) {
    if (FBytes.substr(FAt).substr(0, prefix.size()) != prefix) return false;
    FAt += prefix.size();
    return true;
  }
  std::string_view Rest() const { return FBytes.substr(FAt); }

 private:
  std::string_view FBytes;
  std::size_t FAt = 0;
};

// The largest status reply an engine sends: FTE builds getstatus and status replies in a
// buffer of MAX_UDP_PACKET, 8192 bytes (fteqw engine/common/net.h, SVC_GetInfo in
// engine/server/sv_main.c); DarkPlaces' is 2800 (netconn.c, NetConn_ServerParsePacket). A
// longer datagram is no reply of these protocols.
inline constexpr std::size_t kMaxStatusReply = 8192;

// The four bytes that start a connectionless packet of the QuakeWorld, DarkPlaces and master
// protocols.
inline constexpr std::string_view kConnectionless{"\xff\xff\xff\xff", 4};

}  // namespace fx
