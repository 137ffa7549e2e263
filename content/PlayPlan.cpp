#include "content/PlayPlan.h"

#include <algorithm>
#include <optional>

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

// The game type whose own folder `folder` is: the mission packs' "-game rogue".
std::optional<TGameType> MissionPackType(std::string_view folder) {
  const std::string lower = LowerAscii(folder);
  if (lower == "rogue") return TGameType::DissolutionOfEternity;
  if (lower == "hipnotic") return TGameType::ScourgeOfArmagon;
  return std::nullopt;
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
  // A mission pack's folder is given as its game type's switch, not as a -game.
  const auto games = std::count_if(line.Games.begin(), line.Games.end(),
                                   [](const std::string& g) { return !MissionPackType(g); });
  if (line.Accepted() && games > 1 && !profile.SeveralGames)
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
    // The engines that take several -game add each in turn, so the later one is searched
    // first: the catalogue's order is what its author meant and stays as written. The patch
    // box is emitted ahead of the command-line field, so it gets the first folder and the
    // field the others; quakespasm, which reads only the first -game, then loads that one.
    std::vector<std::string> games;
    for (const std::string& game : line.Games) {
      if (const auto pack = MissionPackType(game)) {
        if (plan.GameType == TGameType::Standard) plan.GameType = *pack;
      } else {
        games.push_back(game);
      }
    }
    for (std::size_t i = 1; i < games.size(); ++i)
      plan.Switches += (plan.Switches.empty() ? "-game " : " -game ") + games[i];
    if (!games.empty()) plan.Patch = games.front();
    if (!line.StartMap.empty()) plan.StartMaps.push_back(line.StartMap);
  } else {
    plan.Refusals = line.Refusals;
  }
  // A line that names only a mission pack's folder ("-game rogue") says where to play.
  if (plan.Patch.empty() && (!line.Accepted() || line.Games.empty())) {
    // A mission-pack folder as the install folder is the game type's own.
    plan.Patch = FolderOfInstall(p);
    if (const auto pack = MissionPackType(plan.Patch)) {
      plan.GameType = *pack;
      plan.Patch.clear();
    }
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

namespace {

// A switch with its values ("-game", "ad"): the words up to the next one that starts with
// "-" or "+".
std::vector<std::vector<std::string_view>> SwitchGroups(std::string_view text) {
  std::vector<std::vector<std::string_view>> groups;
  for (const std::string_view word : SplitAtBlanks(text)) {
    if (groups.empty() || word.starts_with('-') || word.starts_with('+')) groups.emplace_back();
    groups.back().push_back(word);
  }
  return groups;
}

// Where `group` stands in `text` as whole words, from its first byte to its last; npos
// when it does not.
std::pair<std::size_t, std::size_t> FindGroup(std::string_view text,
                                              const std::vector<std::string_view>& group) {
  const std::vector<std::string_view> words = SplitAtBlanks(text);
  for (std::size_t i = 0; i + group.size() <= words.size(); ++i) {
    if (!std::equal(group.begin(), group.end(), words.begin() + static_cast<std::ptrdiff_t>(i)))
      continue;
    const std::string_view& last = words[i + group.size() - 1];
    const auto begin = static_cast<std::size_t>(words[i].data() - text.data());
    return {begin, static_cast<std::size_t>(last.data() - text.data()) + last.size()};
  }
  return {std::string_view::npos, std::string_view::npos};
}

std::string Joined(std::string_view left, std::string_view right) {
  left = TrimBlanks(left);
  right = TrimBlanks(right);
  if (left.empty() || right.empty()) return std::string(left.empty() ? right : left);
  return std::string(left) + " " + std::string(right);
}

}  // namespace

TContentSwitchField ReplaceContentSwitches(std::string_view field, std::string_view previous,
                                           std::string_view switches) {
  TContentSwitchField out{std::string(TrimBlanks(field)), {}};
  for (const auto& group : SwitchGroups(previous)) {
    const auto [begin, end] = FindGroup(out.Text, group);
    if (begin != std::string_view::npos)
      out.Text = Joined(std::string_view(out.Text).substr(0, begin),
                        std::string_view(out.Text).substr(end));
  }
  for (const auto& group : SwitchGroups(switches)) {
    if (FindGroup(out.Text, group).first != std::string_view::npos) continue;
    std::string text;
    for (const std::string_view word : group)
      text = Joined(text, word);
    out.Text = Joined(out.Text, text);
    out.Added = Joined(out.Added, text);
  }
  return out;
}

}  // namespace fx
