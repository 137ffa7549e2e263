#include "servers/MasterCodec.h"

#include <algorithm>

#include "servers/DatagramReader.h"

namespace fx {

namespace {

// `bytes` holds the address and then the big-endian port.
std::optional<TServerAddress> Entry(std::string_view bytes, bool v6) {
  TServerAddress address;
  address.IsV6 = v6;
  const std::size_t size = v6 ? 16 : 4;
  std::copy_n(bytes.begin(), size, address.Bytes.begin());
  address.Port = static_cast<std::uint16_t>((static_cast<std::uint8_t>(bytes[size]) << 8) |
                                            static_cast<std::uint8_t>(bytes[size + 1]));
  if (address.Port == 0) return std::nullopt;
  return address;
}

}  // namespace

std::string DpMasterRequest(std::string_view game, bool extended) {
  return std::string(kConnectionless) + (extended ? "getserversExt " : "getservers ") +
         std::string(game) + " 3 empty full" + (extended ? " ipv4 ipv6" : "");
}

std::string QuakeWorldMasterRequest() {
  return std::string("c\n\0", 3);
}

std::optional<TMasterReply> ParseDpMasterReply(std::string_view datagram) {
  TDatagramReader in(datagram);
  if (!in.Skip(kConnectionless)) return std::nullopt;
  const bool extended = in.Skip("getserversExtResponse");
  if (!extended && !in.Skip("getserversResponse")) return std::nullopt;
  TMasterReply reply;
  while (!in.AtEnd() && !reply.Last) {
    const auto mark = in.Byte();
    const bool v6 = *mark == '/';
    if (*mark != '\\' && !(v6 && extended)) return std::nullopt;
    const auto bytes = in.Take(v6 ? 18 : 6);
    if (!bytes) return std::nullopt;
    if (!v6 && *bytes == std::string_view("EOT\0\0\0", 6)) {
      reply.Last = true;
    } else if (auto address = Entry(*bytes, v6)) {
      reply.Servers.push_back(*address);
    }
  }
  return reply;
}

std::optional<TMasterReply> ParseQuakeWorldMasterReply(std::string_view datagram) {
  TDatagramReader in(datagram);
  if (!in.Skip(kConnectionless) || !in.Skip("d\n")) return std::nullopt;
  TMasterReply reply;
  while (const auto bytes = in.Take(6))
    if (auto address = Entry(*bytes, false)) reply.Servers.push_back(*address);
  return reply;
}

}  // namespace fx
