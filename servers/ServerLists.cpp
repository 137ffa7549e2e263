#include "servers/ServerLists.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <map>
#include <set>
#include <utility>

#include "servers/ServerTableText.h"
#include "settings/AppSettings.h"

namespace fx {

namespace {

constexpr int kMaxPacketsPerSecond = 100000;
constexpr int kMaxPerHost = 64;
constexpr std::size_t kMaxPresetName = 100;
constexpr const char* kPresetsKey = "Presets";

const std::vector<std::string> kFamilyNames = {"NetQuake", "QuakeWorld", "DarkPlaces"};
const std::vector<std::string> kMasterKindNames = {"DpMaster", "QuakeWorld"};
const std::vector<std::string> kBoolNames = {"False", "True"};

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ContainsIgnoringCase(a, b);
}

std::optional<std::size_t> IndexOf(const std::vector<std::string>& names, std::string_view text) {
  for (std::size_t i = 0; i < names.size(); ++i)
    if (SameText(names[i], text)) return i;
  return std::nullopt;
}

// "<word> <rest>"; the rest may be empty.
std::pair<std::string_view, std::string_view> FirstWord(std::string_view line) {
  const std::size_t blank = line.find(' ');
  if (blank == std::string_view::npos) return {line, {}};
  return {line.substr(0, blank), line.substr(blank + 1)};
}

std::optional<TKnownServer> ParseKnown(std::string_view family, std::string_view address) {
  const auto index = IndexOf(kFamilyNames, family);
  const auto parsed = TServerAddress::Parse(address, 0);
  if (!index || !parsed) return std::nullopt;
  return TKnownServer{*parsed, static_cast<TServerFamily>(*index)};
}

std::string KnownLine(const TKnownServer& server) {
  return std::string(ServerFamilyName(server.Family)) + " " + server.Address.ToString();
}

// The settings' own property forms, over plain fields of the class that lists them.
template <class T>
TPropertyInfo IntField(std::string name, int T::*field, std::optional<int> declared) {
  TPropertyInfo info;
  info.Name = std::move(name);
  info.Type = TPropertyType::Integer;
  if (declared) info.Default = *declared;
  info.GetOrdinal = [field](const TAppSettings& s) { return static_cast<const T&>(s).*field; };
  info.SetOrdinal = [field](TAppSettings& s, std::int64_t v) {
    static_cast<T&>(s).*field = static_cast<int>(v);
  };
  return info;
}

template <class T>
TPropertyInfo BoolField(std::string name, bool T::*field, std::optional<bool> declared) {
  TPropertyInfo info;
  info.Name = std::move(name);
  info.Type = TPropertyType::Enumeration;
  info.Identifiers = kBoolNames;
  if (declared) info.Default = *declared ? 1 : 0;
  info.GetOrdinal = [field](const TAppSettings& s) {
    return (static_cast<const T&>(s).*field) ? 1 : 0;
  };
  info.SetOrdinal = [field](TAppSettings& s, std::int64_t v) {
    static_cast<T&>(s).*field = v != 0;
  };
  return info;
}

template <class T>
TPropertyInfo TextField(std::string name, std::string T::*field) {
  TPropertyInfo info;
  info.Name = std::move(name);
  info.Type = TPropertyType::String;
  info.GetString = [field](const TAppSettings& s) { return static_cast<const T&>(s).*field; };
  info.SetString = [field](TAppSettings& s, const std::string& v) {
    static_cast<T&>(s).*field = v;
  };
  return info;
}

template <class T>
TPropertyInfo ListField(std::string name, std::vector<std::string> T::*field) {
  TPropertyInfo info;
  info.Name = std::move(name);
  info.Type = TPropertyType::StringList;
  info.List = [field](TAppSettings& s) { return &(static_cast<T&>(s).*field); };
  return info;
}

// A settings object that reports a value it cannot read instead of failing, and that
// leaves the values named in Skip alone when it saves.
class TTolerantSettings : public TAppSettings {
 public:
  using TAppSettings::TAppSettings;
  std::set<std::string> Damaged;
  std::set<std::string> Skip;
  std::vector<std::string>* Problems = nullptr;
  std::string ProblemPrefix;

