#include <atomic>
#include <chrono>
#include <ctime>
#include <fstream>
#include <set>

#include "installer/Archive.h"
#include "installer/Hashers.h"
#include "installer/Installer.h"
#include "installer/Journal.h"
#include "platform/InstallFiles.h"

namespace fx {

namespace {

// Thrown through the archive reader when the user cancels mid-entry.
struct TCancelSignal {};

std::string Parent(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

}  // namespace

struct TInstallMachine::TState {
  enum class TStep { Hash, Begin, Stage, Prepare, Commit, Finished };

  TInstallPlan Plan;
  TInstallRequest Request;
  TStep Step = TStep::Hash;
  std::atomic<bool> CancelAsked{false};
  TInstallProgress* Watcher = nullptr;
  TInstallProgressInfo Info;
  TInstallOutcome Outcome;
  std::vector<std::size_t> ToWrite;  // indexes into Plan.Files
  std::vector<TManifestFile> Staged;
  std::size_t Next = 0;
  TJournal Journal;
  std::ifstream HashIn;
  THasher ArchiveHash{THashKind::Sha256};
  bool Begun = false;

  bool CancelWanted() { return CancelAsked.load() || (Watcher != nullptr && Watcher->Cancelled()); }
  void Tell() {
    if (Watcher != nullptr) Watcher->Progress(Info);
  }

  void HashArchive(std::uint64_t budget) {
    if (!Plan.ArchiveSha256.empty()) {
      Step = TStep::Begin;
      return;
    }
    if (!HashIn.is_open()) {
      HashIn.open(Request.Archive, std::ios::binary);
      if (!HashIn) throw EArchive("", "cannot be read");
    }
    std::string buffer(1 << 16, '\0');
    for (std::uint64_t done = 0; done < budget && HashIn;) {
      HashIn.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
      ArchiveHash.Update(buffer.data(), static_cast<std::size_t>(HashIn.gcount()));
      done += static_cast<std::uint64_t>(HashIn.gcount());
    }
    if (HashIn.bad()) throw EArchive("", "cannot be read");
    if (HashIn.eof()) {
      Plan.ArchiveSha256 = ArchiveHash.HexDigest();
      Step = TStep::Begin;
    }
  }

  void Begin(TInstallFiles& files, TPackageStore& store) {
    for (std::size_t i = 0; i < Plan.Files.size(); ++i)
      if (Plan.Files[i].Answer != TReplaceAnswer::Keep) ToWrite.push_back(i);
    Journal.Name = Plan.Name;
    Journal.GameFolder = Request.GameFolder;
    Journal.Staging = StagingFolderOf(Plan.Name);
    SaveJournal(store, Journal);
    Begun = true;
    files.RemoveTree(Journal.Staging);
    files.MakeFolders(Journal.Staging);
    Info.Phase = TInstallPhase::Staging;
    Info.FilesTotal = ToWrite.size();
    Info.BytesTotal = Plan.BytesNeeded;
    Step = TStep::Stage;
  }

  void StageFile(const TArchive& archive, TInstallFiles& files, const TPlannedFile& f) {
    const std::string staged = Journal.Staging + "/" + f.Target;
    files.MakeFolders(Parent(staged));
    const std::unique_ptr<TFileSink> sink = files.Create(staged);
    THasher hash(THashKind::Sha256);
    std::uint64_t written = 0;
    Info.File = f.Target;
    archive.Read(f.Index, [&](std::string_view piece) {
      if (CancelWanted()) throw TCancelSignal{};
      written += piece.size();
      // The declared size bounds what is written, whatever the reader hands on.
      if (written > f.Size) throw EArchive(f.Entry, "holds more data than it declares");
      hash.Update(piece);
      sink->Write(piece);
      Info.BytesDone += piece.size();
      Tell();
    });
    if (written != f.Size) throw EArchive(f.Entry, "holds less data than it declares");
    sink->Finish();
    Staged.push_back({f.Target, written, hash.HexDigest()});
    ++Info.FilesDone;
  }

  void Stage(const TArchive& archive, TInstallFiles& files, std::uint64_t budget) {
    std::uint64_t done = 0;
    while (Next < ToWrite.size() && done < budget) {
      if (CancelWanted()) throw TCancelSignal{};
      const TPlannedFile& f = Plan.Files[ToWrite[Next++]];
      StageFile(archive, files, f);
      done += f.Size + 1;
    }
    if (Next < ToWrite.size()) return;
    std::set<std::string> folders;
    for (const TManifestFile& s : Staged)
      folders.insert(Parent(Journal.Staging + "/" + s.Path));
    for (const std::string& folder : folders)
      files.SyncFolder(folder);
    Step = TStep::Prepare;
  }

  // The commit point: the journal says "commit" with every move and the manifest.
  void Prepare(TInstallFiles& files, TPackageStore& store) {
    TPackageManifest& m = Journal.Manifest;
    m.Name = Plan.Name;
    m.GameFolder = Request.GameFolder;
    m.Folder = Plan.Folder;
    m.SourceFile = std::filesystem::path(Request.Archive).filename().string();
    m.SourceUrl = Request.SourceUrl;
    m.SourceSha256 = Plan.ArchiveSha256;
    m.Date = Request.Date;
    m.AsDependency = Request.AsDependency;
    m.Files = Staged;
    std::set<std::string> made;
    for (const std::size_t i : ToWrite) {
      const TPlannedFile& f = Plan.Files[i];
      for (std::size_t slash = f.Target.find('/'); slash != std::string::npos;
           slash = f.Target.find('/', slash + 1)) {
        const std::string folder = f.Target.substr(0, slash);
        if (made.count(folder) == 0 && files.Kind(folder) == TFileKind::None) {
          made.insert(folder);
          m.MadeFolders.push_back(folder);
        }
      }
      TJournalMove move{false, Journal.Staging + "/" + f.Target, f.Target, ""};
      if (files.Kind(f.Target) == TFileKind::File) {
        move.Replace = true;
        move.Backup = BackupFolderOf(Plan.Name) + "/" + f.Target;
        THasher hash(THashKind::Sha256);
        std::uint64_t size = 0;
        files.Read(f.Target, [&](std::string_view piece) {
          hash.Update(piece);
          size += piece.size();
        });
        m.Backups.push_back({{f.Target, size, hash.HexDigest()}, move.Backup});
      }
      Journal.Moves.push_back(std::move(move));
    }
    Journal.Committing = true;
    SaveJournal(store, Journal);
    Info.Phase = TInstallPhase::Committing;
    Tell();
    Step = TStep::Commit;
  }

