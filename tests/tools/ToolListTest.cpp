#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fixtures/FileBuilder.h"
#include "fixtures/StandInEngine.h"
#include "fixtures/TempDir.h"
#include "platform/RegFileStore.h"
#include "platform/Registry.h"
#include "tools/FXTools.h"
#include "tools/ToolListEdit.h"

namespace fx {
namespace {

using test::TTempDir;
using ::testing::ElementsAre;

TTool Tool(const std::string& title, const std::string& path = "", const std::string& dir = "",
           const std::string& param = "") {
  TTool tool;
  tool.Title = title;
  tool.Path = path;
  tool.WorkDir = dir;
  tool.Param = param;
  return tool;
}

// The per-user settings file in a temporary folder; every Store() call starts over with a
// store that knows only the file, as the next run of the program would.
class ToolList : public ::testing::Test {
 protected:
  TTempDir FTemp;
  std::optional<TRegFileStore> FStore;

  TRegFileStore& Store() {
    FStore.reset();
    FStore.emplace(FTemp.Path());
    return *FStore;
  }
  TToolList Load() {
    TRegistry registry(Store());
    TToolList list;
    list.Load(registry);
    EXPECT_FALSE(registry.HasKeyOpen());
    return list;
  }
  // Values written under the tools key by hand, as a damaged or older file might hold them.
  void Write(const std::function<void(TRegistry&)>& values) {
    TRegistry registry(Store());
    ASSERT_TRUE(registry.OpenKey(ToolListKey(), true));
    values(registry);
    registry.CloseKey();
  }
};

TEST_F(ToolList, SurvivesARestartNumberedFromZeroInListOrder) {
  TToolList list;
  list.Items = {Tool("Map editor", "/usr/bin/editor", "/usr/bin", "-new"),
                Tool("Server browser", "/opt/browse/run.sh", "/opt/browse", "")};
  {
    TRegistry registry(Store());
    list.Save(registry);
    EXPECT_FALSE(registry.HasKeyOpen());
  }
  // The file holds the list as soon as Save returns: nothing waits for the store's end.
  const std::string file = test::ReadFileBytes(FTemp / "user.reg");
  EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\Bolsk\\Fraxinel\\Tools]\r\n"
                      "\"Count\"=dword:00000002\r\n"
                      "\"Title0\"=\"Map editor\"\r\n\"Path0\"=\"/usr/bin/editor\"\r\n"
                      "\"WorkDir0\"=\"/usr/bin\"\r\n\"Param0\"=\"-new\"\r\n"
                      "\"Title1\"=\"Server browser\"\r\n"),
            std::string::npos)
      << file;
  EXPECT_EQ(Load().Items, list.Items);
}

TEST_F(ToolList, SaveReplacesEveryValueOfTheOldList) {
  Write([](TRegistry& r) {
    r.WriteInteger("Count", 3);
    r.WriteString("Title2", "Stale");
    r.WriteString("Leftover", "x");
  });
  TToolList list;
  list.Items = {Tool("Only")};
  TRegistry registry(Store());
  list.Save(registry);
  ASSERT_TRUE(registry.OpenKey(ToolListKey(), false));
  EXPECT_THAT(registry.GetValueNames(),
              ElementsAre("Count", "Title0", "Path0", "WorkDir0", "Param0"));
}

TEST_F(ToolList, LoadReadsWhatTheKeyCanBack) {
  struct TCase {
    const char* Name;
    std::function<void(TRegistry&)> Values;
    std::vector<std::string> Titles;
  };
  const std::vector<TCase> cases = {
      {"no key at all", [](TRegistry&) {}, {}},
      {"missing count", [](TRegistry& r) { r.WriteString("Title0", "A"); }, {}},
      {"missing values read empty",
       [](TRegistry& r) {
         r.WriteInteger("Count", 2);
         r.WriteString("Title1", "B");
       },
       {"", "B"}},
      {"negative count", [](TRegistry& r) { r.WriteInteger("Count", -5); }, {}},
      // Two thousand million empty tools would hang the start; four values make one tool.
      {"count beyond the values",
       [](TRegistry& r) {
         r.WriteInteger("Count", 2000000000);
         r.WriteString("Title0", "A");
       },
       {"A", ""}},
  };
  for (const TCase& c : cases) {
    std::filesystem::remove(FTemp / "user.reg");
    Write(c.Values);
    EXPECT_EQ(Load().Titles(), c.Titles) << c.Name;
  }
  // Reading a list that was never saved writes nothing: a launch from a shortcut stores
  // nothing.
  std::filesystem::remove(FTemp / "user.reg");
  EXPECT_TRUE(Load().Items.empty());
  EXPECT_FALSE(std::filesystem::exists(FTemp / "user.reg"));
}

