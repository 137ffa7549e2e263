#include <algorithm>
#include <filesystem>
#include <set>

#include "installer/Archive.h"
#include "installer/Hashers.h"
#include "installer/InstallRoot.h"
#include "installer/Installer.h"
#include "installer/Journal.h"
#include "platform/InstallFiles.h"
#include "platform/RegularFile.h"

namespace fx {

namespace {

std::string Parent(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

// The SHA-256 of a file below the game folder; "" when it is not a plain file.
std::string DiskHash(const TInstallFiles& files, const std::string& path) {
  if (files.Kind(path) != TFileKind::File) return "";
  THasher hash(THashKind::Sha256);
  files.Read(path, [&](std::string_view piece) { hash.Update(piece); });
  return hash.HexDigest();
}

TFileState StateOf(const TInstallFiles& files, const TManifestFile& f) {
  if (files.Kind(f.Path) != TFileKind::File) return TFileState::Missing;
  if (files.Size(f.Path) != f.Size) return TFileState::Modified;
  return DiskHash(files, f.Path) == f.Sha256 ? TFileState::Installed : TFileState::Modified;
}

// Removes the folders below `top` on the way to `path` that are empty, deepest first.
void RemoveEmptyParents(TInstallFiles& files, std::string path, const std::string& top) {
  for (path = Parent(path); !path.empty() && path.size() > top.size(); path = Parent(path))
    if (!files.RemoveFolder(path)) return;
}

}  // namespace

TVerifyOutcome VerifyPackage(const TPackageManifest& manifest, const TInstallFiles& files) {
  TVerifyOutcome out;
  std::vector<TFileState> states;
  for (const TManifestFile& f : manifest.Files) {
    states.push_back(StateOf(files, f));
    out.Files.emplace_back(f.Path, states.back());
  }
  out.State = CombinedState(states);
  return out;
}

TUninstallOutcome UninstallPackage(std::string_view name, TPackageStore& store,
                                   TInstallFiles& files) {
  const auto manifest = store.Find(name);
  if (!manifest) throw EManifest("no package named " + std::string(name) + " is installed");
  // Paths another package records as its own are never touched.
  std::set<std::string> others;
  for (const TPackageManifest& m : store.List())
    if (m.Name != manifest->Name && m.GameFolder == manifest->GameFolder)
      for (const TManifestFile& f : m.Files)
        others.insert(f.Path);
  TUninstallOutcome out;
  std::set<std::string> freed;
  for (const TManifestFile& f : manifest->Files) {
    if (others.count(f.Path) != 0) continue;
    switch (StateOf(files, f)) {
      case TFileState::Installed:
        try {
          files.RemoveFile(f.Path);
          out.Removed.push_back(f.Path);
          freed.insert(f.Path);
        } catch (const EInstallFiles& e) {
          out.Errors.push_back(e.what());
        }
        break;
      case TFileState::Modified:
        out.Kept.push_back(f.Path);
        break;
      case TFileState::Missing:
        freed.insert(f.Path);
        break;
    }
  }
  for (const TManifestBackup& b : manifest->Backups) {
    if (files.Kind(b.BackupPath) != TFileKind::File) continue;
    if (others.count(b.Original.Path) != 0 || freed.count(b.Original.Path) == 0 ||
        files.Kind(b.Original.Path) != TFileKind::None) {
      out.Kept.push_back(b.BackupPath);  // the user's own file stands where the backup would go
      continue;
    }
    try {
      files.Rename(b.BackupPath, b.Original.Path, false);
      out.Restored.push_back(b.Original.Path);
      RemoveEmptyParents(files, b.BackupPath, ".fraxinel-backup");
    } catch (const EInstallFiles& e) {
      out.Errors.push_back(e.what());
    }
  }
  files.RemoveFolder(BackupFolderOf(manifest->Name));
  files.RemoveFolder(".fraxinel-backup");
  for (auto it = manifest->MadeFolders.rbegin(); it != manifest->MadeFolders.rend(); ++it)
    files.RemoveFolder(*it);
  if (out.Ok()) store.Remove(manifest->Name);
  return out;
}

std::optional<TPackageManifest> FoundFromHashes(const std::vector<TManifestFile>& expected,
                                                TInstallFiles& files) {
  if (expected.empty()) return std::nullopt;
  TPackageManifest m;
  for (const TManifestFile& f : expected) {
    if (StateOf(files, f) != TFileState::Installed) return std::nullopt;
    m.Files.push_back(f);
  }
  m.Found = true;
  return m;
}

std::optional<TPackageManifest> FindInstalled(const TInstallPlan& plan,
                                              const TInstallRequest& request,
                                              const TArchive& archive, TInstallFiles& files) {
  std::vector<TManifestFile> expected;
  for (const TPlannedFile& f : plan.Files) {
    if (f.Answer == TReplaceAnswer::Keep && !f.Exists) continue;
    if (!f.Exists || files.Size(f.Target) != f.Size) return std::nullopt;
    THasher hash(THashKind::Sha256);
    archive.Read(f.Index, [&](std::string_view piece) { hash.Update(piece); });
    expected.push_back({f.Target, f.Size, hash.HexDigest()});
  }
  auto found = FoundFromHashes(expected, files);
  if (!found) return std::nullopt;
  found->Name = plan.Name;
  found->GameFolder = request.GameFolder;
  found->Folder = plan.Folder;
  found->SourceFile = std::filesystem::path(request.Archive).filename().string();
  found->SourceUrl = request.SourceUrl;
  found->SourceSha256 = plan.ArchiveSha256.empty() ? FileHashHex(request.Archive, THashKind::Sha256)
                                                   : plan.ArchiveSha256;
  found->Date = request.Date;
  found->AsDependency = request.AsDependency;
  return found;
}

constexpr std::size_t kMaxJournalBytes = 64u << 20;

std::vector<std::string> RecoverInstalls(TPackageStore& store, const TFilesOpener& open) {
  std::vector<std::string> lines;
  std::error_code error;
  for (const auto& item : std::filesystem::directory_iterator(store.JournalFolder(), error)) {
    if (item.path().extension() != ".journal") continue;
    try {
      // Read at every start: a FIFO named so must not hold the program up, nor a huge file
      // its memory (a journal names each file of one package).
      const std::string text = ReadRegularFile(item.path(), kMaxJournalBytes + 1);
      if (text.size() > kMaxJournalBytes) throw EManifest("larger than 64 MB");
      const TJournal journal = ParseJournal(text);
      const std::unique_ptr<TInstallFiles> files = open(journal.GameFolder);
      if (journal.Committing) {
        FinishCommit(journal, *files, store);
        lines.push_back("package " + journal.Name +
                        ": the install cut off while moving files into place is finished");
      } else {
        UndoStaging(journal, *files, store);
        lines.push_back("package " + journal.Name +
                        ": the install cut off before its files were in place is undone");
      }
    } catch (const std::exception& e) {
      lines.push_back(item.path().string() + ": " + e.what() + " (left as it is)");
    }
  }
  // A temporary file of an atomic write cut off before its rename.
  for (const auto& folder : {store.Folder(), store.JournalFolder()})
    for (const auto& item : std::filesystem::directory_iterator(folder, error))
      if (item.path().extension() == ".tmp") std::filesystem::remove(item.path(), error);
  return lines;
}

TInstallRoot ChooseInstallRoot(const std::string& gameFolder, bool gameWritable,
                               const std::string& userFolder) {
  TInstallRoot root;
  if (gameWritable) {
    root.Folder = gameFolder;
    return root;
  }
  if (userFolder.empty()) {
    root.Message = "The game folder " + gameFolder +
                   " cannot be written, and the engine has no folder of the user's.";
    return root;
  }
  root.Folder = userFolder;
  root.InUserFolder = true;
  root.Message = "The game folder " + gameFolder +
                 " cannot be written; the package goes to the engine's folder " + userFolder +
                 ", which it searches too.";
  return root;
}

}  // namespace fx
