#include "content/Dependencies.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <unordered_map>

#include "content/ContentText.h"

namespace fx {

namespace {

// One need of a package: a name (an id, a provided name or a sha256) and a version bound.
struct TNeed {
  std::string Text;  // as the catalogue wrote it, for messages
  std::string Name;
  std::string Op;  // "", "=", ">=", "<=", ">", "<"
  std::string Version;
};

TNeed ParseConstraint(std::string_view text) {
  TNeed need{std::string(text), std::string(text), "", ""};
  for (const std::string_view op : {">=", "<=", "==", "=", ">", "<"}) {
    if (const std::size_t at = text.find(op); at != std::string_view::npos) {
      need.Name = TrimBlanks(text.substr(0, at));
      need.Op = op == "==" ? "=" : op;
      need.Version = TrimBlanks(text.substr(at + op.size()));
      break;
    }
  }
  return need;
}

std::vector<TNeed> Needs(const TContentPackage& p) {
  std::vector<TNeed> needs;
  for (const std::string& id : p.Requirements)
    needs.push_back({id, id, "", ""});
  for (const std::string& constraint : p.Depends)
    needs.push_back(ParseConstraint(constraint));
  return needs;
}

bool VersionFits(const TNeed& need, std::string_view version) {
  if (need.Op.empty()) return true;
  if (version.empty()) return false;
  const int order = CompareVersions(version, need.Version);
  if (need.Op == "=") return order == 0;
  if (need.Op == ">=") return order >= 0;
  if (need.Op == "<=") return order <= 0;
  if (need.Op == ">") return order > 0;
  return order < 0;
}

// The version under which `p` answers `name`, when it does.
std::optional<std::string> Answers(const TContentPackage& p, std::string_view name) {
  if (p.Id == name || (!p.Sha256.empty() && p.Sha256 == LowerAscii(name))) return p.Version;
  for (const std::string& provided : p.Provides) {
    const TNeed offer = ParseConstraint(provided);
    if (offer.Name == name) return offer.Version.empty() ? p.Version : offer.Version;
  }
  return std::nullopt;
}

class TResolver {
 public:
  TResolver(const std::vector<TContentPackage>& packages,
            const std::function<bool(std::size_t)>& installed)
      : FPackages(packages), FInstalled(installed), FState(packages.size(), 0) {}

  TInstallOrder Run(std::size_t wanted) {
    Visit(wanted);
    return std::move(FResult);
  }

 private:
  enum : std::uint8_t { kNew, kOnPath, kDone };

  // The package to satisfy `need` of `from`: an installed one first, else the highest
  // version that fits, preferring one not already on the path (a patch's base, not the patch
  // that needs it).
  std::optional<std::size_t> Choose(const TNeed& need, std::size_t from) {
    std::optional<std::size_t> best;
    std::string bestVersion;
    bool anyAnswers = false;
    std::vector<std::string> offered;
    for (std::size_t i = 0; i < FPackages.size(); ++i) {
      if (i == from) continue;
      const auto version = Answers(FPackages[i], need.Name);
      if (!version) continue;
      anyAnswers = true;
      if (!VersionFits(need, *version)) {
        offered.push_back(FPackages[i].Id + (version->empty() ? "" : " " + *version));
        continue;
      }
      if (FInstalled(i)) return i;
      const auto rank = [&](std::size_t k) { return FState[k] == kOnPath ? 0 : 1; };
      if (!best || rank(i) > rank(*best) ||
          (rank(i) == rank(*best) && CompareVersions(*version, bestVersion) > 0)) {
        best = i;
        bestVersion = *version;
      }
    }
    if (!best) {
      const std::string who = FPackages[from].Id;
      if (!anyAnswers)
        FResult.Problems.push_back(who + " needs " + need.Text + ", which no catalogue has");
      else
        FResult.Problems.push_back(who + " needs " + need.Text + ", but only " + Join(offered) +
                                   " can be had: the versions conflict");
    }
    return best;
  }

  static std::string Join(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items)
      out += (out.empty() ? "" : ", ") + item;
    return out;
  }

