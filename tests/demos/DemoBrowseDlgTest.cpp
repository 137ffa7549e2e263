#include <QKeyEvent>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include "demos/DemoBrowseDlg.h"
#include "demos/DemoTableModel.h"
#include "fixtures/DemoBuilder.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/PakBuilder.h"
#include "fixtures/ScriptedDialogs.h"
#include "fixtures/TempDir.h"

namespace fx {
namespace {

namespace fs = std::filesystem;

class DemoBrowseDlgTest : public testing::Test {
 protected:
  void SetUp() override {
    const auto demo = [](std::string_view map, std::string name) {
      return test::TNetQuakeDemo()
          .Level(15, map, "Title", {std::move(name)}, 0.0f, 1.0f, 66)
          .Bytes();
    };
    test::WriteFileBytes(Game() / "id1/first.dem", demo("e1m1", "alpha"));
    test::WriteFileBytes(Game() / "id1/pak0.pak",
                         test::TPakBuilder().Add("inpak.dem", demo("e1m2", "beta")).Build());
    test::WriteFileBytes(Game() / "mymod/second.dem", demo("dm3", "gamma"));
  }
  fs::path Game() const { return FTemp / "quake"; }

  TDemoBrowseSetup Setup() const {
    const auto search = [this](const std::string& dir) {
      return std::vector<fs::path>{Game() / dir};
    };
    return {.GameFolder = Game(),
            .Home = FTemp.Path(),
            .Dirs = DemoGameDirs(Game(), {}, {}, search),
            .CacheFile = FTemp / "cache/demos.cache",
            .StartFolder = (Game() / "id1").string()};
  }

  test::TTempDir FTemp;
  test::TScriptedDialogs FDialogs;
};

TEST_F(DemoBrowseDlgTest, ListsFiltersAndChoosesWithEnter) {
  TDemoBrowseDlg dialog(Setup(), FDialogs);
  dialog.Start();
  dialog.WaitForScan();
  ASSERT_EQ(dialog.Table().rowCount(), 3);
  const QModelIndex length = dialog.Table().index(0, TDemoTableModel::kLength);
  EXPECT_EQ(dialog.Table().data(length, Qt::DisplayRole).toString(), "1:05");

  // Search as you type: a player's name finds its demo.
  auto* search = dialog.findChild<QLineEdit*>("edSearch");
  QTest::keyClicks(search, "gamma");
  ASSERT_EQ(dialog.Proxy().rowCount(), 1);
  auto* table = dialog.findChild<QTableView*>("tvDemos");
  QTest::keyClick(search, Qt::Key_Down);
  QTest::keyClick(table, Qt::Key_Return);
  ASSERT_TRUE(dialog.Chosen().Row);
  EXPECT_EQ(dialog.Chosen().Row->Name, "second");
  EXPECT_EQ(dialog.Chosen().Row->GameDir, "mymod");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);

  // The second look answers from the cache the first wrote.
  ASSERT_TRUE(fs::exists(FTemp / "cache/demos.cache"));
}

TEST_F(DemoBrowseDlgTest, OtherFileKeepsTheFileChooser) {
  TDemoBrowseDlg dialog(Setup(), FDialogs);
  dialog.Start();
  FDialogs.ChooserAnswers = {std::string("/elsewhere/mine.dem")};
  QTest::mouseClick(dialog.findChild<QWidget*>("btnOtherFile"), Qt::LeftButton);
  EXPECT_EQ(dialog.Chosen().OtherFile, "/elsewhere/mine.dem");
  EXPECT_FALSE(dialog.Chosen().Row);
  ASSERT_EQ(FDialogs.ChooserCalls.size(), 1u);
  EXPECT_EQ(FDialogs.ChooserCalls[0].Start, (Game() / "id1").string());
}

}  // namespace
}  // namespace fx
