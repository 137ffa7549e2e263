#pragma once

// Names of the executable entries in the main window's list.

#include <string>
#include <vector>

namespace fx {

inline constexpr const char* kNewExeName = "New Executable";

// "New Executable", or "New Executable (n)" with the first n from 1 that no entry has;
// names compare without regard to case.
std::string NewExeName(const std::vector<std::string>& names);
// `base`, or "<base> (n)" with the first n from 1 that no entry has, the same way.
std::string UniqueExeName(const std::string& base, const std::vector<std::string>& names);

// True when `name` equals any of `names` without regard to case; a rename is refused then,
// even when the only match is the entry's own name in another case.
bool ExeNameTaken(const std::string& name, const std::vector<std::string>& names);

}  // namespace fx
