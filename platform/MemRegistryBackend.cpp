#include "platform/MemRegistryBackend.h"

namespace fx {

bool TMemRegistryBackend::KeyExists(HKEY root, const std::string& keyPath) {
  return Tree(root).KeyExists(keyPath);
}

bool TMemRegistryBackend::CreateKey(HKEY root, const std::string& keyPath) {
  return Tree(root).CreateKey(keyPath);
}

bool TMemRegistryBackend::DeleteKey(HKEY root, const std::string& keyPath) {
  return Tree(root).DeleteKey(keyPath);
}

std::vector<std::string> TMemRegistryBackend::SubKeyNames(HKEY root, const std::string& keyPath) {
  return Tree(root).SubKeyNames(keyPath);
}

std::vector<std::string> TMemRegistryBackend::ValueNames(HKEY root, const std::string& keyPath) {
  return Tree(root).ValueNames(keyPath);
}

std::optional<TRegValue> TMemRegistryBackend::GetValue(HKEY root, const std::string& keyPath,
                                                       const std::string& name) {
  const TRegValue* value = Tree(root).FindValue(keyPath, name);
  if (!value) return std::nullopt;
  return *value;
}

void TMemRegistryBackend::SetValue(HKEY root, const std::string& keyPath, const std::string& name,
                                   const TRegValue& value) {
  Tree(root).SetValue(keyPath, name, value);
}

bool TMemRegistryBackend::DeleteValue(HKEY root, const std::string& keyPath,
                                      const std::string& name) {
  return Tree(root).DeleteValue(keyPath, name);
}

void TMemRegistryBackend::Flush(HKEY root) {
  ++FFlushes[root];
}

int TMemRegistryBackend::FlushCount(HKEY root) const {
  const auto it = FFlushes.find(root);
  return it == FFlushes.end() ? 0 : it->second;
}

}  // namespace fx
