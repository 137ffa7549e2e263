#pragma once

// What the server browser's table shows of a server, as plain text: the cells, the state
// of a server that did not answer, and the order of each column. The table model and the
// filters both work on these texts, so what the user searches is what the user sees.

#include <array>
#include <string>
#include <string_view>

#include "servers/ServerInfo.h"

namespace fx {

// The table's columns, in their order.
enum class TServerColumn : int { Name, Address, Map, Players, Ping, Game, Family, Count };

// A server's 8-bit text (Quake's character set: the upper half repeats the lower half in
// another colour, the control range holds digits, brackets and line-drawing pieces) as
// printable text. Nothing the server sends can come out as a control character.
std::string QuakeServerText(std::string_view text);

// "timed out", "refused", ...: what became of the last query; empty for an answer.
std::string_view ServerStateText(TServerState state);
// The state's name for the status line's counts ("answered", "timed out", ...).
std::string_view ServerStateCountName(TServerState state);

// The mod folder a server runs, as it names it; "" for the base game ("id1", and "qw"
// for QuakeWorld servers, count as none).
std::string ServerModFolder(const TServerInfo& server);

// The text of one cell.
std::string ServerCellText(const TServerInfo& server, TServerColumn column);

// True when `a` sorts before `b` in ascending order of the column: numbers by value (a
// ping nobody measured last), texts without regard to ASCII case, addresses by their
// bytes. Ties fall back to the address, so the order never depends on arrival.
bool ServerLess(const TServerInfo& a, const TServerInfo& b, TServerColumn column);

// What the status line counts.
struct TServerCounts {
  std::array<int, kServerStates> ByState{};  // indexed by TServerState
  int Shown = 0;                             // rows the filter lets through
  bool Refreshing = false;
};
// "Refreshing... 958 servers: 812 answered, 40 timed out, 3 refused, 1 bad reply,
// 2 asked to slow down, 100 waiting; 900 shown". Waiting servers are named only while
// there are some; the other counts always, so the user sees what was lost.
std::string ServerStatusText(const TServerCounts& counts);

// Whether QuakeServerText(quakeText) holds `needle`, ASCII case-blind (an empty needle is
// found), without making the shown text.
bool QuakeTextContains(std::string_view quakeText, std::string_view needle);

// ASCII case-blind search of `needle` in `haystack` (an empty needle is found).
bool ContainsIgnoringCase(std::string_view haystack, std::string_view needle);

}  // namespace fx
