// The checks and questions of a launch: what the user is asked, and where a refusal ends it.

#include <gtest/gtest.h>

#include <filesystem>

#include "launcher/LaunchPipeline.h"
#include "tests/launcher/LaunchRig.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TLaunchRig;
using test::WriteFileBytes;

constexpr const char* kNoMap =
    "No map were selected.\n\nAre you sure you want to start the server?";
constexpr const char* kNoPatch =
    "The selected patch directory does not exist.\n\nAre you sure you want to start the Game";
constexpr const char* kNoRecordName =
    "You selected the demo record option but did not give a demo name.\n\nAre you sure you want "
    "to start the Game?";

void ExpectWarning(const TMessage& message, const char* text, TMsgResult defaultButton) {
  EXPECT_EQ(message.Text, text);
  EXPECT_EQ(message.Caption, "Warning");
  EXPECT_EQ(message.Icon, TMsgIcon::Warning);
  EXPECT_EQ(message.Buttons, TMsgButtons::YesNo);
  EXPECT_EQ(message.DefaultButton, defaultButton);
}

class LaunchQuestions : public ::testing::Test {
 protected:
  TLaunchRig FRig;
  TLaunchInput FInput;

  void SetUp() override { FRig.User.SetInGameCmds(true); }

  bool NothingWritten() const {
    return !fs::exists(FRig.Id1("Frax.cfg")) && !fs::exists(FRig.Id1("fx_maps.cfg")) &&
           !fs::exists(FRig.Id1("fx_svinf.cfg"));
  }
};

TEST_F(LaunchQuestions, AServerWithoutAMapAsksAndNoEndsBeforeAnythingIsWritten) {
  for (const int mode : {kPlayListen, kPlayDedicated}) {
    FInput.PlayMode = mode;
    FInput.MapText = "(None)";
    FRig.Dialogs.MessageAnswers = {TMsgResult::No};
    FRig.Dialogs.Messages.clear();

    EXPECT_FALSE(FRig.Launch(FInput).ScriptWritten);

    ASSERT_EQ(FRig.Dialogs.Messages.size(), 1u);
    ExpectWarning(FRig.Dialogs.Messages[0], kNoMap, TMsgResult::No);
    EXPECT_TRUE(NothingWritten());
  }
}

TEST_F(LaunchQuestions, YesToAServerWithoutAMapLaunchesWithoutAStartLine) {
  FInput.PlayMode = kPlayListen;
  FRig.Dialogs.MessageAnswers = {TMsgResult::Yes};
  ASSERT_TRUE(FRig.Launch(FInput).ScriptWritten);
  EXPECT_EQ(FRig.MainScript().find("map "), std::string::npos);
}

TEST_F(LaunchQuestions, NoMapQuestionWhenTheGameTypeHasNoMapsOrTheModeIsNoServer) {
  FInput.PlayMode = kPlayListen;
  FRig.Features.NoMap = true;
  EXPECT_TRUE(FRig.Launch(FInput).ScriptWritten);
  FRig.Features = {};
  FInput.PlayMode = kPlaySingle;
  EXPECT_TRUE(FRig.Launch(FInput).ScriptWritten);
  EXPECT_TRUE(FRig.Dialogs.Messages.empty());
}

TEST_F(LaunchQuestions, AMissingPatchFolderAsksAndNoEndsBeforeAnythingIsWritten) {
  FInput.Patch = "nowhere";
  FRig.Dialogs.MessageAnswers = {TMsgResult::Cancel};
  EXPECT_FALSE(FRig.Launch(FInput).ScriptWritten);
  ASSERT_EQ(FRig.Dialogs.Messages.size(), 1u);
  ExpectWarning(FRig.Dialogs.Messages[0], kNoPatch, TMsgResult::No);
  EXPECT_TRUE(NothingWritten());
}

TEST_F(LaunchQuestions, ThePatchFolderIsFoundWhateverItsCase) {
  fs::create_directories(FRig.Game / "Hipnotic");
  FInput.Patch = "HIPNOTIC";
  EXPECT_TRUE(FRig.Launch(FInput).ScriptWritten);
  EXPECT_TRUE(FRig.Dialogs.Messages.empty());
}

TEST_F(LaunchQuestions, BothChecksAskInOrderWhenBothApply) {
  FInput.PlayMode = kPlayDedicated;
  FInput.Patch = "nowhere";
  FRig.Dialogs.MessageAnswers = {TMsgResult::Yes, TMsgResult::Yes};
  const TLaunchResult result = FRig.Launch(FInput);
  EXPECT_TRUE(result.ScriptWritten);
  ASSERT_EQ(FRig.Dialogs.Messages.size(), 2u);
  EXPECT_EQ(FRig.Dialogs.Messages[0].Text, kNoMap);
  EXPECT_EQ(FRig.Dialogs.Messages[1].Text, kNoPatch);
  EXPECT_EQ(result.CommandLine, "-dedicated 0 -game nowhere   +exec Frax.cfg");
}