  void Fail(TInstallPhase phase, TInstallFiles& files, TPackageStore& store) {
    Outcome.Phase = phase;
    Info.Phase = phase;
    Step = TStep::Finished;
    if (Begun && !Journal.Committing) {
      try {
        UndoStaging(Journal, files, store);
      } catch (const std::exception& e) {
        Outcome.Refusals.push_back(
            {"", std::string("cannot remove the staging folder: ") + e.what()});
      }
    }
  }
};

TInstallMachine::TInstallMachine(TInstallPlan plan, TInstallRequest request)
    : S_(std::make_unique<TState>()) {
  S_->Plan = std::move(plan);
  S_->Request = std::move(request);
  S_->Info.Phase = TInstallPhase::Checking;
}

TInstallMachine::~TInstallMachine() = default;
TInstallMachine::TInstallMachine(TInstallMachine&&) noexcept = default;

void TInstallMachine::Watch(TInstallProgress* progress) {
  S_->Watcher = progress;
}
void TInstallMachine::Cancel() {
  S_->CancelAsked = true;
}
bool TInstallMachine::Finished() const {
  return S_->Step == TState::TStep::Finished;
}
TInstallProgressInfo TInstallMachine::Progress() const {
  return S_->Info;
}
const TInstallOutcome& TInstallMachine::Outcome() const {
  return S_->Outcome;
}

void TInstallMachine::Step(const TArchive& archive, TInstallFiles& files, TPackageStore& store,
                           std::uint64_t budget) {
  TState& s = *S_;
  try {
    if (s.Step != TState::TStep::Commit && s.Step != TState::TStep::Finished && s.CancelWanted())
      throw TCancelSignal{};
    switch (s.Step) {
      case TState::TStep::Hash:
        if (!s.Plan.Installable()) {
          s.Outcome.Refusals = s.Plan.Refusals;
          s.Fail(TInstallPhase::Failed, files, store);
          return;
        }
        s.HashArchive(budget);
        break;
      case TState::TStep::Begin:
        s.Begin(files, store);
        break;
      case TState::TStep::Stage:
        s.Stage(archive, files, budget);
        break;
      case TState::TStep::Prepare:
        s.Prepare(files, store);
        break;
      case TState::TStep::Commit:
        FinishCommit(s.Journal, files, store);
        s.Outcome.Manifest = s.Journal.Manifest;
        s.Outcome.Phase = s.Info.Phase = TInstallPhase::Done;
        s.Step = TState::TStep::Finished;
        s.Tell();
        break;
      case TState::TStep::Finished:
        break;
    }
  } catch (const TCancelSignal&) {
    s.Fail(TInstallPhase::Cancelled, files, store);
  } catch (const EArchive& bad) {
    s.Outcome.Refusals.push_back({bad.Entry(), bad.what()});
    s.Fail(TInstallPhase::Failed, files, store);
  } catch (const EInstallFiles& bad) {
    s.Outcome.NoSpace = bad.NoSpace();
    s.Outcome.Refusals.push_back(
        {"", bad.NoSpace()
                 ? std::string("the disk is full (") + bad.what() + "); what was written is removed"
                 : bad.what()});
    s.Fail(TInstallPhase::Failed, files, store);
  } catch (const std::exception& bad) {
    s.Outcome.Refusals.push_back({"", bad.what()});
    s.Fail(TInstallPhase::Failed, files, store);
  }
  if (s.Step == TState::TStep::Finished && s.Outcome.Phase != TInstallPhase::Done &&
      s.Journal.Committing)
    s.Outcome.Refusals.push_back(
        {"",
         "the install stopped while moving files into place; the next start of "
         "the program finishes it"});
}

namespace {

std::string UtcNow() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm tm{};
  gmtime_r(&now, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return text;
}

}  // namespace

TInstallOutcome InstallPackage(const TInstallPlan& plan, const TInstallRequest& request,
                               TPackageStore& store, TInstallFiles& files,
                               TInstallProgress& progress) {
  if (!plan.Installable()) {
    TInstallOutcome outcome;
    outcome.Refusals = plan.Refusals;
    return outcome;
  }
  TInstallRequest dated = request;
  if (dated.Date.empty()) dated.Date = UtcNow();
  std::unique_ptr<TArchive> archive;
  try {
    archive = OpenPlanArchive(plan, dated);
  } catch (const EArchive& bad) {
    TInstallOutcome outcome;
    outcome.Refusals.push_back({bad.Entry(), bad.what()});
    return outcome;
  }
  TInstallMachine machine(plan, std::move(dated));
  machine.Watch(&progress);
  while (!machine.Finished())
    machine.Step(*archive, files, store);
  return machine.Outcome();
}

}  // namespace fx
