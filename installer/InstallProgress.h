#pragma once

// How a running install reports how far it is and learns that the user cancelled. The
// installer calls both between pieces of at most one write buffer, so a Cancel is seen
// within one piece (well under 100 ms on any disk the program runs from).

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace fx {

enum class TInstallPhase {
  Checking,    // hashing the archive, reading its directory
  Staging,     // unpacking into the staging folder beside the target
  Committing,  // renaming the staged files into place (not cancellable any more)
  Recording,   // writing the manifest
  Done,
  Failed,
  Cancelled,
};

struct TInstallProgressInfo {
  TInstallPhase Phase = TInstallPhase::Checking;
  std::uint64_t BytesDone = 0;
  std::uint64_t BytesTotal = 0;
  std::size_t FilesDone = 0;
  std::size_t FilesTotal = 0;
  std::string File;  // the target being written
};

class TInstallProgress {
 public:
  virtual ~TInstallProgress() = default;
  virtual void Progress(const TInstallProgressInfo& info) = 0;
  // Asked between pieces; true stops the install, which removes what it staged.
  virtual bool Cancelled() = 0;
};

// For callers that want neither.
class TNoProgress final : public TInstallProgress {
 public:
  void Progress(const TInstallProgressInfo&) override {}
  bool Cancelled() override { return false; }
};

// The reports of an install that runs on a worker thread, read by the window on its timer;
// Cancel may be asked from any thread.
class TSharedProgress final : public TInstallProgress {
 public:
  void Progress(const TInstallProgressInfo& info) override {
    const std::lock_guard lock(FMutex);
    FInfo = info;
  }
  bool Cancelled() override { return FCancel.load(); }
  void Cancel() { FCancel = true; }
  TInstallProgressInfo Last() const {
    const std::lock_guard lock(FMutex);
    return FInfo;
  }

 private:
  std::atomic<bool> FCancel{false};
  mutable std::mutex FMutex;
  TInstallProgressInfo FInfo;
};

}  // namespace fx
