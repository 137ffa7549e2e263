// The "Maps and Mods" dialog on local catalogues: it lists, a search narrows, the keyboard
// reaches the list from the search box, and Play hands back the package with its plan.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocumentFragment>

#include <fstream>

#include "content/CatalogueBuilder.h"
#include "content/ContentBrowserDlg.h"
#include "content/NoNetwork.h"
#include "content/ShowLoaded.h"
#include "fixtures/FindControl.h"
#include "fixtures/TempDir.h"
#include "installer/Download.h"

namespace fx {
namespace {

using test::Control;

class ContentBrowserDlgTest : public ::testing::Test {
 protected:
  ContentBrowserDlgTest() {
    std::vector<test::TXmlRecord> records(4);
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
    records[3].Id = "&lt;b&gt;bold";  // left out: no plain file name
    for (std::size_t i = 0; i < records.size(); ++i)
      records[i].Md5 = test::HexOf(i, 32);
    std::ofstream(Dir / "db.xml") << test::XmlDatabase(records);
    Options.Downloader = &Network;
    Options.CacheFolder = Dir / "cache";
    Options.FilterPresetsFile = Dir / "content-filters.txt";
    Options.Sources = {{"local", (Dir / "db.xml").string(), TCatalogueFormat::XmlDatabase, true}};
    Options.Engines = {{"QuakeSpasm", TEngineFamily::QuakeSpasm}};
    Options.Notes = {"line 2: bad"};
  }

  test::TTempDir Dir;
  test::TNoNetwork Network;
  TContentBrowserOptions Options;
};

TEST_F(ContentBrowserDlgTest, SearchNarrowsAndEnterPlaysTheCurrentPackage) {
  TContentBrowserDlg dialog(Options);
  test::ShowLoaded(dialog);
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
  test::ShowLoaded(dialog);
  auto& search = Control<QLineEdit>(dialog, "SearchEdit");
  auto& details = Control<QTextBrowser>(dialog, "DetailsText");
  QTest::keyClicks(&search, "tomb");
  ASSERT_EQ(dialog.Proxy().rowCount(), 1);
  const QString tomb = details.toHtml();
  EXPECT_FALSE(tomb.contains("alert")) << tomb.toStdString();
  EXPECT_FALSE(tomb.contains("x.invalid")) << tomb.toStdString();
  EXPECT_TRUE(details.toPlainText().contains("[image]"));
  // The reasons for what was left out are the catalogue's own text: shown, never markup.
  const QString reasons = Control<QLabel>(dialog, "StatusLabel").toolTip();
  EXPECT_TRUE(QTextDocumentFragment::fromHtml(reasons).toPlainText().contains("'<b>bold'"))
      << reasons.toStdString();
  search.clear();
  QTest::keyClicks(&search, "evil");
  ASSERT_EQ(dialog.Proxy().rowCount(), 1);
  EXPECT_TRUE(details.toPlainText().contains("Command line not used"))
      << details.toPlainText().toStdString();
  QTest::keyClick(&search, Qt::Key_Return);
  ASSERT_TRUE(dialog.Chosen());
  EXPECT_TRUE(dialog.Chosen()->Plan.Patch.empty());
}

// The proxy after the model changes under the same filter, and dates sorted by their value.
TEST(ContentFilterProxy, ShowsTheNewModelsMatchesAndSortsDatesByValue) {
  const auto package = [](const std::string& id, TContentDate date) {
    TContentPackage p;
    p.Id = p.Title = id;
    p.Date = date;
    return p;
  };
  const auto titles = [](const QAbstractItemModel& proxy) {
    std::vector<std::string> out;
    for (int row = 0; row < proxy.rowCount(); ++row)
      out.push_back(proxy.index(row, kColTitle).data().toString().toStdString());
    return out;
  };
  TContentTableModel model;
  TContentFilterProxy proxy;
  proxy.setSourceModel(&model);
  proxy.sort(kColDate, Qt::AscendingOrder);
  model.SetPackages({package("castle", {}), package("tomb", {}), package("keep", {})}, {});
  proxy.SetFilter({.Text = "castle"});
  EXPECT_EQ(titles(proxy), std::vector<std::string>{"castle"});
  // A new catalogue with its match where the old one had it, then elsewhere.
  model.SetPackages({package("castle2", {}), package("tomb", {}), package("keep", {})}, {});
  proxy.SetFilter({.Text = "castle"});
  EXPECT_EQ(titles(proxy), std::vector<std::string>{"castle2"});
  model.SetPackages({package("tomb", {}), package("keep", {}), package("castle3", {})}, {});
  proxy.SetFilter({.Text = "castle"});
  EXPECT_EQ(titles(proxy), std::vector<std::string>{"castle3"});
  model.SetPackages({package("day", {1997, 5, 3}), package("none", {}), package("year", {1997}),
                     package("month", {1997, 5}), package("later", {1998, 1, 1})},
                    {});
  proxy.SetFilter({});
  EXPECT_EQ(titles(proxy), (std::vector<std::string>{"none", "year", "month", "day", "later"}));
}

}  // namespace
}  // namespace fx
