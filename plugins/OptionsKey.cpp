#include "plugins/OptionsKey.h"

namespace fx {

void OpenOptionsKey(TRegistry& registry, const TLongText& keyPath) {
  registry.SetRootKey(HKEY_CURRENT_USER);
  if (!registry.OpenKey(keyPath.Str(), true)) {
    throw ERegistryException("Failed to open key " + keyPath.Str());
  }
}

TOptionsKey::TOptionsKey(const TLongText& keyPath) {
  OpenOptionsKey(FRegistry, keyPath);
}

void TOptionsKey::Write(const std::string& name, std::int32_t value) {
  FRegistry.WriteInteger(name, value);
}

void TOptionsKey::Close() {
  FRegistry.CloseKey();
}

bool TOptionsKey::Has(const std::string& name) const {
  return FRegistry.ValueExists(name);
}

std::int32_t TOptionsKey::Read(const std::string& name, std::int32_t absent) const {
  return Has(name) ? FRegistry.ReadInteger(name) : absent;
}

void SaveOptionValue(const TLongText& keyPath, const std::string& name, std::int32_t value) {
  TOptionsKey key(keyPath);
  key.Write(name, value);
  key.Close();
}

std::int32_t LoadOptionValue(const TLongText& keyPath, const std::string& name,
                             std::int32_t absent) {
  return TOptionsKey(keyPath).Read(name, absent);
}

}  // namespace fx
