#include "installer/PackageRows.h"

#include <algorithm>
#include <cctype>

#include "installer/ProgressText.h"
#include "platform/InstallFiles.h"

namespace fx {

namespace {

std::string Folded(std::string text) {
  std::ranges::transform(text, text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

}  // namespace

std::vector<TPlanRow> PlanRows(const TInstallPlan& plan) {
  std::vector<TPlanRow> rows;
  rows.reserve(plan.Files.size());
  for (const TPlannedFile& file : plan.Files) {
    TPlanRow row{file.Target, ByteText(file.Size), "", false, false};
    if (file.Exists || file.CaseClash) {
      row.Asks = true;
      row.Replace = file.Answer == TReplaceAnswer::Replace;
      if (file.CaseClash)
        row.Replaces = "another file of the package by this name in other case";
      else
        row.Replaces = file.Owner.empty() ? "a file already there" : file.Owner + "'s file";
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string PlanSummary(const TInstallPlan& plan) {
  return std::string(LayoutName(plan.Layout)) + " into " + plan.Folder +
         (plan.MakesFolder ? " (a new folder)" : "") + ": " + ByteText(plan.BytesNeeded) +
         " needed, " + ByteText(plan.BytesFree) + " free";
}

std::string RefusalText(const TInstallPlan& plan) {
  std::string text;
  for (const TRefusal& refusal : plan.Refusals)
    text += (text.empty() ? "" : "\n") + RefusalLine(refusal);
  return text;
}

bool LayoutLeavesChoice(TLayout layout) {
  return layout == TLayout::GameTree || layout == TLayout::BareMaps ||
         layout == TLayout::LoosePak || layout == TLayout::LooseBsp;
}

std::vector<std::string> IntoChoices(const TInstallFiles& gameFolder) {
  std::vector<std::string> folders;
  std::string id1 = "id1";
  for (const std::string& name : gameFolder.List("")) {
    if (name.empty() || name.front() == '.' || gameFolder.Kind(name) != TFileKind::Folder) continue;
    if (Folded(name) == "id1")
      id1 = name;  // as it is spelled on disk
    else
      folders.push_back(name);
  }
  std::ranges::sort(
      folders, [](const std::string& a, const std::string& b) { return Folded(a) < Folded(b); });
  folders.insert(folders.begin(), id1);
  return folders;
}

std::string Counted(std::size_t count, const std::string& singular) {
  return std::to_string(count) + " " + singular + (count == 1 ? "" : "s");
}

TPackageRow PackageRow(const TPackageManifest& manifest, std::optional<TPackageState> state) {
  return {manifest.Name,
          manifest.GameFolder,
          ByteText(manifest.TotalBytes()),
          std::to_string(manifest.Files.size()),
          manifest.Date,
          manifest.Folder,
          state ? PackageStateName(*state) : "checking..."};
}

}  // namespace fx
