// What a launch shows and keeps of the game: the command-line preview against what a
// stand-in engine received, the output file, and the early-exit report.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fixtures/StandInEngine.h"
#include "launcher/GameOutput.h"
#include "launcher/LaunchPipeline.h"
#include "platform/CommandLine.h"
#include "platform/Shell.h"
#include "tests/launcher/LaunchRig.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TLaunchRig;
using test::WriteFileBytes;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr int kReportMs = 10000;

void MakeExecutable(const fs::path& file) {
  fs::permissions(file, fs::perms::owner_all);
}

TEST(CommandPreviewTest, ShowsWhatTheStandInEngineReceivesQuotedForAShell) {
  TLaunchRig rig;
  const fs::path report = rig.Temp / "report";
  test::WriteStandInEngine(rig.Game / "my engine", report);
  rig.Exe.ExeName = "my engine";
  rig.Exe.ExeType = TExeType::OpenGLQuake;
  rig.Exe.CmdLine = "-width 800";
  rig.Exe.SetMemSize = true;
  rig.Exe.MemSize = 32;
  rig.Plugin->Switches = "-hipnotic";
  fs::create_directories(rig.Game / "It's a mod");
  TLaunchInput input;
  input.PlayMode = kPlayDedicated;
  input.MaxPlayers = 4;
  input.Patch = "It's a mod";
  input.MapText = "e1m1";
  input.ExtraParams = "+set name \"Ranger $HOME\" +exec x;y";

  const std::string preview =
      CommandPreview(PlanLaunchStart(input, rig.Plugin->Switches, rig.Machine, rig.Exe));
  ASSERT_TRUE(rig.Launch(input).Started);
  const auto engine = test::WaitForReport(report);
  ASSERT_TRUE(engine.has_value());

  EXPECT_EQ(preview, ShellCommandText(engine->Program, engine->Args));
  EXPECT_EQ(preview, "'" + (rig.Game / "my engine").string() +
                         "' -heapsize 32768 -width 800 -dedicated 4 -game 'It'\\''s a mod' +set "
                         "name 'Ranger $HOME' +exec 'x;y' -hipnotic +exec Frax.cfg");
}

TEST(CommandPreviewTest, PutsTheEnvironmentAndTheWrapperInFront) {
  TLaunchRig rig;
  rig.Exe.ExeName = "/usr/games/quakespasm";
  rig.Exe.RunThrough = "fx-no-such-wrapper --opt";
  rig.Exe.Environment = {"MANGOHUD=1", "FX_NOTE=a b"};
  EXPECT_EQ(CommandPreview(PlanLaunchStart(TLaunchInput{}, "", rig.Machine, rig.Exe)),
            "MANGOHUD=1 FX_NOTE='a b' fx-no-such-wrapper --opt /usr/games/quakespasm +exec "
            "Frax.cfg");
  rig.Exe.RunThrough = "fx-no-such-flatpak run io.github.Novum.vkQuake";
  rig.Exe.WrapperStartsEngine = true;
  EXPECT_EQ(CommandPreview(PlanLaunchStart(TLaunchInput{}, "", rig.Machine, rig.Exe)),
            "MANGOHUD=1 FX_NOTE='a b' fx-no-such-flatpak run io.github.Novum.vkQuake +exec "
            "Frax.cfg");
}

struct TFailingEngine {
  const char* Ending;  // the script's last line
  TProgramEnd End;
  const char* Message;  // in the error text; "" when there is none
};

class EarlyExitTest : public ::testing::TestWithParam<TFailingEngine> {};

TEST_P(EarlyExitTest, TheOutputIsKeptAndAFailureAtOnceIsReported) {
  TLaunchRig rig;
  rig.OutputFolder = rig.Temp / "state" / "fraxinel";
  const fs::path engine = rig.Game / "engine";
  WriteFileBytes(engine, std::string("#!/bin/sh\necho 'Quake engine starting'\n"
                                     "echo \"args: $*\"\n"
                                     "echo \"W_LoadWadFile: couldn't load gfx.wad\" >&2\n") +
                             GetParam().Ending + "\n");
  MakeExecutable(engine);
  rig.Exe.ExeName = "engine";

  TLaunchResult result = rig.Launch(TLaunchInput{});

  ASSERT_TRUE(result.Started);
  ASSERT_TRUE(result.Watch.Active());
  const auto end = result.Watch.WaitFor(kReportMs);
  ASSERT_TRUE(end.has_value()) << "the watcher did not report";
  EXPECT_EQ(*end, GetParam().End);
  EXPECT_EQ(result.OutputFile.parent_path(), rig.OutputFolder);
  EXPECT_EQ(ReadFileBytes(result.OutputFile),
            "Quake engine starting\nargs: +exec Frax.cfg\n"
            "W_LoadWadFile: couldn't load gfx.wad\n");

  const auto message = EarlyExitMessage(*end, result.Start.File, result.OutputFile);
  if (*GetParam().Message == '\0') {
    EXPECT_FALSE(message.has_value());
    return;
  }
  ASSERT_TRUE(message.has_value());
  EXPECT_THAT(*message, HasSubstr(GetParam().Message));
  EXPECT_THAT(*message, HasSubstr(engine.string()));
  EXPECT_THAT(*message, HasSubstr("Its last lines:\nQuake engine starting\nargs: +exec Frax.cfg\n"
                                  "W_LoadWadFile: couldn't load gfx.wad\n"));
  EXPECT_THAT(*message, HasSubstr("The whole output is in:\n" + result.OutputFile.string()));
}