TEST(ToolListEdit, ButtonsFollowTheSelection) {
  struct TCase {
    int Count;
    int Selected;
    bool Delete, MoveUp, MoveDown;
  };
  for (const TCase& c : std::vector<TCase>{{0, -1, false, false, false},
                                           {3, -1, false, false, false},
                                           {1, 0, true, false, false},
                                           {3, 0, true, false, true},
                                           {3, 1, true, true, true},
                                           {3, 2, true, true, false}}) {
    TToolListEdit edit(std::vector<TTool>(static_cast<std::size_t>(c.Count)));
    edit.Select(c.Selected);
    const auto buttons = edit.Buttons();
    const std::string where = std::to_string(c.Count) + "/" + std::to_string(c.Selected);
    EXPECT_EQ(buttons.Delete, c.Delete) << where;
    EXPECT_EQ(buttons.Edit, c.Delete) << where;
    EXPECT_EQ(buttons.MoveUp, c.MoveUp) << where;
    EXPECT_EQ(buttons.MoveDown, c.MoveDown) << where;
  }
}

TEST(ToolListEdit, MovesKeepTheToolSelectedAndStopAtTheEnds) {
  TToolListEdit edit({Tool("A"), Tool("B"), Tool("C")});
  edit.Select(0);
  EXPECT_FALSE(edit.MoveUp());
  EXPECT_TRUE(edit.MoveDown());
  EXPECT_EQ(edit.Selected(), 1);
  EXPECT_TRUE(edit.MoveDown());
  EXPECT_FALSE(edit.MoveDown());
  EXPECT_EQ(edit.SelectedTool()->Title, "A");
  edit.Select(1);
  edit.DeleteSelected();
  EXPECT_EQ(edit.Selected(), -1);
  std::vector<std::string> titles;
  for (const TTool& tool : edit.Tools())
    titles.push_back(tool.Title);
  EXPECT_THAT(titles, ElementsAre("B", "A"));
}

TEST(ToolFields, BrowsingFillsPathFolderAndOnlyANewTitle) {
  TToolFields fresh{kNewToolTitle, "", "", "-x"};
  ApplyBrowsedProgram("/opt/quake tools/qbsp.sh", fresh);
  EXPECT_EQ(fresh.Title, "qbsp");
  EXPECT_EQ(fresh.Path, "/opt/quake tools/qbsp.sh");
  EXPECT_EQ(fresh.WorkDir, "/opt/quake tools");
  EXPECT_EQ(fresh.Param, "-x");

  // Only exactly "New Tool" counts as untouched.
  for (const char* title : {"My editor", "new tool", ""}) {
    TToolFields edited{title, "", "", ""};
    ApplyBrowsedProgram("/usr/bin/light", edited);
    EXPECT_EQ(edited.Title, title);
    EXPECT_EQ(edited.WorkDir, "/usr/bin");
  }
  EXPECT_EQ(BrowseStart({"T", "", "", ""}, "/games/quake"), "/games/quake");
  EXPECT_EQ(BrowseStart({"T", "/usr/bin/vis", "", ""}, "/games/quake"), "/usr/bin/vis");
}

TEST(Tool, RunStartsThroughTheShellOrRaisesItsMessage) {
  TTempDir temp;
  TTool missing = Tool("Gone", (temp / "no-such-tool").string(), temp.Path().string());
  try {
    missing.Run();
    FAIL() << "a missing program started";
  } catch (const EToolError& e) {
    EXPECT_STREQ(e.what(), "The tool could not be executed.\nCheck path and working dir.");
  }
  // A working folder that does not exist fails the start as well.
  test::WriteStandInEngine(temp / "tool.sh", temp / "report");
  EXPECT_THROW(Tool("T", (temp / "tool.sh").string(), (temp / "nowhere").string()).Run(),
               EToolError);

  Tool("T", (temp / "tool.sh").string(), temp.Path().string(), "-map \"e1 m1\"").Run();
  const auto report = test::WaitForReport(temp / "report");
  ASSERT_TRUE(report.has_value());
  EXPECT_EQ(report->Folder, std::filesystem::canonical(temp.Path()).string());
  EXPECT_THAT(report->Args, ElementsAre("-map", "e1 m1"));
}

}  // namespace
}  // namespace fx
