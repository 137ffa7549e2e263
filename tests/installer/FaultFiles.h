#pragma once

// The real file-system port with faults put in: a disk that fills after a number of bytes
// (the write fails with ENOSPC, as write(2) does on a full disk), and a process that dies
// by SIGKILL at the n-th file created or renamed, for the cut-off tests in a child process.

#include <cerrno>
#include <csignal>
#include <memory>

#include "fixtures/ForwardingFiles.h"

namespace fx::test {

class TFaultFiles final : public TForwardingFiles {
 public:
  using TForwardingFiles::TForwardingFiles;

  std::uint64_t SpaceLeft = ~0ull;  // bytes the disk takes before it is full
  int KillAtCreate = 0;             // 1 = before the first file is created
  int KillAtRename = 0;

  std::unique_ptr<TFileSink> Create(std::string_view p) override {
    if (++Creates_ == KillAtCreate) std::raise(SIGKILL);
    return std::make_unique<TSink>(TForwardingFiles::Create(p), SpaceLeft);
  }
  void Rename(std::string_view from, std::string_view to, bool replace) override {
    if (++Renames_ == KillAtRename) std::raise(SIGKILL);
    TForwardingFiles::Rename(from, to, replace);
  }

 private:
  class TSink final : public TFileSink {
   public:
    TSink(std::unique_ptr<TFileSink> real, std::uint64_t& left)
        : Real_(std::move(real)), Left_(left) {}
    void Write(std::string_view bytes) override {
      if (bytes.size() > Left_) {
        Real_->Write(bytes.substr(0, Left_));
        Left_ = 0;
        throw EInstallFiles("write: No space left on device", ENOSPC);
      }
      Left_ -= bytes.size();
      Real_->Write(bytes);
    }
    void Finish() override { Real_->Finish(); }

   private:
    std::unique_ptr<TFileSink> Real_;
    std::uint64_t& Left_;
  };

  int Creates_ = 0, Renames_ = 0;
};

}  // namespace fx::test
