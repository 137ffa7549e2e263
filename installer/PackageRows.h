#pragma once

// What the installer's dialogs show, decided without a window: the rows of a plan and of the
// installed packages, the summary line of a plan, and which folders the user may install
// into when the layout leaves the choice.

#include <optional>
#include <string>
#include <vector>

#include "installer/InstallPlan.h"
#include "installer/PackageManifest.h"

namespace fx {

class TInstallFiles;

struct TPlanRow {
  std::string Target, Size;
  std::string Replaces;  // "" for a new file; "a file already there", "czg07's file"
  bool Asks = false;     // the user answers whether it is replaced
  bool Replace = false;  // the answer the plan holds
};
std::vector<TPlanRow> PlanRows(const TInstallPlan& plan);

// "game tree into id1: 1.2 MB needed, 3.4 GB free"
std::string PlanSummary(const TInstallPlan& plan);
// One line a refusal, as the command line prints them.
std::string RefusalText(const TInstallPlan& plan);

// Whether the layout installs into a folder the user picks (--into).
bool LayoutLeavesChoice(TLayout layout);
// The folders below the game folder a package may go into: "id1" first, then every other
// folder of the game folder but hidden ones, sorted case-blind.
std::vector<std::string> IntoChoices(const TInstallFiles& gameFolder);

// "1 file", "2 files".
std::string Counted(std::size_t count, const std::string& singular);

struct TPackageRow {
  std::string Name, Where, Size, Files, Date, Folder, State;
};
// `state` unknown yet (still being verified): "checking...".
TPackageRow PackageRow(const TPackageManifest& manifest, std::optional<TPackageState> state);

}  // namespace fx
