#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include "platform/Clock.h"

namespace fx {

// Keeps the splash screen up for a minimum time after it was shown, so that a main window
// that is ready at once does not make it flash by; a window that takes longer is not held
// back at all.
class TSplashGate {
 public:
  using TWaitForEvents = std::function<void(std::chrono::milliseconds)>;

  explicit TSplashGate(const TClock& clock,
                       std::chrono::milliseconds minimum = std::chrono::milliseconds(2000));

  // The splash screen has been shown: the minimum time starts now. Later calls do not
  // restart it.
  void Shown();
  bool HasBeenShown() const { return FShownAt.has_value(); }
  // False until the minimum time has passed since Shown (and always before it).
  bool MinimumTimePassed() const;
  // What is left of the minimum time, rounded up to whole milliseconds so that a waiter
  // never wakes up early and spins; the whole minimum before Shown, zero once passed.
  std::chrono::milliseconds Remaining() const;

  // Lets `waitForEvents` handle the program's events for at most the remaining time, again
  // and again, until the minimum time has passed. Does nothing before Shown: a splash
  // screen that was never shown has nothing to wait for.
  void Wait(const TWaitForEvents& waitForEvents) const;

 private:
  const TClock& FClock;
  std::chrono::milliseconds FMinimum;
  std::optional<TClock::TTimePoint> FShownAt;
};

}  // namespace fx
