#include "plugins/PluginHelpers.h"

#include <string>

namespace fx {

void DefaultPatchDir(TQuakeStarter& starter, std::string_view folder) {
  TShortName current;
  starter.GetPatchDir(current);
  if (current.Empty()) starter.SetPatchDir(TShortName(folder));
}

std::int32_t DeathmatchOfPlayMode(TQuakeStarter& starter) {
  return starter.GetPlayMode() + 1;
}

std::string NumberedCommand(std::string_view command, std::int32_t value) {
  return std::string(command) + " " + std::to_string(value);
}

}  // namespace fx
