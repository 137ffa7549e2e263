#include "launcher/ExeNames.h"

#include <algorithm>

#include "launcher/ScriptText.h"

namespace fx {

bool ExeNameTaken(const std::string& name, const std::vector<std::string>& names) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& other) { return EqualsIgnoringCase(name, other); });
}

std::string NewExeName(const std::vector<std::string>& names) {
  return UniqueExeName(kNewExeName, names);
}

std::string UniqueExeName(const std::string& base, const std::vector<std::string>& names) {
  std::string name = base;
  for (int counter = 1; ExeNameTaken(name, names); ++counter)
    name = base + " (" + std::to_string(counter) + ")";
  return name;
}

}  // namespace fx
