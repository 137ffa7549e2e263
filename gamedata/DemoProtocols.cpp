#include "gamedata/DemoProtocols.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace fx {

namespace {

struct TNamedProtocol {
  std::int32_t Number;
  std::uint32_t Bit;
  std::string_view Name;
};

// quakespasm Quake/protocol.h:28-32 (15, 666, 999); darkplaces protocol.c:50-64 (the DP
// numbers and Nehahra's movie and BJP protocols).
constexpr std::array<TNamedProtocol, 15> kNetQuakeProtocols = {{
    {15, kDemoNetQuake, "NetQuake"},
    {666, kDemoFitzQuake, "FitzQuake"},
    {999, kDemoRMQ, "RMQ"},
    {96, kDemoDP1, "DarkPlaces 1"},
    {97, kDemoDP2, "DarkPlaces 2"},
    {3500, kDemoDP3, "DarkPlaces 3"},
    {3501, kDemoDP4, "DarkPlaces 4"},
    {3502, kDemoDP5, "DarkPlaces 5"},
    {3503, kDemoDP6, "DarkPlaces 6"},
    {3504, kDemoDP7, "DarkPlaces 7"},
    {3505, kDemoDP8, "DarkPlaces 8"},
    {250, kDemoNehahraMovie, "Nehahra movie"},
    {10000, kDemoNehahraBJP1, "Nehahra BJP"},
    {10001, kDemoNehahraBJP2, "Nehahra BJP2"},
    {10002, kDemoNehahraBJP3, "Nehahra BJP3"},
}};

const TNamedProtocol* FindNetQuake(std::int32_t protocol) {
  for (const TNamedProtocol& named : kNetQuakeProtocols)
    if (named.Number == protocol) return &named;
  return nullptr;
}

}  // namespace

std::uint32_t DemoProtocolBit(TDemoFormat format, std::int32_t protocol) {
  if (format == TDemoFormat::QuakeWorld) return kDemoQwd;
  if (format == TDemoFormat::Mvd) return kDemoMvd;
  const TNamedProtocol* named = FindNetQuake(protocol);
  return named ? named->Bit : 0;
}

std::string DemoProtocolName(TDemoFormat format, std::int32_t protocol, std::uint32_t flags) {
  std::string name = std::to_string(protocol) + " (";
  if (format == TDemoFormat::QuakeWorld) return name + "QuakeWorld)";
  if (format == TDemoFormat::Mvd) return name + "MVD)";
  const TNamedProtocol* named = FindNetQuake(protocol);
  if (!named) return name + "unknown)";
  name += named->Name;
  if (protocol == 999) {
    std::array<char, 16> hex{};
    std::snprintf(hex.data(), hex.size(), "0x%x", flags);
    name += ", flags ";
    name += hex.data();
  }
  return name + ")";
}

bool IsDarkPlacesProtocol(std::int32_t protocol) {
  return (DemoProtocolBit(TDemoFormat::NetQuake, protocol) & kDemoDarkPlacesAll) != 0;
}

}  // namespace fx