INSTANTIATE_TEST_SUITE_P(
    Endings, EarlyExitTest,
    ::testing::Values(TFailingEngine{"exit 3", {TProgramEndKind::Exited, 3}, "with exit status 3"},
                      TFailingEngine{
                          "kill -TERM $$", {TProgramEndKind::Signalled, 15}, "by signal 15"},
                      TFailingEngine{"exit 0", {TProgramEndKind::Exited, 0}, ""}));

TEST(EarlyExitTest, TheWatchStaysOnWhenTheOutputFileCannotBeMade) {
  TLaunchRig rig;
  // A file where the state folder should be: no output file can be made below it.
  WriteFileBytes(rig.Temp / "state", "");
  rig.OutputFolder = rig.Temp / "state" / "fraxinel";
  const fs::path engine = rig.Game / "engine";
  WriteFileBytes(engine, "#!/bin/sh\nexit 3\n");
  MakeExecutable(engine);
  rig.Exe.ExeName = "engine";

  TLaunchResult result = rig.Launch(TLaunchInput{});

  ASSERT_TRUE(result.Started);
  EXPECT_TRUE(result.OutputFile.empty());
  ASSERT_TRUE(result.Watch.Active());
  const auto end = result.Watch.WaitFor(kReportMs);
  ASSERT_TRUE(end.has_value());
  EXPECT_EQ(*end, (TProgramEnd{TProgramEndKind::Exited, 3}));
  const auto message = EarlyExitMessage(*end, result.Start.File, result.OutputFile);
  ASSERT_TRUE(message.has_value());
  EXPECT_THAT(*message, HasSubstr("Its output was not kept: no file could be made for it."));
  EXPECT_THAT(*message, Not(HasSubstr("The whole output is in")));
}

TEST(ProgramWatchTest, AProgramThatOutlivesTheWatchIsReportedRunning) {
  test::TTempDir temp;
  const fs::path program = temp / "long";
  WriteFileBytes(program, "#!/bin/sh\nexec sleep 2\n");
  MakeExecutable(program);
  TProgramStartOptions options;
  options.Watch = std::chrono::milliseconds(50);
  TProgramStart started = StartProgram(program.string(), {}, temp.Path().string(), options);
  ASSERT_TRUE(ShellSucceeded(started.Result));
  EXPECT_EQ(started.Watch.WaitFor(kReportMs), (TProgramEnd{TProgramEndKind::StillRunning, 0}));
}

TEST(ProgramWatchTest, AProgramThatCannotStartIsAFailedStartWithoutAWatch) {
  test::TTempDir temp;
  const fs::path program = temp / "not-a-program";
  WriteFileBytes(program, "no line saying how to run me\n");
  MakeExecutable(program);
  TProgramStartOptions options;
  options.OutputFile = temp / "out.log";
  options.Watch = std::chrono::milliseconds(5000);
  TProgramStart started = StartProgram(program.string(), {}, temp.Path().string(), options);
  EXPECT_EQ(started.Result, kShellBadFormat);
  EXPECT_FALSE(started.Watch.Active());
}

TEST(GameOutputFilesTest, TheNewFileIsTheTenthAndTheNewest) {
  test::TTempDir temp;
  const fs::path folder = temp / "fraxinel";
  for (int i = 10; i < 22; ++i)
    WriteFileBytes(folder / ("game-20261201-1200" + std::to_string(i) + "-000.log"), "old");
  WriteFileBytes(folder / "notes.txt", "not ours");
  const auto now = std::chrono::system_clock::now();

  const fs::path file = NewGameOutputFile(folder, now);
  const fs::path second = NewGameOutputFile(folder, now);  // the same millisecond

  EXPECT_NE(file, second);
  const auto files = GameOutputFiles(folder);
  ASSERT_EQ(files.size(), 10u);
  EXPECT_EQ(files.front().filename(), "game-20261201-120014-000.log");
  EXPECT_EQ(files[8], file);
  EXPECT_EQ(NewestGameOutput(folder), second);
  EXPECT_EQ(ReadFileBytes(second), "");
  EXPECT_TRUE(fs::exists(folder / "notes.txt"));
  EXPECT_FALSE(NewestGameOutput(temp / "none").has_value());
}

TEST(GameOutputFilesTest, LastLinesReadOnlyTheEndAndCutLongLines) {
  test::TTempDir temp;
  std::string text(100000, 'x');  // a first line far beyond the tail that is read
  text += "\nfirst\r\nsecond\n" + std::string(300, 'y') + "\n\n";
  WriteFileBytes(temp / "out.log", text);
  EXPECT_THAT(LastLines(temp / "out.log", 2), ElementsAre("second", std::string(200, 'y') + "..."));
  EXPECT_THAT(LastLines(temp / "out.log", 10),
              ElementsAre("first", "second", std::string(200, 'y') + "..."));
  EXPECT_THAT(LastLines(temp / "missing.log", 10), ::testing::IsEmpty());
}

TEST(GameOutputFilesTest, TheFolderFollowsTheStateHome) {
  const TXdgFolders folders([](std::string_view name) -> std::optional<std::string> {
    if (name == "HOME") return "/home/me";
    return std::nullopt;
  });
  EXPECT_EQ(GameOutputFolder(folders), "/home/me/.local/state/fraxinel");
  const TXdgFolders state([](std::string_view name) -> std::optional<std::string> {
    if (name == "XDG_STATE_HOME") return "/var/me";
    return std::nullopt;
  });
  EXPECT_EQ(GameOutputFolder(state), "/var/me/fraxinel");
}

}  // namespace
}  // namespace fx
