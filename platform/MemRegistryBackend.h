#pragma once

// A registry that lives only in memory: for tests of code that uses TRegistry,
// and for roots that have no file.

#include <map>

#include "platform/RegTree.h"
#include "platform/RegistryBackend.h"

namespace fx {

class TMemRegistryBackend final : public TRegistryBackend {
 public:
  bool KeyExists(HKEY root, const std::string& keyPath) override;
  bool CreateKey(HKEY root, const std::string& keyPath) override;
  bool DeleteKey(HKEY root, const std::string& keyPath) override;
  std::vector<std::string> SubKeyNames(HKEY root, const std::string& keyPath) override;
  std::vector<std::string> ValueNames(HKEY root, const std::string& keyPath) override;
  std::optional<TRegValue> GetValue(HKEY root, const std::string& keyPath,
                                    const std::string& name) override;
  void SetValue(HKEY root, const std::string& keyPath, const std::string& name,
                const TRegValue& value) override;
  bool DeleteValue(HKEY root, const std::string& keyPath, const std::string& name) override;
  // Nothing to save; counted so that tests can see when a caller flushes.
  void Flush(HKEY root) override;

  int FlushCount(HKEY root) const;
  TRegTree& Tree(HKEY root) { return FTrees[root]; }

 private:
  std::map<HKEY, TRegTree> FTrees;
  std::map<HKEY, int> FFlushes;
};

}  // namespace fx
