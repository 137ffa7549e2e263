#include "platform/QtTimer.h"

#include <utility>

namespace fx {

TQtTimer::TQtTimer() {
  QObject::connect(&FTimer, &QTimer::timeout, [this] {
    if (FOnTimer) FOnTimer();
  });
}

void TQtTimer::SetInterval(std::chrono::milliseconds interval) {
  FTimer.setInterval(interval);
}

std::chrono::milliseconds TQtTimer::Interval() const {
  return FTimer.intervalAsDuration();
}

void TQtTimer::Start() {
  FTimer.start();
}

void TQtTimer::Stop() {
  FTimer.stop();
}

bool TQtTimer::Running() const {
  return FTimer.isActive();
}

void TQtTimer::SetOnTimer(TCallback onTimer) {
  FOnTimer = std::move(onTimer);
}

}  // namespace fx
