#pragma once

// Work that takes long (hashing every package's files, unpacking an archive) on a thread of
// its own, while the window goes on answering: the window asks Finished() on a timer and
// reads what the work shares under its own lock. The destructor asks the work to stop and
// waits for it, so a dialog closed mid-work neither crashes nor leaves a thread behind; the
// work looks at its stop token between pieces (a package, a write buffer) to end soon.

#include <atomic>
#include <exception>
#include <functional>
#include <stop_token>
#include <thread>

namespace fx {

class TWorkerThread {
 public:
  explicit TWorkerThread(std::function<void(std::stop_token)> work);
  ~TWorkerThread();
  TWorkerThread(const TWorkerThread&) = delete;
  TWorkerThread& operator=(const TWorkerThread&) = delete;

  void Stop() { FThread.request_stop(); }
  bool Finished() const { return FFinished.load(std::memory_order_acquire); }
  // Once Finished: throws again what the work threw, if it did.
  void Rethrow() const;

 private:
  std::atomic<bool> FFinished{false};
  std::exception_ptr FError;
  std::jthread FThread;  // last: it starts once the members it writes exist
};

}  // namespace fx
