#pragma once

#include <csignal>
#include <functional>
#include <iterator>
#include <memory>

class QSocketNotifier;

namespace fx {

// Turns SIGTERM, SIGHUP and SIGINT (logout, shutdown, a closed terminal, Ctrl+C) into a
// call of `onSignal` from the event loop instead of the default end without saving. The
// handler only writes the signal's number into a non-blocking pipe, the one thing that is
// safe inside it; a QSocketNotifier on the other end makes the call. Every signal makes
// one call, also during the shut-down: the handler stays until this object is destroyed,
// so a second signal can never end the program in the middle of a save.
// One instance at a time; it needs the QCoreApplication.
class TSignalQuit final {
 public:
  explicit TSignalQuit(std::function<void(int signal)> onSignal);
  // Puts the previous handlers back.
  ~TSignalQuit();
  TSignalQuit(const TSignalQuit&) = delete;
  TSignalQuit& operator=(const TSignalQuit&) = delete;

  // The signals handled, in the order of their saved previous handlers.
  static constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

 private:
  void ReadSignals();

  std::function<void(int)> FOnSignal;
  int FReadEnd = -1;
  int FWriteEnd = -1;
  std::unique_ptr<QSocketNotifier> FNotifier;
  struct sigaction FOld[std::size(kSignals)] = {};
};

}  // namespace fx
