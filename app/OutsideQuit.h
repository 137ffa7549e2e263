#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace fx {

// Ends the program from outside (a signal) as File > Exit does: closes the open pop-ups and
// modal dialogs as Escape and Cancel would, the top one first, waits until their event
// loops have returned, then closes the main window, whose close handling stores what it
// keeps, and ends the event loop. Until the main window runs (the splash screen, the
// first-run setup), start-up looks at Requested() itself.
class TOutsideQuit final : public QObject {
 public:
  // Starts the quit, or goes on with it: a later request closes a box the shut-down shows.
  void Request();
  bool Requested() const { return FRequested; }
  // The window to close once no dialog is open any more.
  void SetMainWindow(QWidget* window) { FMainWindow = window; }

 private:
  void Continue();
  void ContinueLater();

  bool FRequested = false;
  bool FMainWindowClosed = false;
  QPointer<QWidget> FMainWindow;
};

}  // namespace fx
