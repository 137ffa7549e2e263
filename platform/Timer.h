#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace fx {

// A repeating timer as the program's controls use it, so that tests can fire its ticks by
// hand instead of waiting for them.
class TTimer {
 public:
  using TCallback = std::function<void()>;
  virtual ~TTimer() = default;

  virtual void SetInterval(std::chrono::milliseconds interval) = 0;
  virtual std::chrono::milliseconds Interval() const = 0;
  // Starts the timer (again from the beginning of an interval when it runs already).
  virtual void Start() = 0;
  virtual void Stop() = 0;
  virtual bool Running() const = 0;
  // Called on every tick.
  virtual void SetOnTimer(TCallback onTimer) = 0;
};

using TTimerFactory = std::function<std::unique_ptr<TTimer>()>;

// A timer that ticks only when a test calls Fire.
class TManualTimer final : public TTimer {
 public:
  void SetInterval(std::chrono::milliseconds interval) override { FInterval = interval; }
  std::chrono::milliseconds Interval() const override { return FInterval; }
  void Start() override {
    FRunning = true;
    ++Starts;
  }
  void Stop() override { FRunning = false; }
  bool Running() const override { return FRunning; }
  void SetOnTimer(TCallback onTimer) override { FOnTimer = std::move(onTimer); }

  // One tick, delivered whether or not the timer runs (a tick may still be on its way
  // when a timer is stopped); the receiver decides what a tick of a stopped timer means.
  void Fire() const {
    if (FOnTimer) FOnTimer();
  }
  int Starts = 0;

 private:
  std::chrono::milliseconds FInterval{0};
  bool FRunning = false;
  TCallback FOnTimer;
};

}  // namespace fx
