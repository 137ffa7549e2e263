#pragma once

#include <QTimer>

#include "platform/Timer.h"

namespace fx {

// TTimer on a QTimer of the GUI thread.
class TQtTimer final : public TTimer {
 public:
  TQtTimer();

  void SetInterval(std::chrono::milliseconds interval) override;
  std::chrono::milliseconds Interval() const override;
  void Start() override;
  void Stop() override;
  bool Running() const override;
  void SetOnTimer(TCallback onTimer) override;

  static std::unique_ptr<TTimer> Make() { return std::make_unique<TQtTimer>(); }

 private:
  QTimer FTimer;
  TCallback FOnTimer;
};

}  // namespace fx
