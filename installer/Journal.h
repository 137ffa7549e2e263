#pragma once

// What an install is doing, kept in the data folder's journal/NAME.journal while it runs,
// so that the next start of the program can finish or undo it. Written atomically at the
// start ("staging": only the staging folder holds anything of the package) and at the
// commit point ("commit": every file is staged and flushed; the moves and the manifest to
// record follow). The format, one field a line, tab-separated:
//
//   fraxinel-journal 1
//   game<TAB>/home/p/quake
//   staging<TAB>.fraxinel-staging-czg07
//   phase<TAB>staging | commit
//   move<TAB>0|1<TAB>STAGED<TAB>TARGET<TAB>BACKUP      1 = replaces a file, kept at BACKUP
//   manifest                                         the manifest's text follows to the end

#include <string>
#include <string_view>
#include <vector>

#include "installer/PackageManifest.h"

namespace fx {

class TInstallFiles;
class TPackageStore;

struct TJournalMove {
  bool Replace = false;
  std::string Staged, Target, Backup;
};

struct TJournal {
  std::string Name;
  std::string GameFolder;
  std::string Staging;
  bool Committing = false;
  std::vector<TJournalMove> Moves;
  TPackageManifest Manifest;
};

std::string JournalText(const TJournal& journal);
TJournal ParseJournal(std::string_view text);  // throws EManifest

void SaveJournal(const TPackageStore& store, const TJournal& journal);
void RemoveJournal(const TPackageStore& store, std::string_view name);

// Makes the commit's moves that are still to be made (each at most once: a move whose staged
// file is gone was made), records the manifest, removes the staging folder and the journal.
void FinishCommit(const TJournal& journal, TInstallFiles& files, const TPackageStore& store);
// Removes the staging folder and the journal of an install that had not reached its commit.
void UndoStaging(const TJournal& journal, TInstallFiles& files, const TPackageStore& store);

// ".fraxinel-staging-NAME" and ".fraxinel-backup/NAME" in the game folder.
std::string StagingFolderOf(std::string_view name);
std::string BackupFolderOf(std::string_view name);

}  // namespace fx
