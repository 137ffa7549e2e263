#pragma once

#include <string>

namespace fx {

// The program's version as the four numbers a Windows version resource carries.
struct TVersion {
  int Major = 0;
  int Minor = 0;
  int Release = 0;
  int Build = 0;

  // "Major.Minor.Release.Build"
  std::string ToString() const;
  friend bool operator==(const TVersion&, const TVersion&) = default;
};

TVersion ProgramVersion();

}  // namespace fx
