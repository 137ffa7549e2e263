#pragma once

#include <chrono>

namespace fx {

// Time as the program sees it, so that tests can move it by hand instead of sleeping.
class TClock {
 public:
  using TTimePoint = std::chrono::steady_clock::time_point;
  virtual ~TClock() = default;
  virtual TTimePoint Now() const = 0;
};

// The real steady clock.
class TSystemClock final : public TClock {
 public:
  TTimePoint Now() const override { return std::chrono::steady_clock::now(); }
};

// A clock that stands still until a test advances it.
class TManualClock final : public TClock {
 public:
  TTimePoint Now() const override { return FNow; }
  void Advance(std::chrono::steady_clock::duration by) { FNow += by; }

 private:
  TTimePoint FNow{};
};

}  // namespace fx
