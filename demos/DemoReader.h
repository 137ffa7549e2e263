#pragma once

// What a demo file says about itself, read as the engines' clients read it: the protocol,
// the levels it passes through (map file and title), how long it plays and who is in it.
// Bytes in, a plain record out; nothing in the file can make the reader read past its end
// or allocate without bound.

#include <cstdint>
#include <string>
#include <vector>

#include "demos/DemoSource.h"
#include "gamedata/DemoProtocols.h"

namespace fx {

enum class TGameKind : std::uint8_t { Unknown, SinglePlayer, Coop, Deathmatch };

struct TDemoLevel {
  std::string Map;    // "e1m1": the world model's file name without "maps/" and ".bsp"
  std::string Title;  // the level's title as the server sent it (Quake's 8-bit text)
  double Seconds = 0;

  bool operator==(const TDemoLevel&) const = default;
};

struct TDemoInfo {
  TDemoFormat Format = TDemoFormat::NetQuake;
  bool IsDemo = false;              // the file starts as a demo of its format does
  std::int32_t Protocol = 0;        // 0 until a server info was read
  std::uint32_t ProtocolFlags = 0;  // protocol 999's flags
  int MaxClients = 0;
  TGameKind GameKind = TGameKind::Unknown;
  std::string GameDir;  // QuakeWorld: the server's game folder
  std::vector<TDemoLevel> Levels;
  std::vector<std::string> Players;  // every name seen, first appearance first, once each
  double Seconds = 0;                // the levels' lengths summed
  // Empty when the whole file was read; else why the rest could not be: "truncated at byte
  // N", "message longer than 64,000 bytes", "not a demo", "unknown protocol N".
  std::string Problem;

  bool operator==(const TDemoInfo&) const = default;
};

// The format a file name's extension names (".qwd", ".mvd", else NetQuake's ".dem").
TDemoFormat DemoFormatOfName(std::string_view fileName);

TDemoInfo ReadDemo(TDemoSource& source, TDemoFormat format);

// "m:ss" (and "h:mm:ss" from an hour), rounded down to the second.
std::string DemoLengthText(double seconds);

}  // namespace fx