  void Visit(std::size_t i) {
    if (FState[i] == kDone) return;
    if (FState[i] == kOnPath) {
      std::string cycle;
      const auto start = std::find(FPath.begin(), FPath.end(), i);
      for (auto at = start; at != FPath.end(); ++at)
        cycle += FPackages[*at].Id + " -> ";
      FResult.Problems.push_back("the packages need each other in a cycle: " + cycle +
                                 FPackages[i].Id);
      return;
    }
    FState[i] = kOnPath;
    FPath.push_back(i);
    for (const TNeed& need : Needs(FPackages[i]))
      if (const auto chosen = Choose(need, i); chosen && !FInstalled(*chosen)) Visit(*chosen);
    FPath.pop_back();
    FState[i] = kDone;
    FResult.Order.push_back(i);
  }

  const std::vector<TContentPackage>& FPackages;
  const std::function<bool(std::size_t)>& FInstalled;
  std::vector<std::uint8_t> FState;
  std::vector<std::size_t> FPath;
  TInstallOrder FResult;
};

}  // namespace

int CompareVersions(std::string_view a, std::string_view b) {
  while (!a.empty() || !b.empty()) {
    const std::size_t dotA = a.find('.'), dotB = b.find('.');
    const std::string_view partA = a.substr(0, dotA), partB = b.substr(0, dotB);
    const auto numA = ParseUnsigned(partA), numB = ParseUnsigned(partB);
    int order = 0;
    if (numA && numB)
      order = *numA < *numB ? -1 : *numA > *numB ? 1 : 0;
    else
      order = partA.compare(partB) < 0 ? -1 : partA.compare(partB) > 0 ? 1 : 0;
    if (order != 0) return order;
    a = dotA == std::string_view::npos ? std::string_view() : a.substr(dotA + 1);
    b = dotB == std::string_view::npos ? std::string_view() : b.substr(dotB + 1);
  }
  return 0;
}

TInstallOrder PlanInstall(const std::vector<TContentPackage>& packages, std::size_t wanted,
                          const std::function<bool(std::size_t)>& installed) {
  return TResolver(packages, installed).Run(wanted);
}

std::vector<std::size_t> UnneededAfterRemoving(const std::vector<TContentPackage>& packages,
                                               std::size_t removed,
                                               const std::function<bool(std::size_t)>& installed,
                                               const std::function<bool(std::size_t)>& askedFor) {
  // Who needs whom among the installed packages.
  const std::size_t n = packages.size();
  std::vector<std::vector<std::size_t>> uses(n);
  for (std::size_t i = 0; i < n; ++i) {
    if (!installed(i) && i != removed) continue;
    for (const TNeed& need : Needs(packages[i]))
      for (std::size_t k = 0; k < n; ++k)
        if (k != i && installed(k))
          if (const auto version = Answers(packages[k], need.Name);
              version && VersionFits(need, *version))
            uses[i].push_back(k);
  }
  // What `removed` reaches through its needs; of that, what a package outside it or one
  // asked for by itself still reaches through its needs is kept.
  std::vector<bool> reached(n, false);
  for (std::vector<std::size_t> walk = {removed}; !walk.empty();) {
    const std::size_t i = walk.back();
    walk.pop_back();
    for (const std::size_t k : uses[i])
      if (!reached[k] && k != removed) {
        reached[k] = true;
        walk.push_back(k);
      }
  }
  std::vector<bool> kept(n, false);
  for (std::size_t i = 0; i < n; ++i)
    kept[i] = i != removed && installed(i) && (!reached[i] || askedFor(i));
  for (bool changed = true; changed;) {
    changed = false;
    for (std::size_t i = 0; i < n; ++i)
      if (kept[i])
        for (const std::size_t k : uses[i])
          if (!kept[k] && k != removed) kept[k] = changed = true;
  }
  std::vector<std::size_t> unneeded;
  for (std::size_t i = 0; i < n; ++i)
    if (reached[i] && !kept[i]) unneeded.push_back(i);
  return unneeded;
}

}  // namespace fx
