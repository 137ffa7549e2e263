// A FIFO, device or folder where the program reads or writes a file of its own is refused
// at once, never waited on: the settings, the launch scripts, the game's output, the files
// it reads from the desktop and from Steam.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "fixtures/Fifo.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"
#include "launcher/GameOutput.h"
#include "launcher/ScriptPlace.h"
#include "launcher/ScriptText.h"
#include "platform/RegFileStore.h"
#include "platform/RegularFile.h"
#include "platform/Shell.h"
#include "platform/Shortcuts.h"
#include "platform/SpecialFolders.h"
#include "settings/SteamLibraries.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// Well below the FIFO's own release (3 s): a call that waited on it takes that long.
constexpr std::chrono::milliseconds kAtOnce{1000};

struct TSpecialFileCase {
  const char* Name;
  const char* Fifo;  // below the temporary folder
  // Does what the program does there and checks its outcome; `temp` is the folder.
  std::function<void(const fs::path& temp)> Check;
  bool Replaced = false;  // the FIFO is moved aside (the settings file)
};

void ExpectNotRegular(const std::function<void()>& open) {
  try {
    open();
    ADD_FAILURE() << "opened";
  } catch (const EFileOpenError& e) {
    EXPECT_TRUE(e.NotRegular()) << e.what();
  }
}

const std::vector<TSpecialFileCase>& Cases() {
  static const std::vector<TSpecialFileCase> cases = {
      {"reading through the mechanism", "f",
       [](const fs::path& temp) { ExpectNotRegular([&] { ReadRegularFile(temp / "f"); }); }},
      {"writing through the mechanism", "f",
       [](const fs::path& temp) { ExpectNotRegular([&] { WriteRegularFile(temp / "f", "x"); }); }},
      {"a launch script", "id1/fx_maps.cfg",
       [](const fs::path& temp) {
         try {
           WriteScript(temp / "id1" / "fx_maps.cfg", {"map e1m1"});
           ADD_FAILURE() << "written";
         } catch (const EScriptWriteError& e) {
           EXPECT_THAT(e.what(), HasSubstr("not a regular file"));
         }
       }},
      {"the stale-script check", "id1/Frax.cfg",
       [](const fs::path& temp) { EXPECT_FALSE(IsProgramScript(temp / "id1" / "Frax.cfg")); }},
      {"the game output's last lines", "game.log",
       [](const fs::path& temp) { EXPECT_THAT(LastLines(temp / "game.log", 5), IsEmpty()); }},
      {"the game's output file", "out.log",
       [](const fs::path& temp) {
         TProgramStartOptions options;
         options.OutputFile = temp / "out.log";
         EXPECT_TRUE(ShellSucceeded(StartProgram("/bin/true", {}, "", options).Result));
       }},
      {"Steam's library file", "home/.local/share/Steam/steamapps/libraryfolders.vdf",
       [](const fs::path& temp) { EXPECT_THAT(SteamLibraryFolders(temp / "home"), IsEmpty()); }},
      {"the desktop's folder names", "config/user-dirs.dirs",
       [](const fs::path& temp) {
         const TXdgFolders folders([&](std::string_view name) -> std::optional<std::string> {
           if (name == "HOME") return (temp / "home").string();
           if (name == "XDG_CONFIG_HOME") return (temp / "config").string();
           return std::nullopt;
         });
         EXPECT_EQ(folders.Desktop(), temp / "home" / "Desktop");
       }},
      {"a desktop shortcut's temporary file",
       nullptr,  // named with our process id below
       [](const fs::path& temp) {
         EXPECT_FALSE(
             CreateShortcut({"/usr/games/quake", "Quake", "", ""}, temp / "q.desktop", {}));
       }},
      {"the settings file", "config/user.reg",
       [](const fs::path& temp) {
         TRegFileStore store(temp / "config");
         EXPECT_THAT(store.SubKeyNames(HKEY_CURRENT_USER, ""), IsEmpty());
         const auto warnings = store.TakeWarnings();
         ASSERT_EQ(warnings.size(), 1U);
         EXPECT_THAT(warnings[0], HasSubstr("not a regular file"));
       },
       true},
  };
  return cases;
}

TEST(SpecialFilesTest, NoOwnFileOpenWaitsOnAFifo) {
  for (const TSpecialFileCase& c : Cases()) {
    SCOPED_TRACE(c.Name);
    test::TTempDir temp;
    const fs::path where =
        c.Fifo != nullptr ? temp / c.Fifo : temp / ("q.desktop.tmp-" + std::to_string(::getpid()));
    test::TFifo fifo(where);
    EXPECT_LT(test::TimeOf([&] { c.Check(temp.Path()); }), kAtOnce);
    EXPECT_EQ(fifo.StillThere(), !c.Replaced);
  }
}

TEST(SpecialFilesTest, DevicesAndFoldersAreRefusedAsWellAndRegularFilesRead) {
  test::TTempDir temp;
  ExpectNotRegular([] { ReadRegularFile("/dev/null"); });
  ExpectNotRegular([] { WriteRegularFile("/dev/null", "x"); });
  ExpectNotRegular([&] { ReadRegularFile(temp.Path()); });
  ExpectNotRegular([&] { WriteRegularFile(temp.Path(), "x"); });
  try {
    ReadRegularFile(temp / "missing");
    ADD_FAILURE() << "read";
  } catch (const EFileOpenError& e) {
    EXPECT_EQ(e.Error(), ENOENT);
    EXPECT_THAT(e.what(), HasSubstr((temp / "missing").string()));
  }
  WriteRegularFile(temp / "a", "first line\nsecond");
  EXPECT_EQ(ReadRegularFile(temp / "a"), "first line\nsecond");
  EXPECT_EQ(ReadRegularFile(temp / "a", 5), "first");
  WriteRegularFile(temp / "a", "");
  EXPECT_EQ(ReadRegularFile(temp / "a"), "");
}

}  // namespace
}  // namespace fx
