// Starts the real program twice, on the offscreen platform, with settings of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <string>

#include "fixtures/FileBuilder.h"
#include "fixtures/StandInEngine.h"
#include "fixtures/TempDir.h"
#include "tests/app/ProgramProcess.h"

namespace fx {
namespace {

namespace fs = std::filesystem;

using test::kAnswerMs;
using test::kStartMs;
using test::TProgram;

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
    FEnvironment = test::ProgramEnvironment(FTemp.Path());
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

TEST_F(ProgramProcessTest, HelpVersionAndUnknownOptionsAnswerWithoutAWindow) {
  struct TCase {
    QStringList Arguments;
    int ExitCode;
    QString FirstLine;
  };
  for (const TCase& run : {TCase{{"--help"}, 0, "Usage: fraxinel [--launch NAME]"},
                           TCase{{"--version"}, 0, "fraxinel 0.1.0.0"},
                           TCase{{"--fullscreen"}, 2, "fraxinel: unknown option --fullscreen"}}) {
    TProgram program(FEnvironment, run.Arguments);
    EXPECT_EQ(program.WaitForExit(kStartMs), run.ExitCode) << run.Arguments.join(' ').toStdString();
    ASSERT_FALSE(program.Lines().isEmpty());
    EXPECT_EQ(program.Lines().front(), run.FirstLine);
    EXPECT_FALSE(program.Lines().contains("ready"));
  }
  EXPECT_FALSE(fs::exists(Config() / "user.reg")) << "nothing was loaded or saved";
}

// The settings of a launch: the entry "Stand-in" starting `engine`, and the configuration
// "Duel on e1m2" of `gameType` with it.
void WriteLaunchSettings(const fs::path& config, const fs::path& game, const fs::path& engine,
                         const std::string& gameType = "Quake (Standard)") {
  test::WriteFileBytes(config / "machine.reg",
                       "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Bolsk\\Fraxinel]\n"
                       "\"Version\"=dword:00000001\n\"QPath\"=\"" +
                           game.string() +
                           "\"\n\n[HKEY_LOCAL_MACHINE\\Software\\Bolsk\\Fraxinel\\Executables\\"
                           "Stand-in]\n\"ExeName\"=\"" +
                           engine.string() +
                           "\"\n\"CmdLine\"=\"\"\n\"ExeType\"=dword:00000002\n\n");
  const std::string zero = "hex:00,00,00,00,00,00,00,00";
  test::WriteFileBytes(
      config / "user.reg",
      "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Bolsk\\Fraxinel\\Configs\\Duel on e1m2]\n"
      "\"Gametype\"=\"" +
          gameType +
          "\"\n\"Skill\"=dword:00000001\n"
          "\"Playmode\"=dword:00000000\n\"Teamplay\"=dword:00000000\n"
          "\"ClientExit\"=dword:00000000\n\"NewExe\"=\"Stand-in\"\n\"Map\"=\"e1m2\"\n"
          "\"Patch\"=\"(None)\"\n\"AddParms\"=\"\"\n\"QuakeMode\"=dword:00000000\n"
          "\"MaxPlayers\"=dword:00000008\n\"FragLimit\"=" +
          zero + "\n\"TimeLimit\"=" + zero +
          "\n\"ConnectTo\"=\"\"\n\"AutoAim\"=dword:00000001\n\"ConLog\"=dword:00000000\n"
          "\"Hostname\"=\"Unnamed\"\n\"IgnoreGeneralCmds\"=dword:00000000\n\n");
}

TEST_F(ProgramProcessTest, LaunchStartsASavedConfigurationAndAnUnknownNameIsAnError) {
  const fs::path report = FTemp / "report";
  const fs::path engine = FTemp / "quake" / "stand-in";
  test::WriteStandInEngine(engine, report);
  WriteLaunchSettings(Config(), FTemp / "quake", engine);
  const auto before = FolderState(Config());

  TProgram unknown(FEnvironment, {"--launch", "Duel"});
  EXPECT_EQ(unknown.WaitForExit(kStartMs), 2);
  EXPECT_TRUE(unknown.Lines().contains("fraxinel: there is no saved configuration named \"Duel\""))
      << unknown.Lines().join('|').toStdString();
  EXPECT_FALSE(fs::exists(report));

  TProgram launch(FEnvironment, {"--launch", "Duel on e1m2"});
  // The launch waits for the early-exit check of the game it started.
  EXPECT_EQ(launch.WaitForExit(kStartMs), 0) << launch.Lines().join('|').toStdString();
  EXPECT_TRUE(launch.Lines().contains("launched"));
  EXPECT_FALSE(launch.Lines().contains("ready")) << "no main window";
  const auto started = test::WaitForReport(report);
  ASSERT_TRUE(started.has_value()) << "the stand-in engine did not start";
  EXPECT_EQ(started->Args, (std::vector<std::string>{"+exec", "Frax.cfg"}));
  EXPECT_NE(started->Script.find("\r\nskill 1\r\n"), std::string::npos) << started->Script;
  EXPECT_NE(started->Script.find("\r\nmap e1m2\r\n"), std::string::npos) << started->Script;
  EXPECT_EQ(FolderState(Config()), before) << "a launch from outside stores nothing";
  EXPECT_EQ(FolderState(FTemp / "home" / ".local" / "state" / "fraxinel").size(), 1u)
      << "the game's output file";
}

TEST_F(ProgramProcessTest, ALaunchThatCannotHappenSaysWhyOnStandardErrorAndEndsWithOne) {
  struct TCase {
    const char* Name;
    std::string GameType;
    bool EngineThere;
    bool Display;  // QT_QPA_PLATFORM=offscreen; otherwise no display variable at all
    std::vector<QString> Said;
  };
  const fs::path report = FTemp / "report";
  const fs::path engine = FTemp / "quake" / "stand-in";
  const std::vector<TCase> cases = {
      {"an unknown game type",
       "Quake (Nowhere)",
       true,
       true,
       {"fraxinel: Error: The configuration \"Duel on e1m2\" was not launched.",
        "Its game type \"Quake (Nowhere)\" is not one this program has."}},
      {"a missing engine, without a display",
       "Quake (Standard)",
       false,
       false,
       {"fraxinel: Error: Quake could not be started.", "File: " + QString::fromStdString(engine),
        "fraxinel: answered No"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    fs::remove(report);
    fs::remove(engine);
    if (c.EngineThere) test::WriteStandInEngine(engine, report);
    WriteLaunchSettings(Config(), FTemp / "quake", engine, c.GameType);
    QProcessEnvironment environment = FEnvironment;
    if (!c.Display) {
      for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(name);
    }
    TProgram launch(environment, {"--launch", "Duel on e1m2"});
    EXPECT_EQ(launch.WaitForExit(kStartMs), 1) << launch.Lines().join('|').toStdString();
    for (const QString& line : c.Said)
      EXPECT_TRUE(launch.Lines().contains(line))
          << line.toStdString() << " not in " << launch.Lines().join('|').toStdString();
    EXPECT_TRUE(launch.Lines().contains("not launched"));
    EXPECT_FALSE(fs::exists(report)) << "nothing was started";
  }
}

}  // namespace
}  // namespace fx
