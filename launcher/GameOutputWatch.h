#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/ProgramWatch.h"

namespace fx {

class TUserDialogs;

// Waits, inside the event loop, for the shell port's report on a started game and shows
// the error box when the game ended at once with a failure. Never blocks.
class TGameOutputWatch : public QObject {
  Q_OBJECT

 public:
  // `dialogs` must outlive the watch.
  TGameOutputWatch(TProgramWatch watch, std::string program, std::filesystem::path outputFile,
                   TUserDialogs& dialogs, QObject* parent = nullptr);
  ~TGameOutputWatch() override;

  bool Done() const { return !FWatch.Active(); }

 signals:
  // The report came (and its message, if any, was shown and closed); `failed` when the
  // game ended at once with a failure.
  void finished(bool failed);

 private:
  void ReportArrived();

  TProgramWatch FWatch;
  std::string FProgram;
  std::filesystem::path FOutputFile;
  TUserDialogs& FDialogs;
  std::unique_ptr<QSocketNotifier> FNotifier;
};

}  // namespace fx
