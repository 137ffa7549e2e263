#pragma once

// Where TRegistry keeps its keys and values. Every call names a root and a key
// path below it: backslash-separated, no leading backslash, "" for the root
// itself. Names compare without regard to ASCII case (see SameName).

#include <optional>
#include <string>
#include <vector>

#include "platform/RegistryTypes.h"

namespace fx {

class TRegistryBackend {
 public:
  virtual ~TRegistryBackend() = default;

  virtual bool KeyExists(HKEY root, const std::string& keyPath) = 0;
  // Creates the key and any missing parent; false when it existed already.
  // Throws ERegistryException for a name that cannot be stored.
  virtual bool CreateKey(HKEY root, const std::string& keyPath) = 0;
  // Removes the key with everything below it; false when it did not exist.
  // The root itself cannot be removed.
  virtual bool DeleteKey(HKEY root, const std::string& keyPath) = 0;

  // Sub-key names in the order of SameName-insensitive sorting, values in the
  // order they were created; both empty for a missing key.
  virtual std::vector<std::string> SubKeyNames(HKEY root, const std::string& keyPath) = 0;
  virtual std::vector<std::string> ValueNames(HKEY root, const std::string& keyPath) = 0;

  // Value name "" is the key's default value.
  virtual std::optional<TRegValue> GetValue(HKEY root, const std::string& keyPath,
                                            const std::string& name) = 0;
  // Creates the key when it is missing.
  virtual void SetValue(HKEY root, const std::string& keyPath, const std::string& name,
                        const TRegValue& value) = 0;
  virtual bool DeleteValue(HKEY root, const std::string& keyPath, const std::string& name) = 0;

  // Makes the root's changes permanent; throws ERegistryException when that
  // fails, keeping the changes so that a later call may still succeed.
  virtual void Flush(HKEY root) = 0;

 protected:
  TRegistryBackend() = default;
  TRegistryBackend(const TRegistryBackend&) = default;
  TRegistryBackend& operator=(const TRegistryBackend&) = default;
};

}  // namespace fx
