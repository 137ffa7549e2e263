#include "settings/AppSettings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iterator>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "platform/RegFileStore.h"

namespace fx {

namespace {

constexpr std::size_t kPlacementSize = 17;
constexpr std::size_t kMaxSetElements = 32;

char FoldAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameIdentifier(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

// The ordinal of the element named `text`, ignoring case as the type information's
// lookup does; nullopt when no element has that name.
std::optional<std::size_t> FindIdentifier(const std::vector<std::string>& identifiers,
                                          std::string_view text) {
  for (std::size_t i = 0; i < identifiers.size(); ++i)
    if (SameIdentifier(identifiers[i], text)) return i;
  return std::nullopt;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
    text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
    text.remove_suffix(1);
  return text;
}

std::string EnumerationText(const TPropertyInfo& property, std::int64_t ordinal) {
  if (ordinal < 0 || static_cast<std::size_t>(ordinal) >= property.Identifiers.size())
    throw std::logic_error("The value of '" + property.Name + "' names no element");
  return property.Identifiers[static_cast<std::size_t>(ordinal)];
}

// "a,c": the identifiers of the members in ascending order.
std::string SetText(const TPropertyInfo& property, std::int64_t bits) {
  std::string text;
  const std::size_t count = std::min(property.Identifiers.size(), kMaxSetElements);
  for (std::size_t i = 0; i < count; ++i)
    if ((bits >> i) & 1) text += property.Identifiers[i] + ",";
  if (!text.empty()) text.pop_back();
  return text;
}

// Items up to each ",", trimmed; an empty item ends the list and unknown items are
// ignored, so a hand-edited value never fails to load.
std::int64_t ParseSetText(const TPropertyInfo& property, std::string_view text) {
  std::int64_t bits = 0;
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view item = TrimBlanks(text.substr(0, comma));
    if (item.empty()) break;
    if (const auto ordinal = FindIdentifier(property.Identifiers, item);
        ordinal && *ordinal < kMaxSetElements)
      bits |= std::int64_t{1} << *ordinal;
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
  }
  return bits;
}

std::string ItemName(std::size_t index) {
  char name[32];
  std::snprintf(name, sizeof name, "Item%zu", index);
  return name;
}

void PutInt32(std::string& out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i)
    out += static_cast<char>((bits >> (8 * i)) & 0xFF);
}

std::int32_t GetInt32(const std::string& bytes, std::size_t offset) {
  std::uint32_t bits = 0;
  for (int i = 3; i >= 0; --i)
    bits = (bits << 8) | static_cast<unsigned char>(bytes[offset + static_cast<std::size_t>(i)]);
  return static_cast<std::int32_t>(bits);
}

bool HasGetter(const TPropertyInfo& property) {
  switch (property.Type) {
    case TPropertyType::Float:
      return static_cast<bool>(property.GetFloat);
    case TPropertyType::String:
      return static_cast<bool>(property.GetString);
    case TPropertyType::StringList:
      return static_cast<bool>(property.List);
    default:
      return static_cast<bool>(property.GetOrdinal);
  }
}

}  // namespace

bool TPropertyInfo::HasSetter() const {
  switch (Type) {
    case TPropertyType::Integer:
    case TPropertyType::Char:
    case TPropertyType::Enumeration:
    case TPropertyType::Set:
      return static_cast<bool>(SetOrdinal);
    case TPropertyType::Float:
      return static_cast<bool>(SetFloat);
    case TPropertyType::String:
      return static_cast<bool>(SetString);
    case TPropertyType::StringList:
      return static_cast<bool>(List);
  }
  return false;
}

std::string TFormPlacement::Encode() const {
  std::string bytes;
  bytes.reserve(kPlacementSize);
  PutInt32(bytes, Left);
  PutInt32(bytes, Top);
  PutInt32(bytes, Width);
  PutInt32(bytes, Height);
  bytes += static_cast<char>(State);
  return bytes;
}

std::optional<TFormPlacement> TFormPlacement::Decode(const std::string& bytes) {
  if (bytes.size() != kPlacementSize) return std::nullopt;
  TFormPlacement placement;
  placement.Left = GetInt32(bytes, 0);
  placement.Top = GetInt32(bytes, 4);
  placement.Width = GetInt32(bytes, 8);
  placement.Height = GetInt32(bytes, 12);
  placement.State = static_cast<std::uint8_t>(bytes[16]);
  return placement;
}

std::string DamagedSettingsText(const TRegistry& registry,
                                const std::vector<TDamagedValue>& damaged) {
  const auto* store = dynamic_cast<const TRegFileStore*>(&registry.Backend());
  const std::optional<std::filesystem::path> file =
      store ? store->FileFor(registry.RootKey()) : std::nullopt;
  std::string text =
      "Damaged settings in " + (file ? file->string() : RootKeyName(registry.RootKey())) + ":\n";
  for (const TDamagedValue& value : damaged)
    text += "\n" + value.Key + ", value \"" + value.Value + "\": " + value.Reason;
  return text +
         "\n\nEvery other setting was read. The damaged values are not used and stay in the "
         "file as they are until their setting is changed.";
}

