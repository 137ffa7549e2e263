#include "launcher/ExeNames.h"

#include <algorithm>

#include "launcher/ScriptText.h"

namespace fx {

bool ExeNameTaken(const std::string& name, const std::vector<std::string>& names) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& other) { return EqualsIgnoringCase(name, other); });
}

std::string NewExeName(const std::vector<std::string>& names) {
  std::string name = kNewExeName;
  for (int counter = 1; ExeNameTaken(name, names); ++counter)
    name = std::string(kNewExeName) + " (" + std::to_string(counter) + ")";
  return name;
}

}  // namespace fx
