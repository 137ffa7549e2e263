#include "content/CatalogueMerge.h"

#include <algorithm>
#include <unordered_map>

namespace fx {

namespace {

template <typename T>
void Fill(T& into, T& from) {
  if constexpr (requires { into.empty(); }) {
    if (into.empty()) into = std::move(from);
  } else if (into == T{}) {
    into = std::move(from);
  }
}

void AddMissing(std::vector<std::string>& into, std::vector<std::string>& from) {
  for (std::string& item : from)
    if (std::find(into.begin(), into.end(), item) == into.end()) into.push_back(std::move(item));
}

void MergeInto(TContentPackage& into, TContentPackage& from) {
  Fill(into.Title, from.Title);
  Fill(into.Author, from.Author);
  Fill(into.Description, from.Description);
  Fill(into.Date, from.Date);
  Fill(into.Rating, from.Rating);
  if (!into.UsersRating) into.UsersRating = from.UsersRating;
  Fill(into.Bytes, from.Bytes);
  Fill(into.Md5, from.Md5);
  Fill(into.Sha256, from.Sha256);
  Fill(into.ZipBaseDir, from.ZipBaseDir);
  Fill(into.Extract, from.Extract);
  Fill(into.ExtractMapping, from.ExtractMapping);
  Fill(into.CommandLine, from.CommandLine);
  Fill(into.Version, from.Version);
  Fill(into.Mod, from.Mod);
  Fill(into.Files, from.Files);
  Fill(into.GameDir, from.GameDir);
  AddMissing(into.Types, from.Types);
  AddMissing(into.StartMaps, from.StartMaps);
  AddMissing(into.Requirements, from.Requirements);
  AddMissing(into.Depends, from.Depends);
  AddMissing(into.Provides, from.Provides);
  AddMissing(into.Tags, from.Tags);
  AddMissing(into.Urls, from.Urls);
  AddMissing(into.Links, from.Links);
  AddMissing(into.Screenshots, from.Screenshots);
  into.ExceedsLimits |= from.ExceedsLimits;
  into.Bsp2 |= from.Bsp2;
  into.SinglePlayer |= from.SinglePlayer;
  into.Deathmatch |= from.Deathmatch;
  into.Coop |= from.Coop;
  into.Sources |= from.Sources;
}

// Where each key of the merged list points.
struct TKeys {
  std::unordered_map<std::string, std::size_t> Sha256, Md5, Id;

  std::optional<std::size_t> Find(const TContentPackage& p) const {
    for (const auto& [keys, key] :
         {std::pair{&Sha256, &p.Sha256}, std::pair{&Md5, &p.Md5}, std::pair{&Id, &p.Id}}) {
      if (key->empty()) continue;
      if (const auto found = keys->find(*key); found != keys->end()) return found->second;
    }
    return std::nullopt;
  }
  void Add(const TContentPackage& p, std::size_t index) {
    if (!p.Sha256.empty()) Sha256.emplace(p.Sha256, index);
    if (!p.Md5.empty()) Md5.emplace(p.Md5, index);
    if (!p.Id.empty()) Id.emplace(p.Id, index);
  }
};

}  // namespace

TCatalogue MergeCatalogues(std::vector<TCatalogue> catalogues) {
  TCatalogue merged;
  TKeys keys;
  for (TCatalogue& catalogue : catalogues) {
    for (TContentPackage& p : catalogue.Packages) {
      if (const auto found = keys.Find(p)) {
        MergeInto(merged.Packages[*found], p);
        keys.Add(merged.Packages[*found], *found);
      } else {
        keys.Add(p, merged.Packages.size());
        merged.Packages.push_back(std::move(p));
      }
    }
    for (TCatalogueSkip& skip : catalogue.Skipped)
      merged.Skipped.push_back(std::move(skip));
  }
  return merged;
}

}  // namespace fx
