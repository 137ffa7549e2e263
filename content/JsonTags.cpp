#include "content/JsonTags.h"

#include <algorithm>

#include "content/ContentText.h"

namespace fx {

namespace {

// "[Review](https://...)" or a bare address: the address.
std::string LinkAddress(std::string_view value) {
  const std::size_t open = value.find("](");
  if (value.starts_with('[') && open != std::string_view::npos && value.ends_with(')'))
    return std::string(value.substr(open + 2, value.size() - open - 3));
  return std::string(value);
}

void AddAuthor(TContentPackage& p, std::string_view author) {
  if (!p.Author.empty()) p.Author += ", ";
  p.Author += author;
}

// Tags kept as words for search only.
bool IsSearchTag(std::string_view key) {
  return key == "theme" || key == "nonspecific_tag" || key == "map_size" || key == "playstyle" ||
         key == "map_layout" || key == "music";
}

}  // namespace

std::vector<std::string> SplitConstraintList(std::string_view value) {
  value = TrimBlanks(value);
  if (value.starts_with('(') && value.ends_with(')')) value = value.substr(1, value.size() - 2);
  std::vector<std::string> out;
  while (!value.empty()) {
    const std::size_t comma = value.find(',');
    std::string_view item = TrimBlanks(value.substr(0, comma));
    if (item.size() >= 2 && (item.front() == '\'' || item.front() == '"') &&
        item.back() == item.front())
      item = TrimBlanks(item.substr(1, item.size() - 2));
    if (!item.empty()) out.emplace_back(item);
    if (comma == std::string_view::npos) break;
    value.remove_prefix(comma + 1);
  }
  return out;
}

std::optional<std::string> ApplyJsonTags(const std::vector<std::string_view>& tags,
                                         TContentPackage& p) {
  for (const std::string_view full : tags) {
    const std::size_t equals = full.find('=');
    if (equals == std::string_view::npos) continue;
    // The qualifier ("link:review") does not change where a tag goes.
    const std::string_view key = full.substr(0, std::min(equals, full.find(':')));
    const std::string_view value = full.substr(equals + 1);
    if (key == "title")
      p.Title = value;
    else if (key == "author")
      AddAuthor(p, value);
    else if (key == "type")
      p.Types.emplace_back(value);
    else if (key == "game_mode") {
      p.SinglePlayer |= value == "singleplayer";
      p.Deathmatch |= value == "deathmatch";
      p.Coop |= value == "cooperative";
    } else if (key == "release_date") {
      const auto date = ParseIsoDate(value);
      if (!date) return "release_date '" + std::string(value) + "' is not YYYY[-MM[-DD]]";
      p.Date = *date;
    } else if (key == "startmap")
      p.StartMaps.emplace_back(value);
    else if (key == "commandline")
      p.CommandLine = value;
    else if (key == "zipbasedir")
      p.ZipBaseDir = value;
    else if (key == "dependency")
      p.Requirements.emplace_back(value);
    else if (key == "depends") {
      for (std::string& constraint : SplitConstraintList(value))
        p.Depends.push_back(std::move(constraint));
    } else if (key == "provides") {
      for (std::string& provided : SplitConstraintList(value))
        p.Provides.push_back(std::move(provided));
    } else if (key == "version")
      p.Version = value;
    else if (key == "mod")
      p.Mod = value;
    else if (key == "exceeds_quake_limits" || key == "exceedslimits")
      p.ExceedsLimits |= value == "yes";
    else if (key == "bsp_format")
      p.Bsp2 |= LowerAscii(value) == "bsp2";
    else if (key == "filename") {
      std::string_view id = value;
      if (id.ends_with(".zip")) id.remove_suffix(4);
      if (!IsSafeName(id)) return "filename '" + std::string(value) + "' is not a plain file name";
      p.Id = id;
    } else if (key == "link") {
      p.Links.push_back(LinkAddress(value));
    } else if (IsSearchTag(key)) {
      p.Tags.emplace_back(value);
    }
  }
  if (p.Id.empty()) p.Id = p.Sha256;
  return std::nullopt;
}

}  // namespace fx
