#pragma once

// How an archive's file names become paths below the game folder: the layout decision
// (mod folder, game tree, bare maps, wrapper folders) and the caller's explicit targets.
// Pure: names in, names out; the planner matches the result's case to the disk.

#include <optional>
#include <string>
#include <vector>

#include "installer/InstallPlan.h"

namespace fx {

struct TLayoutInput {
  std::vector<std::string> Paths;  // checked entry paths of the files (no folders)
  std::string ArchiveStem;         // the archive's file name without extension ("czg07")
  std::string Into;                // the folder the user chose, "" for the default
};

struct TLayoutResult {
  TLayout Layout = TLayout::GameTree;
  std::string Folder;  // the first-level folder it installs into (the main one)
  // For each input path: the target below the game folder, or nothing (not installed).
  std::vector<std::optional<std::string>> Targets;
  std::string Refusal;  // the layout is not recognised
};

TLayoutResult DecideLayout(const TLayoutInput& input);

// The explicit target of a catalogue: "{base}/id1/maps/" or a zipbasedir, and the mapping.
// Paths that a mapping sends outside the game folder are refused (Refusal set, naming it).
TLayoutResult ApplyExplicitTarget(const std::vector<std::string>& paths,
                                  const TExplicitTarget& target);

}  // namespace fx