 protected:
  std::vector<TDamagedValue> ReadProperty(const TPropertyInfo& property) override {
    std::vector<TDamagedValue> damaged;
    try {
      if (property.Type == TPropertyType::Enumeration) CheckIdentifier(property);
      damaged = TAppSettings::ReadProperty(property);
    } catch (const ERegistryException& e) {
      damaged.push_back({KeyPath(), property.Name, e.what()});
    }
    for (const TDamagedValue& value : damaged) {
      Damaged.insert(property.Name);
      Report(property.Name + ": " + value.Reason);
    }
    // Reported here, so the load goes on without an error of its own.
    return {};
  }
  void WriteProperty(const TPropertyInfo& property) override {
    if (!Skip.contains(property.Name)) TAppSettings::WriteProperty(property);
  }
  void Report(const std::string& text) {
    if (Problems != nullptr) Problems->push_back(ProblemPrefix + text);
  }

 private:
  // A text that names no element would be ignored without a word: it is damage too.
  void CheckIdentifier(const TPropertyInfo& property) {
    TRegistry& registry = *Registry();
    if (!registry.ValueExists(property.Name)) return;
    const std::string text = registry.ReadString(property.Name);
    if (!IndexOf(property.Identifiers, text))
      throw ERegistryException("\"" + text + "\" is neither True nor False");
  }
};

class TListSettings final : public TTolerantSettings {
 public:
  TListSettings() : TTolerantSettings(kServerListsKey) {}
  std::vector<std::string> Favourites, History, Masters, MastersOff;
  int PacketsPerSecond = TQueryLimits().PacketsPerSecond;
  int PerHostConcurrency = TQueryLimits().PerHostConcurrency;
  bool SearchLan = true;
  bool ShowSilent = false;

  std::vector<TPropertyInfo> Properties() const override {
    using T = TListSettings;
    return {ListField<T>("Favourites", &T::Favourites),
            ListField<T>("History", &T::History),
            ListField<T>("Masters", &T::Masters),
            ListField<T>("MastersOff", &T::MastersOff),
            IntField<T>("PacketsPerSecond", &T::PacketsPerSecond, TQueryLimits().PacketsPerSecond),
            IntField<T>("PerHostConcurrency", &T::PerHostConcurrency,
                        TQueryLimits().PerHostConcurrency),
            BoolField<T>("SearchLan", &T::SearchLan, true),
            BoolField<T>("ShowSilent", &T::ShowSilent, false)};
  }
};

std::string PresetKey(const std::string& name) {
  return std::string(kServerListsKey) + "\\" + kPresetsKey + "\\" + name;
}

// One preset's values; every one is always written, so the key reads as the whole filter.
class TPresetSettings final : public TTolerantSettings {
 public:
  explicit TPresetSettings(const std::string& name) : TTolerantSettings(PresetKey(name)) {
    ProblemPrefix = std::string(kPresetsKey) + "\\" + name + "\\";
  }
  std::string Text, Game, Map;
  int PingBelow = 0;
  bool NotEmpty = false, NotFull = false, NoPassword = false;
  int Families = kAllFamilies;

  std::vector<TPropertyInfo> Properties() const override {
    using T = TPresetSettings;
    TPropertyInfo families = IntField<T>("Families", &T::Families, std::nullopt);
    families.Type = TPropertyType::Set;
    families.Identifiers = kFamilyNames;
    return {TextField<T>("Text", &T::Text),
            TextField<T>("Game", &T::Game),
            TextField<T>("Map", &T::Map),
            IntField<T>("PingBelow", &T::PingBelow, std::nullopt),
            BoolField<T>("NotEmpty", &T::NotEmpty, std::nullopt),
            BoolField<T>("NotFull", &T::NotFull, std::nullopt),
            BoolField<T>("NoPassword", &T::NoPassword, std::nullopt),
            std::move(families)};
  }

  TServerFilter ToFilter() const {
    TServerFilter filter;
    filter.Text = Text;
    filter.Game = Game;
    filter.Map = Map;
    filter.PingBelow = std::max(PingBelow, 0);
    filter.NotEmpty = NotEmpty;
    filter.NotFull = NotFull;
    filter.NoPassword = NoPassword;
    filter.Families = static_cast<std::uint8_t>(Families & kAllFamilies);
    return filter;
  }
  void FromFilter(const TServerFilter& filter) {
    Text = filter.Text;
    Game = filter.Game;
    Map = filter.Map;
    PingBelow = filter.PingBelow;
    NotEmpty = filter.NotEmpty;
    NotFull = filter.NotFull;
    NoPassword = filter.NoPassword;
    Families = filter.Families;
  }
};

}  // namespace

