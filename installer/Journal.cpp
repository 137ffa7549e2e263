#include "installer/Journal.h"

#include <filesystem>
#include <sstream>

#include "installer/PackageStore.h"
#include "platform/InstallFiles.h"

namespace fx {

namespace {

constexpr std::string_view kHeader = "fraxinel-journal 1";

std::string Parent(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

}  // namespace

std::string StagingFolderOf(std::string_view name) {
  return ".fraxinel-staging-" + std::string(name);
}
std::string BackupFolderOf(std::string_view name) {
  return ".fraxinel-backup/" + std::string(name);
}

std::string JournalText(const TJournal& j) {
  std::ostringstream out;
  out << kHeader << "\nname\t" << j.Name << "\ngame\t" << j.GameFolder << "\nstaging\t" << j.Staging
      << "\nphase\t" << (j.Committing ? "commit" : "staging") << "\n";
  for (const TJournalMove& m : j.Moves)
    out << "move\t" << (m.Replace ? 1 : 0) << "\t" << m.Staged << "\t" << m.Target << "\t"
        << m.Backup << "\n";
  if (j.Committing) out << "manifest\n" << ManifestText(j.Manifest);
  return out.str();
}

TJournal ParseJournal(std::string_view text) {
  TJournal j;
  std::size_t start = 0, lineNo = 0;
  bool phase = false;
  while (start < text.size()) {
    std::size_t nl = text.find('\n', start);
    if (nl == std::string_view::npos) nl = text.size();
    const std::string line(text.substr(start, nl - start));
    start = nl + 1;
    if (++lineNo == 1) {
      if (line != kHeader) throw EManifest("not an install journal");
      continue;
    }
    if (line == "manifest") {
      j.Manifest = ParseManifest(text.substr(start));
      break;
    }
    std::vector<std::string> parts;
    std::istringstream fields(line);
    for (std::string f; std::getline(fields, f, '\t');)
      parts.push_back(f);
    if (parts.size() < 2) throw EManifest("journal line " + std::to_string(lineNo) + " is damaged");
    if (parts[0] == "name")
      j.Name = parts[1];
    else if (parts[0] == "game")
      j.GameFolder = parts[1];
    else if (parts[0] == "staging")
      j.Staging = parts[1];
    else if (parts[0] == "phase") {
      phase = true;
      j.Committing = parts[1] == "commit";
    } else if (parts[0] == "move") {
      if (parts.size() < 4)
        throw EManifest("journal line " + std::to_string(lineNo) + " is damaged");
      j.Moves.push_back({parts[1] == "1", parts[2], parts[3], parts.size() > 4 ? parts[4] : ""});
    }
  }
  if (!phase || !ValidPackageName(j.Name) || j.Staging != StagingFolderOf(j.Name))
    throw EManifest("the install journal is damaged");
  if (j.Committing && j.Manifest.Name != j.Name) throw EManifest("the install journal is damaged");
  return j;
}

void SaveJournal(const TPackageStore& store, const TJournal& journal) {
  WriteFileAtomically(store.JournalFolder() / (journal.Name + ".journal"), JournalText(journal));
}

void RemoveJournal(const TPackageStore& store, std::string_view name) {
  std::error_code error;
  std::filesystem::remove(store.JournalFolder() / (std::string(name) + ".journal"), error);
}

void FinishCommit(const TJournal& journal, TInstallFiles& files, const TPackageStore& store) {
  for (const TJournalMove& m : journal.Moves) {
    if (files.Kind(m.Staged) != TFileKind::File) continue;  // made before the cut
    if (m.Replace && files.Kind(m.Target) == TFileKind::File &&
        files.Kind(m.Backup) == TFileKind::None) {
      files.MakeFolders(Parent(m.Backup));
      files.Rename(m.Target, m.Backup, false);
    }
    files.MakeFolders(Parent(m.Target));
    files.Rename(m.Staged, m.Target, m.Replace);
  }
  files.SyncFolder("");  // the moves are on the disk before the manifest says so
  store.Save(journal.Manifest);
  files.RemoveTree(journal.Staging);
  RemoveJournal(store, journal.Name);
}

void UndoStaging(const TJournal& journal, TInstallFiles& files, const TPackageStore& store) {
  files.RemoveTree(journal.Staging);
  RemoveJournal(store, journal.Name);
}

}  // namespace fx
