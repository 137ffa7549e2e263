#include "content/ContentSearch.h"

#include <algorithm>
#include <charconv>

#include "content/ContentText.h"
#include "content/ModCommandLine.h"

namespace fx {

namespace {

std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  for (const std::string_view word : SplitAtBlanks(text))
    words.push_back(LowerAscii(word));
  return words;
}

bool HasType(const TContentPackage& p, std::string_view type) {
  return std::find(p.Types.begin(), p.Types.end(), type) != p.Types.end();
}

bool Matches(TTriState want, bool have) {
  return want == TTriState::Any || (want == TTriState::Yes) == have;
}

bool MatchesFields(const TContentPackage& p, TInstallState state, const TContentFilter& f) {
  if (!f.Type.empty() && !HasType(p, f.Type)) return false;
  if (p.Rating < f.MinRating) return false;
  if (f.MinUsersRating > 0 && p.UsersRating.value_or(0) < f.MinUsersRating) return false;
  if (f.YearFrom && p.Date.Year < f.YearFrom) return false;
  if (f.YearTo && (p.Date.Year == 0 || p.Date.Year > f.YearTo)) return false;
  if (p.Bytes < f.MinBytes || (f.MaxBytes && p.Bytes > f.MaxBytes)) return false;
  if (!Matches(f.Installed, state != TInstallState::NotInstalled)) return false;
  if (f.NeedsMod != TTriState::Any && !Matches(f.NeedsMod, NeedsMod(p))) return false;
  if (f.BeyondLimits && !p.ExceedsLimits && !p.Bsp2) return false;
  if (f.SinglePlayer || f.Deathmatch || f.Coop)
    if (!(f.SinglePlayer && p.SinglePlayer) && !(f.Deathmatch && p.Deathmatch) &&
        !(f.Coop && p.Coop))
      return false;
  return true;
}

// Keys of the preset lines, one per field.
std::string PresetLines(const TContentFilter& f) {
  const auto tri = [](TTriState t) {
    return t == TTriState::Any ? "any" : t == TTriState::Yes ? "yes" : "no";
  };
  std::string out;
  out += "text=" + f.Text + "\n";
  out += "type=" + f.Type + "\n";
  out += "rating=" + std::to_string(f.MinRating) + "\n";
  out += "users=" + std::to_string(static_cast<int>(f.MinUsersRating * 100 + 0.5)) + "\n";
  out += "years=" + std::to_string(f.YearFrom) + "-" + std::to_string(f.YearTo) + "\n";
  out += "bytes=" + std::to_string(f.MinBytes) + "-" + std::to_string(f.MaxBytes) + "\n";
  out += std::string("installed=") + tri(f.Installed) + "\n";
  out += std::string("needsmod=") + tri(f.NeedsMod) + "\n";
  out += std::string("limits=") + (f.BeyondLimits ? "1" : "0") + "\n";
  out += std::string("modes=") + (f.SinglePlayer ? "s" : "") + (f.Deathmatch ? "d" : "") +
         (f.Coop ? "c" : "") + "\n";
  return out;
}

// Whether `text` was a whole number (`into` keeps its value when not).
template <typename T>
bool Number(std::string_view text, T& into) {
  T value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  into = value;
  return true;
}

template <typename T>
bool Range(std::string_view text, T& from, T& to) {
  const std::size_t dash = text.find('-');
  if (dash == std::string_view::npos) return false;
  const bool first = Number(text.substr(0, dash), from);
  return Number(text.substr(dash + 1), to) && first;
}

// Whether the line was one the format knows with a value it can read.
bool ApplyPresetLine(std::string_view key, std::string_view value, TContentFilter& f) {
  const auto tri = [](std::string_view v, TTriState& into) {
    into = v == "yes" ? TTriState::Yes : v == "no" ? TTriState::No : TTriState::Any;
    return v == "yes" || v == "no" || v == "any";
  };
  if (key == "text")
    f.Text = value;
  else if (key == "type")
    f.Type = value;
  else if (key == "rating")
    return Number(value, f.MinRating);
  else if (key == "users") {
    int hundredths = 0;
    const bool read = Number(value, hundredths);
    f.MinUsersRating = hundredths / 100.0;
    return read;
  } else if (key == "years")
    return Range(value, f.YearFrom, f.YearTo);
  else if (key == "bytes")
    return Range(value, f.MinBytes, f.MaxBytes);
  else if (key == "installed")
    return tri(value, f.Installed);
  else if (key == "needsmod")
    return tri(value, f.NeedsMod);
  else if (key == "limits")
    f.BeyondLimits = value == "1";
  else if (key == "modes") {
    f.SinglePlayer = value.find('s') != std::string_view::npos;
    f.Deathmatch = value.find('d') != std::string_view::npos;
    f.Coop = value.find('c') != std::string_view::npos;
  } else
    return false;
  return true;
}

}  // namespace

