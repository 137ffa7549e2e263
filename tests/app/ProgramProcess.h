#pragma once

// The real program as a child process on the offscreen platform, followed through the lines
// its test hook prints (FRAXINEL_TEST_REPORT=1) and driven through the commands it reads.
#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <filesystem>
#include <string>

#include <signal.h>

#include "fixtures/FileBuilder.h"

namespace fx::test {

// The splash screen alone keeps a start busy for two seconds.
inline constexpr int kStartMs = 15000;
inline constexpr int kAnswerMs = 5000;

// One run of the program with FRAXINEL_TEST_REPORT=1, and the lines it printed.
class TProgram {
 public:
  // With arguments, standard error is read as well (the program's messages go there).
  explicit TProgram(const QProcessEnvironment& environment, const QStringList& arguments = {}) {
    FProcess.setProgram(QStringLiteral(FRAXINEL_PROGRAM));
    FProcess.setArguments(arguments);
    FProcess.setProcessEnvironment(environment);
    FProcess.setProcessChannelMode(arguments.isEmpty() ? QProcess::ForwardedErrorChannel
                                                       : QProcess::MergedChannels);
    FProcess.start();
  }
  ~TProgram() {
    if (FProcess.state() == QProcess::NotRunning) return;
    FProcess.kill();
    FProcess.waitForFinished(kAnswerMs);
  }
  TProgram(const TProgram&) = delete;
  TProgram& operator=(const TProgram&) = delete;

  // Waits until the program has printed `line` `times` times in all; false when it did not
  // in time.
  bool WaitFor(const QString& line, int ms, int times = 1) {
    const QDeadlineTimer deadline(ms);
    for (;;) {
      ReadLines();
      if (FLines.count(line) >= times) return true;
      if (deadline.hasExpired() || FProcess.state() == QProcess::NotRunning) return false;
      FProcess.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
  }

  // The exit code once it ended by itself in time, else -1.
  int WaitForExit(int ms) {
    if (!FProcess.waitForFinished(ms) || FProcess.exitStatus() != QProcess::NormalExit) return -1;
    return FProcess.exitCode();
  }

  // One command for the program's test driver.
  void Send(const QString& command) {
    FProcess.write((command + QLatin1Char('\n')).toUtf8());
    FProcess.waitForBytesWritten(kAnswerMs);
  }
  // Sends the command and waits until the driver has run it.
  bool Run(const QString& command) {
    Send(command);
    return WaitFor(QStringLiteral("ok ") + command, kAnswerMs);
  }

  void Signal(int signal) { ::kill(static_cast<pid_t>(FProcess.processId()), signal); }

  const QStringList& Lines() {
    ReadLines();
    return FLines;
  }
  std::string Transcript() { return Lines().join('|').toStdString(); }

 private:
  void ReadLines() {
    while (FProcess.canReadLine())
      FLines << QString::fromUtf8(FProcess.readLine()).trimmed();
  }

  QProcess FProcess;
  QStringList FLines;
};

// The environment of a run with its own settings, home and runtime folders below `temp`.
inline QProcessEnvironment ProgramEnvironment(const std::filesystem::path& temp) {
  namespace fs = std::filesystem;
  // A runtime folder of the test's own keeps its copies apart from any other run.
  fs::create_directories(temp / "run");
  fs::permissions(temp / "run", fs::perms::owner_all);
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  environment.insert("FRAXINEL_TEST_REPORT", "1");
  environment.insert("FRAXINEL_CONFIG_DIR", QString::fromStdString((temp / "config").string()));
  environment.insert("XDG_RUNTIME_DIR", QString::fromStdString((temp / "run").string()));
  environment.insert("HOME", QString::fromStdString((temp / "home").string()));
  environment.remove("XDG_CONFIG_HOME");
  environment.remove("XDG_DATA_HOME");
  environment.remove("SESSION_MANAGER");
  return environment;
}

}  // namespace fx::test