bool operator==(const TKnownServer& a, const TKnownServer& b) {
  return a.Address == b.Address && a.Family == b.Family;
}

bool operator==(const TQueryLimits& a, const TQueryLimits& b) {
  return a.PacketsPerSecond == b.PacketsPerSecond && a.PerHostConcurrency == b.PerHostConcurrency;
}

std::optional<TMasterServer> ParseMasterAddress(std::string_view text, TMasterKind kind) {
  std::string_view host;
  std::string_view port;
  if (text.starts_with('[')) {
    const std::size_t close = text.find("]:");
    if (close == std::string_view::npos) return std::nullopt;
    host = text.substr(0, close + 1);
    port = text.substr(close + 2);
  } else {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || text.find(':', colon + 1) != std::string_view::npos)
      return std::nullopt;
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
  }
  const bool hostOk = !host.empty() && std::none_of(host.begin(), host.end(), [](char c) {
    return static_cast<unsigned char>(c) <= ' ' || c == '\\' || c == '"';
  });
  unsigned number = 0;
  const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), number);
  if (!hostOk || ec != std::errc() || end != port.data() + port.size() || number == 0 ||
      number > 65535)
    return std::nullopt;
  return TMasterServer{std::string(host), static_cast<std::uint16_t>(number), kind, true, false};
}

std::string MasterAddressText(const TMasterServer& master) {
  return master.Host + ":" + std::to_string(master.Port);
}

bool TServerLists::IsFavourite(const TServerAddress& address) const {
  return std::any_of(Favourites.begin(), Favourites.end(),
                     [&](const TKnownServer& known) { return known.Address == address; });
}

bool TServerLists::ToggleFavourite(const TKnownServer& server) {
  if (RemoveFavourite(server.Address)) return false;
  Favourites.push_back(server);
  return true;
}

bool TServerLists::RemoveFavourite(const TServerAddress& address) {
  return std::erase_if(Favourites,
                       [&](const TKnownServer& known) { return known.Address == address; }) > 0;
}

void TServerLists::AddToHistory(const TKnownServer& server, std::string name) {
  std::erase_if(History,
                [&](const THistoryEntry& entry) { return entry.Server.Address == server.Address; });
  History.insert(History.begin(), THistoryEntry{server, std::move(name)});
  if (History.size() > kHistoryLength) History.resize(kHistoryLength);
}

std::vector<TKnownServer> TServerLists::KnownServers() const {
  std::vector<TKnownServer> known = Favourites;
  for (const THistoryEntry& entry : History)
    if (!IsFavourite(entry.Server.Address)) known.push_back(entry.Server);
  return known;
}

void TServerLists::AddMaster(std::string_view hostAndPort, TMasterKind kind) {
  const auto master = ParseMasterAddress(hostAndPort, kind);
  if (!master)
    throw EServerListError("\"" + std::string(hostAndPort) +
                           "\" is no master address. Write it as name:port, for example "
                           "master.example.net:27950.");
  for (const TMasterServer& listed : Masters)
    if (SameText(MasterAddressText(listed), MasterAddressText(*master)))
      throw EServerListError("The master " + MasterAddressText(*master) + " is listed already.");
  Masters.push_back(*master);
}

