#pragma once

// The command line a catalogue gives a package ("-quoth -game 100b4"), checked before any of
// it reaches an engine: only switches the program knows, folder and map names that are one
// plain path component. A line with anything else is shown to the user and not used at all.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fx {

struct TModCommandLine {
  std::vector<std::string> Games;  // the -game folders, in the order given
  bool Hipnotic = false;
  bool Rogue = false;
  bool Quoth = false;
  std::optional<unsigned> HeapSize;  // -heapsize in KiB
  std::string StartMap;              // +map NAME
  // Why tokens were refused ("'+exec' is not a switch this program knows"); empty when the
  // line is accepted.
  std::vector<std::string> Refusals;
  bool Accepted() const { return Refusals.empty(); }
};

// Splits at blanks (the catalogue's lines hold no quoting) and checks each token.
TModCommandLine CheckCommandLine(std::string_view commandLine);

}  // namespace fx