TEST_F(LaunchQuestions, RecordingWithoutANameAsksAfterTheAuxiliaryScriptsWithYesAsDefault) {
  for (const int mode : {kPlaySingle, kPlayListen, kPlayClient}) {
    fs::remove(FRig.Id1("Frax.cfg"));
    FInput.PlayMode = mode;
    FInput.MapText = "e1m1";
    FInput.RecordDemo = true;
    FInput.DemoRecord = "(none)";
    FRig.Dialogs.MessageAnswers = {TMsgResult::No};
    FRig.Dialogs.Messages.clear();

    EXPECT_FALSE(FRig.Launch(FInput).ScriptWritten);

    ASSERT_EQ(FRig.Dialogs.Messages.size(), 1u) << mode;
    ExpectWarning(FRig.Dialogs.Messages[0], kNoRecordName, TMsgResult::Yes);
    EXPECT_FALSE(fs::exists(FRig.Id1("Frax.cfg")));
    EXPECT_TRUE(fs::exists(FRig.Id1("fx_maps.cfg")));
    EXPECT_TRUE(fs::exists(FRig.Id1("fx_svinf.cfg")));
  }
}

TEST_F(LaunchQuestions, YesToRecordingWithoutANameStartsTheMapWithoutRecording) {
  FInput.MapText = "e1m1";
  FInput.RecordDemo = true;
  FRig.Dialogs.MessageAnswers = {TMsgResult::Yes};
  ASSERT_TRUE(FRig.Launch(FInput).ScriptWritten);
  const std::string script = FRig.MainScript();
  EXPECT_EQ(script.find("record"), std::string::npos);
  EXPECT_NE(script.find("\r\nmap e1m1\r\n"), std::string::npos);
}

TEST_F(LaunchQuestions, DedicatedServersNeverRecord) {
  FInput.PlayMode = kPlayDedicated;
  FInput.MapText = "e1m1";
  FInput.RecordDemo = true;
  ASSERT_TRUE(FRig.Launch(FInput).ScriptWritten);
  EXPECT_EQ(FRig.MainScript().find("record"), std::string::npos);
  EXPECT_TRUE(FRig.Dialogs.Messages.empty());
}

TEST_F(LaunchQuestions, TheLaunchCleansUpConfigFilesInItsLaunchForm) {
  FRig.User.SetDelOnLaunch(true);
  FRig.User.SetDelInID1Dir(true);
  FRig.User.SetDelInPatchDir(true);
  WriteFileBytes(FRig.Id1("CONFIG.CFG"), "bind x y");
  WriteFileBytes(FRig.Game / "ctf" / "config.cfg", "bind x y");
  FInput.Patch = "ctf";
  ASSERT_TRUE(FRig.Launch(FInput).ScriptWritten);
  EXPECT_FALSE(fs::exists(FRig.Id1("CONFIG.CFG")));
  EXPECT_FALSE(fs::exists(FRig.Game / "ctf" / "config.cfg"));
}

TEST_F(LaunchQuestions, TheScriptGoesIntoAnExistingId1FolderWhateverItsCase) {
  fs::remove_all(FRig.Game / "id1");
  fs::create_directories(FRig.Game / "ID1");
  FRig.Machine.SetCfgFileName("Mine.CFG");
  const TLaunchResult result = FRig.Launch(FInput);
  EXPECT_TRUE(fs::exists(FRig.Game / "ID1" / "Mine.CFG"));
  EXPECT_TRUE(fs::exists(FRig.Game / "ID1" / "fx_maps.cfg"));
  EXPECT_FALSE(fs::exists(FRig.Game / "id1"));
  EXPECT_EQ(result.CommandLine, "   +exec Mine.CFG");
}

TEST_F(LaunchQuestions, AScriptThatCannotBeWrittenStopsTheLaunchWithAnError) {
  fs::remove_all(FRig.Game / "id1");
  FRig.User.SetInGameCmds(false);
  EXPECT_THROW(FRig.Launch(FInput), EScriptWriteError);
}

TEST_F(LaunchQuestions, WithoutAGameFolderNothingIsWrittenOrStarted) {
  FRig.Machine.SetQPath("");
  EXPECT_THROW(FRig.Launch(FInput), EScriptWriteError);
  EXPECT_TRUE(NothingWritten());
}

}  // namespace
}  // namespace fx
