#pragma once

// The registry kept in files: one regedit text file per root ("user.reg" for
// HKEY_CURRENT_USER, "machine.reg" for HKEY_LOCAL_MACHINE; other roots live in
// memory only) in the settings folder.
//
// Changes go to the in-memory tree at once and into a journal. Flush merges
// the journal into the file as it is on disk at that moment, under a lock, and
// replaces the file atomically, so two processes that change different values
// both keep theirs and a crash leaves the old file or the new one, never a
// mix. A file that cannot be parsed is moved aside, never overwritten.
// Not thread-safe: one thread uses a store at a time.

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/RegTree.h"
#include "platform/RegistryBackend.h"

namespace fx {

class TRegFileStore final : public TRegistryBackend {
 public:
  using TWarningSink = std::function<void(const std::string&)>;

  explicit TRegFileStore(std::filesystem::path folder);
  // Tries once more to save what is still unsaved; failures go to stderr.
  ~TRegFileStore() override;
  TRegFileStore(const TRegFileStore&) = delete;
  TRegFileStore& operator=(const TRegFileStore&) = delete;

  // FRAXINEL_CONFIG_DIR when set, else $XDG_CONFIG_HOME/fraxinel, else
  // ~/.config/fraxinel.
  static std::filesystem::path FolderFromEnvironment();

  const std::filesystem::path& Folder() const { return FFolder; }
  // The file that holds a root; nullopt for the roots kept in memory only.
  std::optional<std::filesystem::path> FileFor(HKEY root) const;

  // How long Flush waits for another process's lock (default 5 s).
  void SetLockTimeout(std::chrono::milliseconds timeout) { FLockTimeout = timeout; }
  // Told about files moved aside and sections skipped; every message is also
  // kept until TakeWarnings.
  void SetWarningSink(TWarningSink sink) { FWarningSink = std::move(sink); }
  std::vector<std::string> TakeWarnings();
  // Whether the root holds changes that are not in its file yet.
  bool HasPendingChanges(HKEY root) const;

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
  void Flush(HKEY root) override;

 private:
  struct TChange {
    enum class TKind { CreateKey, DeleteKey, SetValue, DeleteValue };
    TKind Kind;
    std::string Path;
    std::string Name;
    TRegValue Value;
  };

  struct TRoot {
    bool Loaded = false;
    TRegTree Tree;
    std::vector<TChange> Journal;
  };

  TRoot& Use(HKEY root);
  TRegTree Load(HKEY root, const std::filesystem::path& file);
  TRegTree RecoverBroken(HKEY root, const std::filesystem::path& file, const std::string& error);
  TRegTree MergeWithDisk(HKEY root, const std::filesystem::path& file, const TRoot& state);
  void MoveAside(const std::filesystem::path& file, const std::string& error,
                 const std::string& outcome);
  void Record(HKEY root, TChange change);
  void Warn(const std::string& message);
  void EnsureFolder() const;

  std::filesystem::path FFolder;
  std::chrono::milliseconds FLockTimeout{5000};
  TWarningSink FWarningSink;
  std::vector<std::string> FWarnings;
  std::map<HKEY, TRoot> FRoots;
};

// The store that TRegistry() uses: created on first use in the folder the
// environment names at that moment.
TRegFileStore& DefaultRegistryStore();

// Drops the default store (saving what it can), so that the next use reads
// the environment again. For tests that point FRAXINEL_CONFIG_DIR elsewhere;
// no TRegistry may be using the default store at the time.
void ResetDefaultRegistryStore();

}  // namespace fx
