// Starts the real program twice, on the offscreen platform, with settings of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <string>

#include "fixtures/FileBuilder.h"
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

}  // namespace
}  // namespace fx
