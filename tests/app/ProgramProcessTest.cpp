// Starts the real program twice, on the offscreen platform, with settings of its own.
#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <string>

#include <sys/stat.h>

#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"

namespace fx {
namespace {

namespace fs = std::filesystem;

// The splash screen alone keeps the first copy busy for two seconds.
constexpr int kStartMs = 15000;
constexpr int kAnswerMs = 5000;

// One run of the program with FRAXINEL_TEST_REPORT=1, and the lines it printed.
class TProgram {
 public:
  explicit TProgram(const QProcessEnvironment& environment) {
    FProcess.setProgram(QStringLiteral(FRAXINEL_PROGRAM));
    FProcess.setProcessEnvironment(environment);
    FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
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

  const QStringList& Lines() {
    ReadLines();
    return FLines;
  }

 private:
  void ReadLines() {
    while (FProcess.canReadLine())
      FLines << QString::fromUtf8(FProcess.readLine()).trimmed();
  }

  QProcess FProcess;
  QStringList FLines;
};

// What a folder holds: every file's bytes and modification time.
struct TFileState {
  std::string Bytes;
  fs::file_time_type Modified;
  friend bool operator==(const TFileState&, const TFileState&) = default;
  friend void PrintTo(const TFileState& state, std::ostream* out) {
    *out << state.Bytes.size() << " bytes, modified at "
         << state.Modified.time_since_epoch().count();
  }
};

std::map<std::string, TFileState> FolderState(const fs::path& folder) {
  std::map<std::string, TFileState> state;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.is_regular_file())
      state[entry.path().filename().string()] = {test::ReadFileBytes(entry.path()),
                                                 entry.last_write_time()};
  return state;
}

class ProgramProcessTest : public ::testing::Test {
 protected:
  ProgramProcessTest() {
    // Set up on this machine, with a game folder, so that no setup dialog appears.
    const fs::path game = FTemp / "quake";
    test::WriteFileBytes(game / "id1" / "pak0.pak", "PACK");
    test::WriteFileBytes(Config() / "machine.reg",
                         "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Bolsk\\Fraxinel]\n"
                         "\"Version\"=dword:00000001\n\"QPath\"=\"" +
                             game.string() + "\"\n\n");
    // A runtime folder of this test's own keeps its copies apart from any other run.
    fs::create_directories(FTemp / "run");
    ::chmod((FTemp / "run").c_str(), 0700);

    FEnvironment = QProcessEnvironment::systemEnvironment();
    FEnvironment.insert("QT_QPA_PLATFORM", "offscreen");
    FEnvironment.insert("FRAXINEL_TEST_REPORT", "1");
    FEnvironment.insert("FRAXINEL_CONFIG_DIR", QString::fromStdString(Config().string()));
    FEnvironment.insert("XDG_RUNTIME_DIR", QString::fromStdString((FTemp / "run").string()));
    FEnvironment.insert("HOME", QString::fromStdString((FTemp / "home").string()));
  }

  fs::path Config() const { return FTemp / "config"; }

  test::TTempDir FTemp;
  QProcessEnvironment FEnvironment;
};

TEST_F(ProgramProcessTest, ASecondStartBringsTheFirstForwardAndLeavesTheSettingsAlone) {
  TProgram first(FEnvironment);
  ASSERT_TRUE(first.WaitFor("ready", kStartMs)) << first.Lines().join('|').toStdString();
  const auto before = FolderState(Config());

  TProgram second(FEnvironment);
  EXPECT_EQ(second.WaitForExit(kStartMs), 0);
  EXPECT_TRUE(first.WaitFor("activated", kAnswerMs));
  EXPECT_FALSE(second.Lines().contains("ready"));

  EXPECT_EQ(FolderState(Config()), before);
}

TEST_F(ProgramProcessTest, EachLaterStartBringsTheFirstForwardAgain) {
  TProgram first(FEnvironment);
  ASSERT_TRUE(first.WaitFor("ready", kStartMs));
  for (int i = 0; i < 2; ++i) {
    TProgram later(FEnvironment);
    EXPECT_EQ(later.WaitForExit(kStartMs), 0);
  }
  // Both requests arrive, one line each.
  EXPECT_TRUE(first.WaitFor("activated", kAnswerMs, 2));
  EXPECT_EQ(first.Lines().count("activated"), 2);
}

}  // namespace
}  // namespace fx