std::vector<std::string> SearchTexts(const std::vector<TContentPackage>& packages) {
  std::vector<std::string> texts;
  texts.reserve(packages.size());
  for (const TContentPackage& p : packages) {
    std::string text = p.Title + "\n" + p.Author + "\n" + p.Id + "\n" + p.Description;
    for (const auto* list : {&p.Tags, &p.StartMaps, &p.Types})
      for (const std::string& item : *list)
        text += "\n" + item;
    texts.push_back(LowerAscii(text));
  }
  return texts;
}

bool NeedsMod(const TContentPackage& p) {
  const TModCommandLine line = CheckCommandLine(p.CommandLine);
  return !p.Mod.empty() || !p.Requirements.empty() || !p.Depends.empty() || line.Hipnotic ||
         line.Rogue || line.Quoth;
}

bool MatchesFilter(const TContentPackage& p, std::string_view searchText, TInstallState state,
                   const TContentFilter& filter) {
  if (!MatchesFields(p, state, filter)) return false;
  for (const std::string& word : Words(filter.Text))
    if (searchText.find(word) == std::string_view::npos) return false;
  return true;
}

std::vector<std::size_t> FilterPackages(const std::vector<TContentPackage>& packages,
                                        const std::vector<std::string>& searchTexts,
                                        const std::vector<TInstallState>& states,
                                        const TContentFilter& filter) {
  const std::vector<std::string> words = Words(filter.Text);
  std::vector<std::size_t> matching;
  for (std::size_t i = 0; i < packages.size(); ++i) {
    const TInstallState state = i < states.size() ? states[i] : TInstallState::NotInstalled;
    if (!MatchesFields(packages[i], state, filter)) continue;
    const std::string_view text = i < searchTexts.size() ? searchTexts[i] : std::string_view();
    if (std::all_of(words.begin(), words.end(), [&](const std::string& word) {
          return text.find(word) != std::string_view::npos;
        }))
      matching.push_back(i);
  }
  return matching;
}

std::optional<std::size_t> PickRandomUninstalled(const std::vector<std::size_t>& matching,
                                                 const std::vector<TInstallState>& states,
                                                 std::mt19937& random) {
  std::vector<std::size_t> open;
  for (const std::size_t i : matching)
    if (i >= states.size() || states[i] == TInstallState::NotInstalled) open.push_back(i);
  if (open.empty()) return std::nullopt;
  return open[std::uniform_int_distribution<std::size_t>(0, open.size() - 1)(random)];
}

std::string FormatFilterPresets(const std::map<std::string, TContentFilter>& presets) {
  std::string out;
  for (const auto& [name, filter] : presets) {
    // A name or search text cannot break the lines: line breaks become blanks.
    std::string clean = name;
    std::replace_if(
        clean.begin(), clean.end(), [](char c) { return c == '\n' || c == '\r' || c == ']'; }, ' ');
    TContentFilter copy = filter;
    std::replace_if(
        copy.Text.begin(), copy.Text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    out += "[" + clean + "]\n" + PresetLines(copy);
  }
  return out;
}

std::map<std::string, TContentFilter> ParseFilterPresets(std::string_view text,
                                                         std::vector<std::string>* problems) {
  std::map<std::string, TContentFilter> presets;
  TContentFilter* current = nullptr;
  for (std::size_t number = 1; !text.empty(); ++number) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    bool read = true;
    if (line.starts_with('[') && line.ends_with(']')) {
      current = &presets[std::string(line.substr(1, line.size() - 2))];
    } else if (const std::size_t equals = line.find('=');
               current && equals != std::string_view::npos) {
      read = ApplyPresetLine(line.substr(0, equals), line.substr(equals + 1), *current);
    } else {
      read = TrimBlanks(line).empty();
    }
    if (!read && problems) problems->push_back("line " + std::to_string(number) + " not read");
  }
  return presets;
}

}  // namespace fx
