#pragma once

// An engine found installed on this machine, as the first-run setup enters it: the entry
// name and the program. Finding engines is the executables' business (exes/EngineDiscovery);
// the setup only takes the result.

#include <filesystem>
#include <string>

namespace fx {

struct TFoundEngine {
  std::string Entry;           // the entry name, unique among the engines found
  std::filesystem::path File;  // absolute path of the program
  friend bool operator==(const TFoundEngine&, const TFoundEngine&) = default;
};

}  // namespace fx
