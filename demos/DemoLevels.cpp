#include "demos/DemoLevels.h"

#include <algorithm>

namespace fx {

void TDemoLevels::SetMapModel(std::string_view model) {
  if (FInfo.Levels.empty() || !FInfo.Levels.back().Map.empty()) return;
  if (model.starts_with("maps/")) model.remove_prefix(5);
  if (model.ends_with(".bsp")) model.remove_suffix(4);
  FInfo.Levels.back().Map = std::string(model);
}

void TDemoLevels::Elapse(double seconds) {
  if (!FInfo.Levels.empty()) FInfo.Levels.back().Seconds += seconds;
}

void TDemoLevels::Player(std::string_view name) {
  if (name.empty()) return;
  if (std::ranges::find(FInfo.Players, name) == FInfo.Players.end())
    FInfo.Players.emplace_back(name);
}

void TDemoLevels::Finish() {
  FInfo.Seconds = 0;
  for (const TDemoLevel& level : FInfo.Levels)
    FInfo.Seconds += level.Seconds;
}

}  // namespace fx