TAppSettings::TAppSettings(std::string keyPath) : FKeyPath(std::move(keyPath)) {}

TAppSettings::~TAppSettings() = default;

void TAppSettings::BeginAccess() {
  if (FAccessCount == 0) {
    FRegistry = std::make_unique<TRegistry>();
    try {
      // Without the key open every value would land in the root itself.
      if (!OpenSettingsKey()) throw ERegistryException("Failed to open key " + FKeyPath);
    } catch (...) {
      FRegistry.reset();
      throw;
    }
  }
  ++FAccessCount;
}

void TAppSettings::EndAccess() {
  if (FAccessCount <= 0) return;
  if (--FAccessCount > 0) return;
  // Released before CloseKey so that a failed save still leaves no registry behind.
  const std::unique_ptr<TRegistry> registry = std::move(FRegistry);
  registry->CloseKey();
}

bool TAppSettings::OpenSettingsKey() {
  FRegistry->SetRootKey(FRootKey);
  FRegistry->SetLazyWrite(true);
  return FRegistry->OpenKey(FKeyPath, true);
}

namespace {

// Brackets one period of access and ends it also when the work throws; an error of
// that EndAccess must not replace the one already on its way.
template <class F>
void WithAccess(TAppSettings& settings, F&& work) {
  settings.BeginAccess();
  try {
    work();
  } catch (...) {
    try {
      settings.EndAccess();
    } catch (...) {
    }
    throw;
  }
  settings.EndAccess();
}

}  // namespace

void TAppSettings::Load() {
  std::string error;
  FUnread.clear();
  WithAccess(*this, [&] {
    std::vector<TDamagedValue> damaged;
    for (const TPropertyInfo& property : Properties()) {
      if (!property.Stored) continue;
      std::vector<TDamagedValue> unread = ReadProperty(property);
      if (unread.empty()) continue;
      FUnread[property.Name] = ValueImage(property);
      std::move(unread.begin(), unread.end(), std::back_inserter(damaged));
    }
    if (!damaged.empty()) error = DamagedSettingsText(*FRegistry, damaged);
  });
  if (!error.empty()) throw ERegistryException(error);
}

void TAppSettings::Save() {
  WithAccess(*this, [this] {
    for (const TPropertyInfo& property : Properties()) {
      if (!property.Stored) continue;
      const auto unread = FUnread.find(property.Name);
      if (unread != FUnread.end()) {
        if (unread->second == ValueImage(property)) continue;
        FUnread.erase(unread);
      }
      WriteProperty(property);
    }
  });
}

std::string TAppSettings::ValueImage(const TPropertyInfo& property) {
  switch (property.Type) {
    case TPropertyType::Float: {
      if (!property.GetFloat) return {};
      const double value = property.GetFloat(*this);
      std::string bytes(sizeof value, '\0');
      std::memcpy(bytes.data(), &value, sizeof value);
      return bytes;
    }
    case TPropertyType::String:
      return property.GetString ? property.GetString(*this) : std::string();
    case TPropertyType::StringList: {
      // Each line with its length, so that no two lists give the same picture.
      std::string image;
      if (const std::vector<std::string>* list = property.List(*this))
        for (const std::string& line : *list)
          image += std::to_string(line.size()) + ":" + line;
      return image;
    }
    default:
      return property.GetOrdinal ? std::to_string(property.GetOrdinal(*this)) : std::string();
  }
}

void TAppSettings::Edit() {}

void TAppSettings::SaveFormPlacement(const std::string& componentName,
                                     const TFormPlacement& placement) {
  WithAccess(*this,
             [&] { FRegistry->WriteBinary(componentName + "Placement", placement.Encode()); });
}

std::optional<TFormPlacement> TAppSettings::LoadFormPlacement(const std::string& componentName) {
  std::optional<TFormPlacement> placement;
  WithAccess(*this, [&] {
    const std::string name = componentName + "Placement";
    // A value of another length is no placement of ours; the window keeps its design.
    if (FRegistry->ValueExists(name))
      placement = TFormPlacement::Decode(FRegistry->ReadBinary(name));
  });
  return placement;
}

std::vector<TPropertyInfo> TAppSettings::Properties() const {
  return {};
}

