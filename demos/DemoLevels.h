#pragma once

// What both demo readers gather while they walk a file: the levels with their times, and the
// players' names.

#include <cmath>
#include <string>
#include <string_view>

#include "demos/DemoReader.h"

namespace fx {

class TDemoLevels {
 public:
  explicit TDemoLevels(TDemoInfo& info) : FInfo(info) {}

  // A server info starts a level (and ends the one before).
  void StartLevel(std::string title) {
    FInfo.Levels.push_back({.Map = "", .Title = std::move(title), .Seconds = 0});
    FFirst = NAN;
  }
  // The world model names the level's map: "maps/e1m1.bsp" gives "e1m1".
  void SetMapModel(std::string_view model);
  // A server time: the level lasts from its first time to its last. Inline: every block of a
  // demo holds one.
  void Time(double seconds) {
    // A time before any server info, or one that is no number, measures nothing.
    if (FInfo.Levels.empty() || !std::isfinite(seconds)) return;
    if (std::isnan(FFirst)) FFirst = seconds;
    FInfo.Levels.back().Seconds = seconds > FFirst ? seconds - FFirst : 0.0;
  }
  // Elapsed time added to the level (an .mvd's frame steps).
  void Elapse(double seconds);
  void Player(std::string_view name);
  // Sums the levels into the demo's length.
  void Finish();

 private:
  TDemoInfo& FInfo;
  double FFirst = NAN;
};

}  // namespace fx