bool TServerLists::RemoveMaster(std::size_t index) {
  if (index >= Masters.size() || Masters[index].BuiltIn) return false;
  Masters.erase(Masters.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}

std::string PresetNameProblem(std::string_view name) {
  if (name.empty()) return "Give the preset a name.";
  if (name.size() > kMaxPresetName) return "A preset name can have at most 100 characters.";
  if (std::any_of(name.begin(), name.end(),
                  [](char c) { return c == '\\' || (static_cast<unsigned char>(c) < ' '); }))
    return "A preset name cannot hold a backslash or a control character.";
  return {};
}

// What one load found, so that the saves after it leave damaged values alone.
struct TServerListStore::TState {
  TListSettings Settings;
  TServerLists Loaded;
  std::vector<std::string> KeptFavourites, KeptHistory, KeptMasters;
};

TServerListStore::TServerListStore() : FState(std::make_unique<TState>()) {}

TServerListStore::~TServerListStore() = default;

namespace {

void Report(std::vector<std::string>& problems, const std::string& list, std::size_t item,
            const std::string& line, const char* what) {
  problems.push_back(list + "\\Item" + std::to_string(item) + ": \"" + line + "\" " + what);
}

std::vector<TKnownServer> ReadFavourites(const std::vector<std::string>& lines,
                                         std::vector<std::string>& kept,
                                         std::vector<std::string>& problems) {
  std::vector<TKnownServer> favourites;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto [family, address] = FirstWord(lines[i]);
    if (const auto known = ParseKnown(family, address)) {
      favourites.push_back(*known);
    } else {
      kept.push_back(lines[i]);
      Report(problems, "Favourites", i, lines[i], "names no server");
    }
  }
  return favourites;
}

std::vector<THistoryEntry> ReadHistory(const std::vector<std::string>& lines,
                                       std::vector<std::string>& kept,
                                       std::vector<std::string>& problems) {
  std::vector<THistoryEntry> history;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto [family, rest] = FirstWord(lines[i]);
    const auto [address, name] = FirstWord(rest);
    if (const auto known = ParseKnown(family, address)) {
      history.push_back({*known, std::string(name)});
    } else {
      kept.push_back(lines[i]);
      Report(problems, "History", i, lines[i], "names no server");
    }
  }
  return history;
}

std::vector<TMasterServer> ReadMasters(const std::vector<std::string>& own,
                                       const std::vector<std::string>& off,
                                       std::vector<std::string>& kept,
                                       std::vector<std::string>& problems) {
  std::vector<TMasterServer> masters = BuiltInMasters();
  for (std::size_t i = 0; i < own.size(); ++i) {
    const auto [kind, address] = FirstWord(own[i]);
    const auto kindIndex = IndexOf(kMasterKindNames, kind);
    const auto master = kindIndex
                            ? ParseMasterAddress(address, static_cast<TMasterKind>(*kindIndex))
                            : std::nullopt;
    const bool listed = master && std::any_of(masters.begin(), masters.end(), [&](const auto& m) {
                          return SameText(MasterAddressText(m), MasterAddressText(*master));
                        });
    if (master && !listed) {
      masters.push_back(*master);
    } else {
      kept.push_back(own[i]);
      if (!master) Report(problems, "Masters", i, own[i], "names no master");
    }
  }
  for (TMasterServer& master : masters)
    master.Enabled = std::none_of(off.begin(), off.end(), [&](const std::string& line) {
      return SameText(line, MasterAddressText(master));
    });
  return masters;
}

int CheckedLimit(TTolerantSettings& settings, std::vector<std::string>& problems, const char* name,
                 int value, int fallback, int most) {
  if (settings.Damaged.contains(name)) return fallback;
  if (value >= 1 && value <= most) return value;
  settings.Damaged.insert(name);
  problems.push_back(std::string(name) + ": " + std::to_string(value) + " is not between 1 and " +
                     std::to_string(most));
  return fallback;
}

// The names of the values the lists write, with whether the user changed them.
std::map<std::string, std::function<bool(const TServerLists&, const TServerLists&)>> Changes() {
  return {
      {"Favourites", [](const auto& a, const auto& b) { return a.Favourites != b.Favourites; }},
      {"History", [](const auto& a, const auto& b) { return a.History != b.History; }},
      {"Masters", [](const auto& a, const auto& b) { return a.Masters != b.Masters; }},
      {"MastersOff", [](const auto& a, const auto& b) { return a.Masters != b.Masters; }},
      {"PacketsPerSecond",
       [](const auto& a, const auto& b) {
         return a.Limits.PacketsPerSecond != b.Limits.PacketsPerSecond;
       }},
      {"PerHostConcurrency",
       [](const auto& a, const auto& b) {
         return a.Limits.PerHostConcurrency != b.Limits.PerHostConcurrency;
       }},
      {"SearchLan", [](const auto& a, const auto& b) { return a.SearchLan != b.SearchLan; }},
      {"ShowSilent", [](const auto& a, const auto& b) { return a.ShowSilent != b.ShowSilent; }},
  };
}

}  // namespace

