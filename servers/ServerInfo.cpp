#include "servers/ServerInfo.h"

#include <arpa/inet.h>

#include <charconv>

namespace fx {

std::string_view ServerFamilyName(TServerFamily family) {
  switch (family) {
    case TServerFamily::NetQuake:
      return "NetQuake";
    case TServerFamily::QuakeWorld:
      return "QuakeWorld";
    case TServerFamily::DarkPlaces:
      return "DarkPlaces";
  }
  return "?";
}

TServerAddress TServerAddress::V4(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d,
                                  std::uint16_t port) {
  TServerAddress address;
  address.Bytes[0] = a;
  address.Bytes[1] = b;
  address.Bytes[2] = c;
  address.Bytes[3] = d;
  address.Port = port;
  return address;
}

namespace {

std::optional<std::uint16_t> ParsePort(std::string_view text) {
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535)
    return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

}  // namespace

std::optional<TServerAddress> TServerAddress::Parse(std::string_view text,
                                                    std::uint16_t defaultPort) {
  TServerAddress address;
  address.Port = defaultPort;
  std::string host;
  if (text.starts_with('[')) {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    host = std::string(text.substr(1, close - 1));
    const std::string_view rest = text.substr(close + 1);
    if (!rest.empty()) {
      if (rest[0] != ':') return std::nullopt;
      const auto port = ParsePort(rest.substr(1));
      if (!port) return std::nullopt;
      address.Port = *port;
    }
    address.IsV6 = true;
  } else {
    const std::size_t colon = text.find(':');
    host = std::string(text.substr(0, colon));
    if (colon != std::string_view::npos) {
      const auto port = ParsePort(text.substr(colon + 1));
      if (!port) return std::nullopt;
      address.Port = *port;
    }
  }
  if (address.IsV6 ? inet_pton(AF_INET6, host.c_str(), address.Bytes.data()) != 1
                   : inet_pton(AF_INET, host.c_str(), address.Bytes.data()) != 1)
    return std::nullopt;
  if (address.Port == 0) return std::nullopt;
  return address;
}

std::string TServerAddress::ToString() const {
  char host[INET6_ADDRSTRLEN] = {};
  inet_ntop(IsV6 ? AF_INET6 : AF_INET, Bytes.data(), host, sizeof host);
  return IsV6 ? "[" + std::string(host) + "]:" + std::to_string(Port)
              : std::string(host) + ":" + std::to_string(Port);
}

}  // namespace fx
