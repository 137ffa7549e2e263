// The "Maps and Mods" dialog on local catalogues: it lists, a search narrows, the keyboard
// reaches the list from the search box, and Play hands back the package with its plan.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>

#include <fstream>

#include "content/CatalogueBuilder.h"
#include "content/ContentBrowserDlg.h"
#include "fixtures/FindControl.h"
#include "fixtures/TempDir.h"
#include "installer/Download.h"

namespace fx {
namespace {

using test::Control;

// A download port that must not be used: every source here is a local file.
class TNoNetwork : public TDownloader {
 public:
  TId Start(TDownloadRequest, TDownloadCallbacks) override {
    ADD_FAILURE() << "the dialog went on the network";
    return 0;
  }
  void Cancel(TId) override {}
};

class ContentBrowserDlgTest : public ::testing::Test {
 protected:
  ContentBrowserDlgTest() {
    std::vector<test::TXmlRecord> records(3);
    records[0].Id = "castle";
    records[0].Title = "Castle of Doom";
    records[0].StartMaps = {"castle1"};
    records[0].CommandLine = "-game castlemod";
    records[1].Id = "tomb";
    records[1].Title = "The Tomb";
    records[1].Description =
        "<p>Dark <script>alert(1)</script>and <img src=\"http://x.invalid/a.png\"> deep</p>";
    records[2].Id = "evil";
    records[2].Title = "Evil Line";
    records[2].CommandLine = "-game ../../x +exec evil.cfg";
    for (std::size_t i = 0; i < records.size(); ++i)
      records[i].Md5 = test::HexOf(i, 32);
    std::ofstream(Dir / "db.xml") << test::XmlDatabase(records);
    Options.Downloader = &Network;
    Options.CacheFolder = Dir / "cache";
    Options.Sources = {{"local", (Dir / "db.xml").string(), TCatalogueFormat::XmlDatabase, true}};
    Options.Engines = {{"QuakeSpasm", TEngineFamily::QuakeSpasm}};
    Options.Notes = {"line 2: bad"};
  }

  test::TTempDir Dir;
  TNoNetwork Network;
  TContentBrowserOptions Options;
};

TEST_F(ContentBrowserDlgTest, SearchNarrowsAndEnterPlaysTheCurrentPackage) {
  TContentBrowserDlg dialog(Options);
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  auto& search = Control<QLineEdit>(dialog, "SearchEdit");
  auto& table = Control<QTableView>(dialog, "PackageTable");
  EXPECT_EQ(dialog.Proxy().rowCount(), 3);
  EXPECT_EQ(QApplication::focusWidget(), &search);
  EXPECT_TRUE(Control<QLabel>(dialog, "StatusLabel").text().contains("line 2: bad"));
  QTest::keyClicks(&search, "castle");
  EXPECT_EQ(dialog.Proxy().rowCount(), 1);
  QTest::keyClick(&search, Qt::Key_Down);
  EXPECT_EQ(QApplication::focusWidget(), &table);
  QTest::keyClick(&table, Qt::Key_Return);
  ASSERT_TRUE(dialog.Chosen());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Chosen()->Package.Id, "castle");
  EXPECT_EQ(dialog.Chosen()->Plan.Patch, "castlemod");
  EXPECT_EQ(dialog.Chosen()->Plan.StartMaps, std::vector<std::string>{"castle1"});
}

TEST_F(ContentBrowserDlgTest, DetailsAreSafeAndARefusedCommandLineIsShown) {
  TContentBrowserDlg dialog(Options);
  dialog.show();
  auto& search = Control<QLineEdit>(dialog, "SearchEdit");
  auto& details = Control<QTextBrowser>(dialog, "DetailsText");
  QTest::keyClicks(&search, "tomb");
  ASSERT_EQ(dialog.Proxy().rowCount(), 1);
  const QString tomb = details.toHtml();
  EXPECT_FALSE(tomb.contains("alert")) << tomb.toStdString();
  EXPECT_FALSE(tomb.contains("x.invalid")) << tomb.toStdString();
  EXPECT_TRUE(details.toPlainText().contains("[image]"));
  search.clear();
  QTest::keyClicks(&search, "evil");
  ASSERT_EQ(dialog.Proxy().rowCount(), 1);
  EXPECT_TRUE(details.toPlainText().contains("Command line not used"))
      << details.toPlainText().toStdString();
  QTest::keyClick(&search, Qt::Key_Return);
  ASSERT_TRUE(dialog.Chosen());
  EXPECT_TRUE(dialog.Chosen()->Plan.Patch.empty());
}

}  // namespace
}  // namespace fx
