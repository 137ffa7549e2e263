#pragma once

// The installer's entry points. Each takes the file system of the game folder as a port
// (platform/InstallFiles.h) and the store of manifests, and keeps no state of its own
// between calls; the window runs them on a worker thread, the command line directly.
//
// An install: PlanInstall reads the archive's directory and the target and says what would
// happen; nothing is written. InstallPackage (or a TInstallMachine driven step by step)
// writes the journal, unpacks every file into a staging folder beside the target
// (".fraxinel-staging-NAME" in the game folder, the same file system), hashing as it
// writes, fsyncs them, marks the journal "commit", renames each file into place (a replaced
// file first into ".fraxinel-backup/NAME/"), writes the manifest and removes the journal.
// RecoverInstalls, at every start of the program, finishes a commit that was cut off and
// removes the staging of one that was not: the game folder holds the state before or the
// whole package.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "installer/InstallPlan.h"
#include "installer/InstallProgress.h"
#include "installer/PackageManifest.h"
#include "installer/PackageStore.h"

namespace fx {

class TArchive;
class TInstallFiles;

// Opens the request's archive by its content (zip/pk3 signature, "PACK", else by the
// extension .pak/.bsp as a loose file); throws EArchive.
std::unique_ptr<TArchive> OpenRequestArchive(const TInstallRequest& request);

// The archive an install of `plan` reads: the request's, or for a layout that installs the
// file itself (a .pk3 for an engine that reads them) that file as a one-entry archive.
std::unique_ptr<TArchive> OpenPlanArchive(const TInstallPlan& plan, const TInstallRequest& request);

// The plan; refusals are in the plan, never thrown, except for a file that cannot be read
// at all (EArchive). `files` is the game folder's (request.GameFolder).
TInstallPlan PlanInstall(const TInstallRequest& request, const TPackageStore& store,
                         TInstallFiles& files);

struct TInstallOutcome {
  TInstallPhase Phase = TInstallPhase::Failed;  // Done, Failed or Cancelled
  std::vector<TRefusal> Refusals;               // why it failed
  bool NoSpace = false;                         // the disk filled up ("disk full" said)
  TPackageManifest Manifest;                    // what was recorded, when Done
};

// The install as a state machine: the caller hands it the archive and the file system at
// every step, and calls Step until Finished. A step writes at most `budget` bytes, so a
// Cancel (Cancel() or the progress's Cancelled) is answered within one step. It owns no
// file system and no clock: tests drive it step by step and stop it at any point.
class TInstallMachine {
 public:
  TInstallMachine(TInstallPlan plan, TInstallRequest request);
  ~TInstallMachine();
  TInstallMachine(TInstallMachine&&) noexcept;

  void Step(const TArchive& archive, TInstallFiles& files, TPackageStore& store,
            std::uint64_t budget = 1u << 20);
  // Reports each piece written to `progress` and asks it whether to stop (nullptr: none).
  void Watch(TInstallProgress* progress);
  // Stops at the next step while staging (what was staged is removed); once committing it
  // runs to the end, as a cut-off commit would be finished at the next start.
  void Cancel();
  bool Finished() const;
  TInstallProgressInfo Progress() const;
  const TInstallOutcome& Outcome() const;

 private:
  struct TState;
  std::unique_ptr<TState> S_;
};

// Runs a machine to the end with `progress`. The plan must be Installable. A request
// without a Date is dated from the system clock here.
TInstallOutcome InstallPackage(const TInstallPlan& plan, const TInstallRequest& request,
                               TPackageStore& store, TInstallFiles& files,
                               TInstallProgress& progress);

// Whether the plan's files are all there already with the archive's content (compared by
// SHA-256 of each entry and of the file on disk); if so, the manifest to record (Found).
// The content browser asks the same with the catalogue's hashes (FoundFromHashes).
std::optional<TPackageManifest> FindInstalled(const TInstallPlan& plan,
                                              const TInstallRequest& request,
                                              const TArchive& archive, TInstallFiles& files);
// `expected`: path below the game folder -> (size, sha256).
std::optional<TPackageManifest> FoundFromHashes(const std::vector<TManifestFile>& expected,
                                                TInstallFiles& files);

struct TUninstallOutcome {
  std::vector<std::string> Removed;   // files removed
  std::vector<std::string> Kept;      // changed by the user since: left where they are
  std::vector<std::string> Restored;  // backups put back
  std::vector<std::string> Errors;    // what could not be done (the record is kept then)
  bool Ok() const { return Errors.empty(); }
};
// Removes the package's files whose hash still matches, keeps the others, restores the
// backups, removes the folders it made once empty, then its manifest. Files another
// package owns are never touched. Throws EManifest for a name not installed.
TUninstallOutcome UninstallPackage(std::string_view name, TPackageStore& store,
                                   TInstallFiles& files);

struct TVerifyOutcome {
  TPackageState State = TPackageState::Missing;
  std::vector<std::pair<std::string, TFileState>> Files;
};
TVerifyOutcome VerifyPackage(const TPackageManifest& manifest, const TInstallFiles& files);

// Opens the file system of a game folder named in a manifest or journal.
using TFilesOpener = std::function<std::unique_ptr<TInstallFiles>(const std::string& gameFolder)>;

// Finishes or undoes every install the journal says was cut off; returns one line for each
// (for the log). Run at every start of the program, the command line included.
std::vector<std::string> RecoverInstalls(TPackageStore& store, const TFilesOpener& open);

}  // namespace fx
