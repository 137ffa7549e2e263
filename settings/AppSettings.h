#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace fx {

class TAppSettings;

// How a settings property is stored (see TAppSettings).
enum class TPropertyType { Integer, Char, Enumeration, Set, Float, String, StringList };

// The description of one settings property: what run-time type information gives a
// Delphi program for a published property. A descendant lists its own after those of
// its base class, in declaration order.
struct TPropertyInfo {
  std::string Name;  // also the registry value name
  TPropertyType Type = TPropertyType::Integer;
  // Element identifiers by ordinal, for enumerations and sets. A Boolean is an
  // enumeration with {"False", "True"}.
  std::vector<std::string> Identifiers;
  // The declared default; nullopt is "no default" (the property is always written).
  std::optional<std::int64_t> Default;
  bool Stored = true;

  // Accessors; only those of the property's type are set. A property without a setter
  // (read-only) is neither read nor written.
  // Integer, Char, Enumeration: the ordinal. Set: the members as a bit mask (bit n =
  // element n, elements 0..31).
  std::function<std::int64_t(const TAppSettings&)> GetOrdinal;
  std::function<void(TAppSettings&, std::int64_t)> SetOrdinal;
  std::function<double(const TAppSettings&)> GetFloat;
  std::function<void(TAppSettings&, double)> SetFloat;
  std::function<std::string(const TAppSettings&)> GetString;
  std::function<void(TAppSettings&, const std::string&)> SetString;
  // StringList: the object's own list, changed in place.
  std::function<std::vector<std::string>*(TAppSettings&)> List;

  bool HasSetter() const;
};

// A window's position, size and state: the 17-byte "<Name>Placement" registry value.
struct TFormPlacement {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::uint8_t State = 0;  // 0 normal, 1 minimised, 2 maximised

  std::string Encode() const;  // exactly 17 bytes, little-endian, no padding
  // nullopt unless `bytes` is exactly 17 bytes long.
  static std::optional<TFormPlacement> Decode(const std::string& bytes);
  friend bool operator==(const TFormPlacement&, const TFormPlacement&) = default;
};

// A stored value that could not be read (one of the wrong type), and why.
struct TDamagedValue {
  std::string Key;  // with its root: "HKEY_CURRENT_USER\\Software\\...\\AddParms"
  std::string Value;
  std::string Reason;
};

// What the user is told about damaged values of `registry`'s root: the file that holds it
// where the registry is kept in files.
std::string DamagedSettingsText(const TRegistry& registry,
                                const std::vector<TDamagedValue>& damaged);

// Base of every settings object: reads and writes the properties its class lists, one
// registry value each, below KeyPath of RootKey.
//
// A value that cannot be read leaves its property as the constructor set it (a list without
// that item) and does not keep the others from loading. Save leaves such a value in the
// registry as it is, unless the program has changed the property since: otherwise every
// start would overwrite a damaged value, and a list the items after it, with defaults.
class TAppSettings {
 public:
  explicit TAppSettings(std::string keyPath);
  virtual ~TAppSettings();
  TAppSettings(const TAppSettings&) = delete;
  TAppSettings& operator=(const TAppSettings&) = delete;

  const std::string& KeyPath() const { return FKeyPath; }
  HKEY RootKey() const { return FRootKey; }
  void SetRootKey(HKEY root) { FRootKey = root; }

  // Registry access brackets; they nest. The outermost BeginAccess creates the registry
  // object and opens the key; the matching EndAccess closes it (and saves).
  void BeginAccess();
  void EndAccess();

  virtual bool OpenSettingsKey();
  // Throws ERegistryException with DamagedSettingsText once everything readable is read.
  virtual void Load();
  virtual void Save();
  virtual void Edit();

  // "<componentName>Placement".
  void SaveFormPlacement(const std::string& componentName, const TFormPlacement& placement);
  // nullopt when the value is missing.
  std::optional<TFormPlacement> LoadFormPlacement(const std::string& componentName);

  // The properties of this object's class, inherited ones first.
  virtual std::vector<TPropertyInfo> Properties() const;

 protected:
  // Reads what it can (a list every item it can) and returns the values it could not read.
  virtual std::vector<TDamagedValue> ReadProperty(const TPropertyInfo& property);
  virtual void WriteProperty(const TPropertyInfo& property);

  // The open registry object between BeginAccess and EndAccess; null otherwise.
  TRegistry* Registry() { return FRegistry.get(); }

 private:
  // One value of any type but a list; throws ERegistryException when it cannot be read.
  void ReadValue(const TRegistry& registry, const TPropertyInfo& property);
  // A picture of the property's value, to tell whether it changed.
  std::string ValueImage(const TPropertyInfo& property);

  std::unique_ptr<TRegistry> FRegistry;
  std::string FKeyPath;
  HKEY FRootKey = HKEY_CURRENT_USER;
  int FAccessCount = 0;
  // The properties whose stored value could not be read, with their value as loaded.
  std::map<std::string, std::string> FUnread;
};

}  // namespace fx
