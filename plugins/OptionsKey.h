#pragma once

// A game type's own values in a saved configuration: the configuration's key below
// HKEY_CURRENT_USER, opened (and created when missing) for one save or load.

#include <cstdint>
#include <string>

#include "platform/Registry.h"
#include "plugins/FXIntf.h"

namespace fx {

// Opens the key, creating it when missing. A key that cannot be opened throws
// ERegistryException rather than letting the values land in the root.
void OpenOptionsKey(TRegistry& registry, const TLongText& keyPath);

// The key held open for several values.
class TOptionsKey {
 public:
  explicit TOptionsKey(const TLongText& keyPath);
  TOptionsKey(const TOptionsKey&) = delete;
  TOptionsKey& operator=(const TOptionsKey&) = delete;

  void Write(const std::string& name, std::int32_t value);
  // Saves what was written; a failed save raises here, where the destructor would have to
  // swallow it.
  void Close();
  bool Has(const std::string& name) const;
  // The stored integer, or `absent` when the configuration has no such value. A value of
  // another type raises the registry's error rather than being guessed at.
  std::int32_t Read(const std::string& name, std::int32_t absent) const;

 private:
  TRegistry FRegistry;
};

// One integer of a game type, written or read in one access to the configuration's key.
void SaveOptionValue(const TLongText& keyPath, const std::string& name, std::int32_t value);
std::int32_t LoadOptionValue(const TLongText& keyPath, const std::string& name,
                             std::int32_t absent);

}  // namespace fx
