#pragma once

#include <QWidget>

#include <chrono>
#include <memory>

#include "platform/Clock.h"
#include "ui/SplashGate.h"

class QEventLoop;

namespace Ui {
class SplashForm;
}

namespace fx {

// The splash screen shown while the program starts: the splash picture in a window
// without frame, centred on the screen, with the wait cursor. It stays up for a minimum
// time after it was first shown (TSplashGate).
class TSplashForm : public QWidget {
  Q_OBJECT

 public:
  explicit TSplashForm(const TClock& clock, QWidget* parent = nullptr);
  ~TSplashForm() override;

  // Shows the splash screen and returns once it has been painted (or after a second, when
  // the window system does not let it be painted).
  void ShowAndPaint();
  const TSplashGate& Gate() const { return FGate; }
  // Handles events until the minimum time has passed since the splash was first shown.
  void WaitForMinimumTime();

  // Handles events, waiting for them without spinning, until `most` has passed. A
  // nested QEventLoop ended by a timer: QEventLoop::processEvents with a time limit does
  // not wait for events, it would spin.
  static void ProcessEventsFor(std::chrono::milliseconds most);

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  std::unique_ptr<Ui::SplashForm> FUi;
  TSplashGate FGate;
  bool FPainted = false;
  QEventLoop* FPaintWaiter = nullptr;
};

}  // namespace fx
