#include "exes/ExeNames.h"

#include <algorithm>

#include "platform/RegistryTypes.h"

namespace fx {

bool ExeNameTaken(const std::string& name, const std::vector<std::string>& names) {
  // Entry names are registry keys, so they compare as the registry compares key names.
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& other) { return SameName(name, other); });
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
