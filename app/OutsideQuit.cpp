#include "app/OutsideQuit.h"

#include <QApplication>
#include <QDialog>
#include <QThread>
#include <QTimer>

namespace fx {

void TOutsideQuit::Request() {
  FRequested = true;
  Continue();
}

void TOutsideQuit::Continue() {
  if (QWidget* popup = QApplication::activePopupWidget()) {
    popup->close();
    ContinueLater();
    return;
  }
  if (QWidget* modal = QApplication::activeModalWidget()) {
    // Closing a dialog may open none or another (a question under it); look again.
    if (auto* dialog = qobject_cast<QDialog*>(modal))
      dialog->reject();
    else
      modal->close();
    ContinueLater();
    return;
  }
  if (FMainWindow == nullptr || FMainWindowClosed) return;
  // A dialog's exec() that was ended returns only when control gets back to it; the code
  // after it must not find its window closed and its settings stored already.
  if (QThread::currentThread()->loopLevel() > 1) {
    ContinueLater();
    return;
  }
  FMainWindowClosed = true;
  // Another top-level window (a viewer) would keep the loop running after the main
  // window closed.
  if (FMainWindow->close()) QCoreApplication::exit(0);
}

void TOutsideQuit::ContinueLater() {
  // Not at once: a loop that waits for something of its own (a map list being read) would
  // otherwise keep this spinning until it ends.
  QTimer::singleShot(10, this, &TOutsideQuit::Continue);
}

}  // namespace fx