TServerLists TServerListStore::Load() {
  FState = std::make_unique<TState>();
  FProblems.clear();
  TState& state = *FState;
  TListSettings& settings = state.Settings;
  settings.Problems = &FProblems;
  settings.Load();
  TServerLists lists;
  lists.Favourites = ReadFavourites(settings.Favourites, state.KeptFavourites, FProblems);
  lists.History = ReadHistory(settings.History, state.KeptHistory, FProblems);
  if (lists.History.size() > kHistoryLength) lists.History.resize(kHistoryLength);
  lists.Masters = ReadMasters(settings.Masters, settings.MastersOff, state.KeptMasters, FProblems);
  const TQueryLimits defaults;
  lists.Limits.PacketsPerSecond =
      CheckedLimit(settings, FProblems, "PacketsPerSecond", settings.PacketsPerSecond,
                   defaults.PacketsPerSecond, kMaxPacketsPerSecond);
  lists.Limits.PerHostConcurrency =
      CheckedLimit(settings, FProblems, "PerHostConcurrency", settings.PerHostConcurrency,
                   defaults.PerHostConcurrency, kMaxPerHost);
  lists.SearchLan = settings.SearchLan;
  lists.ShowSilent = settings.ShowSilent;
  state.Loaded = lists;
  return lists;
}

void TServerListStore::Save(const TServerLists& lists) {
  TState& state = *FState;
  TListSettings& settings = state.Settings;
  const auto lines = [](const auto& items, auto line, const std::vector<std::string>& kept) {
    std::vector<std::string> out;
    for (const auto& item : items)
      if (auto text = line(item)) out.push_back(std::move(*text));
    out.insert(out.end(), kept.begin(), kept.end());
    return out;
  };
  settings.Favourites = lines(
      lists.Favourites, [](const TKnownServer& k) { return std::optional(KnownLine(k)); },
      state.KeptFavourites);
  settings.History = lines(
      lists.History,
      [](const THistoryEntry& e) {
        return std::optional(e.Name.empty() ? KnownLine(e.Server)
                                            : KnownLine(e.Server) + " " + e.Name);
      },
      state.KeptHistory);
  settings.Masters = lines(
      lists.Masters,
      [](const TMasterServer& m) -> std::optional<std::string> {
        if (m.BuiltIn) return std::nullopt;
        return kMasterKindNames[static_cast<std::size_t>(m.Kind)] + " " + MasterAddressText(m);
      },
      state.KeptMasters);
  settings.MastersOff = lines(lists.Masters,
                              [](const TMasterServer& m) -> std::optional<std::string> {
                                if (m.Enabled) return std::nullopt;
                                return MasterAddressText(m);
                              },
                              {});
  settings.PacketsPerSecond = lists.Limits.PacketsPerSecond;
  settings.PerHostConcurrency = lists.Limits.PerHostConcurrency;
  settings.SearchLan = lists.SearchLan;
  settings.ShowSilent = lists.ShowSilent;
  // A damaged value stays in the file until the user gives it a value of their own.
  settings.Skip.clear();
  for (const auto& [name, changed] : Changes())
    if (settings.Damaged.contains(name) && !changed(lists, state.Loaded))
      settings.Skip.insert(name);
  settings.Save();
  std::erase_if(settings.Damaged,
                [&](const std::string& name) { return !settings.Skip.contains(name); });
}

std::vector<TFilterPreset> TServerListStore::LoadPresets() {
  std::vector<std::string> names;
  {
    TRegistry registry;
    if (registry.OpenKeyReadOnly("\\" + std::string(kServerListsKey) + "\\" + kPresetsKey))
      names = registry.GetKeyNames();
    registry.CloseKey();
  }
  std::vector<TFilterPreset> presets;
  for (const std::string& name : names) {
    TPresetSettings settings(name);
    settings.Problems = &FProblems;
    settings.Load();
    presets.push_back({name, settings.ToFilter()});
  }
  return presets;
}

void TServerListStore::SavePreset(const TFilterPreset& preset) {
  if (const std::string problem = PresetNameProblem(preset.Name); !problem.empty())
    throw EServerListError(problem);
  DeletePreset(preset.Name);
  TPresetSettings settings(preset.Name);
  settings.FromFilter(preset.Filter);
  settings.Save();
}

void TServerListStore::DeletePreset(const std::string& name) {
  if (!PresetNameProblem(name).empty()) return;
  TRegistry registry;
  WithKeysClosedAfter(registry, [&] {
    if (registry.OpenKey("\\" + std::string(kServerListsKey) + "\\" + kPresetsKey, false))
      registry.DeleteKey(name);
  });
}

}  // namespace fx
