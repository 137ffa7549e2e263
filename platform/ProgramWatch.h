#pragma once

// The channel through which the shell port's watcher tells how a started program ended.

#include <optional>

namespace fx {

// How a watched program stood when its watcher reported.
enum class TProgramEndKind : int {
  StillRunning = 0,  // it outlived the watch
  Exited = 1,        // it ended by itself; Value is its exit status
  Signalled = 2,     // a signal ended it; Value is the signal's number
  Unknown = 3,       // the watcher ended without a word
};

struct TProgramEnd {
  TProgramEndKind Kind = TProgramEndKind::Unknown;
  int Value = 0;
  friend bool operator==(const TProgramEnd&, const TProgramEnd&) = default;
};

// Owns the read end of a watcher's pipe. The watcher is no child of ours (it belongs to
// init once the start returns), so nothing is left to reap: dropping the watch only closes
// the pipe.
class TProgramWatch {
 public:
  TProgramWatch() = default;
  explicit TProgramWatch(int fd) : FFd(fd) {}
  ~TProgramWatch();
  TProgramWatch(TProgramWatch&& other) noexcept;
  TProgramWatch& operator=(TProgramWatch&& other) noexcept;
  TProgramWatch(const TProgramWatch&) = delete;
  TProgramWatch& operator=(const TProgramWatch&) = delete;

  bool Active() const { return FFd >= 0; }
  // The descriptor to wait on (readable when the report is there); -1 when not active.
  int Fd() const { return FFd; }
  // The report once it has come (then the pipe is closed and the watch inactive); nothing
  // while the watcher still waits. Never blocks.
  std::optional<TProgramEnd> TryRead();
  // Waits for the report at most `ms` milliseconds; for tests and for callers without an
  // event loop.
  std::optional<TProgramEnd> WaitFor(int ms);

 private:
  void Close();
  int FFd = -1;
};

}  // namespace fx