namespace {

// Back to the settings key. Opening it replaces the sub-key without closing it first,
// because a close would save the file in the middle of one Save.
void ReopenKey(TRegistry& registry, const std::string& path) {
  if (!registry.OpenKey("\\" + path, false)) throw ERegistryException("Failed to open key " + path);
}

std::string FullKeyName(const TRegistry& registry) {
  return RootKeyName(registry.RootKey()) + "\\" + registry.CurrentPath();
}

// The items up to the first missing index; an item that cannot be read is left out and
// returned, and the items after it are read all the same.
std::vector<TDamagedValue> ReadStringList(TRegistry& registry, const TPropertyInfo& property,
                                          std::vector<std::string>& list) {
  const std::string home = registry.CurrentPath();
  if (!registry.OpenKey(property.Name, false)) return {};
  std::vector<TDamagedValue> damaged;
  list.clear();
  for (std::size_t i = 0;; ++i) {
    const std::string name = ItemName(i);
    if (!registry.ValueExists(name)) break;
    try {
      list.push_back(registry.ReadString(name));
    } catch (const ERegistryException& e) {
      damaged.push_back({FullKeyName(registry), name, e.what()});
    }
  }
  ReopenKey(registry, home);
  return damaged;
}

// The sub-key is deleted first, so a list that shrank leaves no stale items behind.
void WriteStringList(TRegistry& registry, const TPropertyInfo& property,
                     const std::vector<std::string>& list) {
  const std::string home = registry.CurrentPath();
  if (registry.KeyExists(property.Name)) registry.DeleteKey(property.Name);
  if (!registry.OpenKey(property.Name, true))
    throw ERegistryException("Failed to create key " + property.Name);
  for (std::size_t i = 0; i < list.size(); ++i)
    registry.WriteString(ItemName(i), list[i]);
  ReopenKey(registry, home);
}

}  // namespace

std::vector<TDamagedValue> TAppSettings::ReadProperty(const TPropertyInfo& property) {
  if (!property.HasSetter()) return {};
  TRegistry& registry = *FRegistry;
  if (property.Type == TPropertyType::StringList) {
    if (std::vector<std::string>* list = property.List(*this))
      return ReadStringList(registry, property, *list);
    return {};
  }
  const std::string& name = property.Name;
  if (!registry.ValueExists(name)) return {};
  try {
    ReadValue(registry, property);
  } catch (const ERegistryException& e) {
    return {{FullKeyName(registry), name, e.what()}};
  }
  return {};
}

void TAppSettings::ReadValue(const TRegistry& registry, const TPropertyInfo& property) {
  const std::string& name = property.Name;
  switch (property.Type) {
    case TPropertyType::Integer:
    case TPropertyType::Char:
      property.SetOrdinal(*this, registry.ReadInteger(name));
      break;
    case TPropertyType::Enumeration:
      if (const auto ordinal = FindIdentifier(property.Identifiers, registry.ReadString(name)))
        property.SetOrdinal(*this, static_cast<std::int64_t>(*ordinal));
      break;
    case TPropertyType::Set:
      property.SetOrdinal(*this, ParseSetText(property, registry.ReadString(name)));
      break;
    case TPropertyType::Float:
      property.SetFloat(*this, registry.ReadFloat(name));
      break;
    case TPropertyType::String:
      property.SetString(*this, registry.ReadString(name));
      break;
    case TPropertyType::StringList:
      break;
  }
}

void TAppSettings::WriteProperty(const TPropertyInfo& property) {
  if (!property.HasSetter() || !HasGetter(property)) return;
  TRegistry& registry = *FRegistry;
  const std::string& name = property.Name;
  if (property.Type == TPropertyType::StringList) {
    if (const std::vector<std::string>* list = property.List(*this))
      WriteStringList(registry, property, *list);
    return;
  }
  const bool hasDefault = property.Default.has_value();
  switch (property.Type) {
    case TPropertyType::Integer:
    case TPropertyType::Char:
    case TPropertyType::Enumeration:
    case TPropertyType::Set: {
      const std::int64_t ordinal = property.GetOrdinal(*this);
      if (hasDefault && ordinal == *property.Default) break;
      if (property.Type == TPropertyType::Enumeration)
        registry.WriteString(name, EnumerationText(property, ordinal));
      else if (property.Type == TPropertyType::Set)
        registry.WriteString(name, SetText(property, ordinal));
      else
        registry.WriteInteger(name, static_cast<int>(ordinal));
      return;
    }
    case TPropertyType::Float: {
      const double value = property.GetFloat(*this);
      if (hasDefault && value == 0.0) break;
      registry.WriteFloat(name, value);
      return;
    }
    case TPropertyType::String: {
      const std::string value = property.GetString(*this);
      if (hasDefault && value.empty()) break;
      registry.WriteString(name, value);
      return;
    }
    case TPropertyType::StringList:
      return;
  }
  // At its default the value is not written; one stored earlier is removed, or the
  // next Load would bring back what the user has since set back to the default.
  registry.DeleteValue(name);
}

}  // namespace fx
