#pragma once

#include <QObject>
#include <QStringList>

#include <memory>

class QSocketNotifier;

namespace fx {

// The test hook of the process tests (FRAXINEL_TEST_REPORT=1), which drive the real program
// as a user would. It prints "modal <class>" on standard output whenever a modal window
// shows, and runs the commands it reads on standard input, one a line, in order:
//   set <control> <text>   puts the text into that line edit of the active modal window
//   check <control> 0|1    sets that check box of the active modal window
//   accept                 presses OK: accepts the active modal dialog
//   trigger <action>       triggers that menu action of a top-level window (and goes on
//                          with the next command while the action's dialog is open)
//   sync                   prints "synced" once no dialog is open and every dialog's
//                          exec() has returned, so all that its OK did is done
// Each command but sync prints "ok <command>" once it ran, or "failed <command>" when it
// found no such control.
class TTestDriver final : public QObject {
 public:
  TTestDriver();
  ~TTestDriver() override;

  // Prints one line on standard output at once.
  static void Report(const QString& line);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ReadInput();
  void RunNext();
  bool Run(const QString& command);
  void Sync();

  std::unique_ptr<QSocketNotifier> FInput;
  QByteArray FPending;
  QStringList FCommands;
  bool FRunning = false;
};

}  // namespace fx
