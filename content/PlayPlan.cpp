#include "content/PlayPlan.h"

#include <algorithm>

#include "content/ContentText.h"
#include "content/ModCommandLine.h"

namespace fx {

namespace {

void AddMap(std::vector<std::string>& maps, std::string_view map,
            std::vector<std::string>& refusals) {
  std::string_view name = map;
  if (name.ends_with(".bsp")) name.remove_suffix(4);
  if (!IsSafeName(name)) {
    refusals.push_back("start map '" + std::string(map) + "' is not one plain map name");
  } else if (std::find(maps.begin(), maps.end(), name) == maps.end()) {
    maps.emplace_back(name);
  }
}

// The mod folder when the command line gives none: the first folder the archive goes into
// ("czg07/" of zipbasedir, "{base}/czg07/" of extract) unless that is id1, or an add-on's.
std::string FolderOfInstall(const TContentPackage& p) {
  if (!p.GameDir.empty()) return p.GameDir;
  std::string_view where =
      p.Extract.empty() ? std::string_view(p.ZipBaseDir) : std::string_view(p.Extract);
  if (where.starts_with("{base}")) where.remove_prefix(6);
  while (where.starts_with('/'))
    where.remove_prefix(1);
  const std::string_view first = where.substr(0, where.find('/'));
  if (!IsSafeName(first) || LowerAscii(first) == "id1") return {};
  return std::string(first);
}

std::string JoinNeeds(const std::vector<std::string>& needs) {
  std::string out;
  for (std::size_t i = 0; i < needs.size(); ++i)
    out += (i == 0 ? "" : i + 1 == needs.size() ? " and " : ", ") + needs[i];
  return out;
}

}  // namespace

std::vector<std::string> MissingCapabilities(const TContentPackage& p,
                                             const TEngineProfile& profile) {
  const TModCommandLine line = CheckCommandLine(p.CommandLine);
  std::vector<std::string> missing;
  if (p.Bsp2 && !profile.ReadsBsp2) missing.push_back("BSP2 maps");
  if ((p.ExceedsLimits || p.Bsp2) && !profile.RemovesLimits)
    missing.push_back("a limit-removing engine");
  if (line.Accepted() && line.Quoth && !profile.QuothSwitch) missing.push_back("the -quoth switch");
  if (line.Accepted() && line.Games.size() > 1 && !profile.SeveralGames)
    missing.push_back("several -game folders");
  return missing;
}

TPlayPlan BuildPlayPlan(const TContentPackage& p, const std::vector<std::string>& installedMaps,
                        const std::vector<TPlayEngine>& engines, std::size_t chosen) {
  TPlayPlan plan;
  const TModCommandLine line = CheckCommandLine(p.CommandLine);
  if (line.Accepted()) {
    if (line.Rogue)
      plan.GameType = TGameType::DissolutionOfEternity;
    else if (line.Hipnotic)
      plan.GameType = TGameType::ScourgeOfArmagon;
    if (line.Quoth) plan.Switches = "-quoth";
    // The last -game is searched first and is where the engine writes: the patch box.
    for (std::size_t i = 0; i + 1 < line.Games.size(); ++i)
      plan.Switches += (plan.Switches.empty() ? "-game " : " -game ") + line.Games[i];
    if (!line.Games.empty()) plan.Patch = line.Games.back();
    if (!line.StartMap.empty()) plan.StartMaps.push_back(line.StartMap);
  } else {
    plan.Refusals = line.Refusals;
  }
  if (plan.Patch.empty()) plan.Patch = FolderOfInstall(p);
  // A mission-pack folder as the patch is the game type's own.
  if (plan.Patch == "rogue" || plan.Patch == "hipnotic") {
    plan.GameType =
        plan.Patch == "rogue" ? TGameType::DissolutionOfEternity : TGameType::ScourgeOfArmagon;
    plan.Patch.clear();
  }
  for (const std::string& map : p.StartMaps)
    AddMap(plan.StartMaps, map, plan.Refusals);
  for (const std::string& map : installedMaps)
    AddMap(plan.StartMaps, map, plan.Refusals);

  if (engines.empty()) return plan;
  plan.Engine = std::min(chosen, engines.size() - 1);
  const std::vector<std::string> missing =
      MissingCapabilities(p, EngineProfileOf(engines[plan.Engine].Family));
  if (missing.empty()) return plan;
  const std::string needs = "The package needs " + JoinNeeds(missing) + ", which " +
                            engines[plan.Engine].Entry + " does not give";
  for (std::size_t i = 0; i < engines.size(); ++i) {
    if (MissingCapabilities(p, EngineProfileOf(engines[i].Family)).empty()) {
      plan.Engine = i;
      plan.EngineReason = needs + ": " + engines[i].Entry + " is proposed.";
      return plan;
    }
  }
  plan.EngineFits = false;
  plan.EngineReason = needs + ", nor does any other installed engine.";
  return plan;
}

}  // namespace fx
