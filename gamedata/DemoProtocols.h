#pragma once

// The demo protocols the engines write and play, named as their sources name them, and the
// bits an engine profile lists the ones it plays with.

#include <cstdint>
#include <string>

namespace fx {

enum class TDemoFormat : std::uint8_t {
  NetQuake,    // .dem: the CD track line, then length-prefixed server messages
  QuakeWorld,  // .qwd: a client's recording of a QuakeWorld connection
  Mvd,         // .mvd: a QuakeWorld server's multi-view recording
};

// One bit per demo protocol an engine may play. The numbers are those the server's
// svc_serverinfo carries (quakespasm Quake/protocol.h:28-32; darkplaces protocol.c:50-64).
enum TDemoProtocolBits : std::uint32_t {
  kDemoNetQuake = 1u << 0,       // 15
  kDemoFitzQuake = 1u << 1,      // 666
  kDemoRMQ = 1u << 2,            // 999, with its protocol flags
  kDemoDP1 = 1u << 3,            // 96
  kDemoDP2 = 1u << 4,            // 97
  kDemoDP3 = 1u << 5,            // 3500
  kDemoDP4 = 1u << 6,            // 3501
  kDemoDP5 = 1u << 7,            // 3502
  kDemoDP6 = 1u << 8,            // 3503
  kDemoDP7 = 1u << 9,            // 3504
  kDemoDP8 = 1u << 10,           // 3505
  kDemoNehahraMovie = 1u << 11,  // 250
  kDemoNehahraBJP1 = 1u << 12,   // 10000
  kDemoNehahraBJP2 = 1u << 13,   // 10001
  kDemoNehahraBJP3 = 1u << 14,   // 10002
  kDemoQwd = 1u << 15,           // a .qwd file (protocol 24-28)
  kDemoMvd = 1u << 16,           // an .mvd file (protocol 28)
};

inline constexpr std::uint32_t kDemoDarkPlacesAll =
    kDemoDP1 | kDemoDP2 | kDemoDP3 | kDemoDP4 | kDemoDP5 | kDemoDP6 | kDemoDP7 | kDemoDP8;
inline constexpr std::uint32_t kDemoNehahraAll =
    kDemoNehahraMovie | kDemoNehahraBJP1 | kDemoNehahraBJP2 | kDemoNehahraBJP3;

// The bit of a demo's protocol; 0 for a NetQuake number no engine names.
std::uint32_t DemoProtocolBit(TDemoFormat format, std::int32_t protocol);

// "15 (NetQuake)", "999 (RMQ, flags 0x18)", "3504 (DarkPlaces 7)", "250 (Nehahra movie)",
// "28 (QuakeWorld)", "28 (MVD)"; a number no engine names: "1234 (unknown)".
std::string DemoProtocolName(TDemoFormat format, std::int32_t protocol, std::uint32_t flags);

// The protocols the DarkPlaces server protocol list reads as its own.
bool IsDarkPlacesProtocol(std::int32_t protocol);

}  // namespace fx
