#include "ui/SplashGate.h"

namespace fx {

TSplashGate::TSplashGate(const TClock& clock, std::chrono::milliseconds minimum)
    : FClock(clock), FMinimum(minimum) {}

void TSplashGate::Shown() {
  if (!FShownAt) FShownAt = FClock.Now();
}

bool TSplashGate::MinimumTimePassed() const {
  return FShownAt && FClock.Now() - *FShownAt >= FMinimum;
}

std::chrono::milliseconds TSplashGate::Remaining() const {
  if (!FShownAt) return FMinimum;
  const auto left = FMinimum - (FClock.Now() - *FShownAt);
  if (left <= TClock::TTimePoint::duration::zero()) return std::chrono::milliseconds::zero();
  return std::chrono::ceil<std::chrono::milliseconds>(left);
}

void TSplashGate::Wait(const TWaitForEvents& waitForEvents) const {
  if (!FShownAt) return;
  while (!MinimumTimePassed())
    waitForEvents(Remaining());
}

}  // namespace fx
