#pragma once

// TRegistry: the registry wrapper all program code uses, with the behaviour
// of Delphi's TRegistry (Registry unit) over a TRegistryBackend.
//
// One key is "open" at a time (CurrentPath); with none open, reads and writes
// work on the root itself. Key names starting with "\" are absolute, others
// relative to the open key. Names compare without regard to ASCII case.
//
// Saving: the roots this object changed are flushed at CloseKey, SetRootKey
// and destruction when LazyWrite is on (the default), and after every change
// when it is off. A failed flush throws ERegistryException from CloseKey and
// the writes; the destructor swallows it instead, and the unsaved changes stay
// with the backend (TRegFileStore keeps its journal and saves it at its next
// flush or when it is destroyed).

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegistryBackend.h"
#include "platform/RegistryTypes.h"

namespace fx {

class TRegistry {
 public:
  // Uses DefaultRegistryStore(), or the backend of a live TDefaultRegistryOverride.
  TRegistry();
  explicit TRegistry(TRegistryBackend& backend);
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  // Where the keys are kept (to name the file of a root in a message).
  TRegistryBackend& Backend() const { return FBackend; }
  HKEY RootKey() const { return FRootKey; }
  // Closes the open key (and saves, like CloseKey).
  void SetRootKey(HKEY root);
  bool LazyWrite() const { return FLazyWrite; }
  void SetLazyWrite(bool lazy) { FLazyWrite = lazy; }

  // False when the key is missing and canCreate is false, or when the name
  // cannot be stored.
  bool OpenKey(const std::string& key, bool canCreate);
  // Opens an existing key for reading: writes to it then fail.
  bool OpenKeyReadOnly(const std::string& key);
  // Creates the key (relative to the open key) without opening it; true when
  // it exists afterwards. Throws "Failed to create key <key>" otherwise.
  bool CreateKey(const std::string& key);
  void CloseKey();
  bool HasKeyOpen() const { return FKeyOpen; }
  // The open key's path below the root, without leading backslash; "" when
  // no key is open.
  const std::string& CurrentPath() const { return FCurrentPath; }

  bool KeyExists(const std::string& key) const;
  bool ValueExists(const std::string& name) const;
  bool HasSubKeys() const;
  std::vector<std::string> GetKeyNames() const;
  std::vector<std::string> GetValueNames() const;
  // Deletes the key with everything below it; false when it was missing.
  // An empty relative name deletes the open key itself, as in Delphi.
  bool DeleteKey(const std::string& key);
  bool DeleteValue(const std::string& name);

  // The size Windows reports: for REG_SZ and REG_EXPAND_SZ the text plus its
  // terminating zero. -1 when the value is missing.
  int GetDataSize(const std::string& name) const;
  // The stored REG_* type code; nullopt when the value is missing.
  std::optional<std::uint32_t> GetDataType(const std::string& name) const;

  // REG_SZ or REG_EXPAND_SZ, up to the first zero byte; "" when missing or empty.
  std::string ReadString(const std::string& name) const;
  // Stores the text up to its first zero byte, as a C string would be.
  void WriteString(const std::string& name, const std::string& value);
  void WriteExpandString(const std::string& name, const std::string& value);
  // REG_DWORD, signed 32-bit.
  int ReadInteger(const std::string& name) const;
  void WriteInteger(const std::string& name, int value);
  // REG_DWORD 0 or 1; any non-zero value reads true.
  bool ReadBool(const std::string& name) const;
  void WriteBool(const std::string& name, bool value);
  // REG_BINARY of exactly 8 bytes: an IEEE double, little-endian.
  double ReadFloat(const std::string& name) const;
  void WriteFloat(const std::string& name, double value);
  // REG_BINARY or any type Delphi does not know (not a string or dword).
  // Returns the size copied; throws when it does not fit into the buffer.
  int ReadBinaryData(const std::string& name, void* buffer, int size) const;
  std::string ReadBinary(const std::string& name) const;
  void WriteBinaryData(const std::string& name, const void* buffer, int size);
  void WriteBinary(const std::string& name, std::string_view data);

  // Reads of an integer, Boolean, float or binary value that is missing throw
  // ERegistryException "Failed to get data for '<name>'"; a value of the
  // wrong type throws "Invalid data type for '<name>'".

 private:
  std::string Resolve(const std::string& key) const;
  std::optional<TRegValue> Get(const std::string& name) const;
  TRegValue GetRequired(const std::string& name) const;
  void Put(const std::string& name, TRegValue value);
  void Changed();
  void FlushChanged();
  void ResetKey();

  TRegistryBackend& FBackend;
  HKEY FRootKey = HKEY_CURRENT_USER;
  bool FLazyWrite = true;
  bool FKeyOpen = false;
  bool FReadOnly = false;
  std::string FCurrentPath;
  std::set<HKEY> FChangedRoots;
};

// Runs `body` and closes the registry's key afterwards (which saves), also when
// an error passes; an error of that close then gives way to the first one.
template <typename TBody>
void WithKeysClosedAfter(TRegistry& registry, TBody&& body) {
  try {
    body();
  } catch (...) {
    try {
      registry.CloseKey();
    } catch (const ERegistryException&) {
      // the first error is the one to report
    }
    throw;
  }
  registry.CloseKey();
}

// While it lives, TRegistry() uses the given backend instead of the default
// store: for tests of code that makes its own TRegistry objects.
class TDefaultRegistryOverride {
 public:
  explicit TDefaultRegistryOverride(TRegistryBackend& backend);
  ~TDefaultRegistryOverride();
  TDefaultRegistryOverride(const TDefaultRegistryOverride&) = delete;
  TDefaultRegistryOverride& operator=(const TDefaultRegistryOverride&) = delete;

 private:
  TRegistryBackend* FPrevious;
};

}  // namespace fx
