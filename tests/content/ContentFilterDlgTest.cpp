// The browser's filters, presets and screenshot in the window: each control narrows the list
// as the model's filter says, presets come back from their file, and a screenshot comes from
// the loopback server once and then from the cache, while a hostile answer is refused.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>

#include <fstream>
#include <functional>
#include <memory>

#include "content/CatalogueBuilder.h"
#include "content/ContentBrowserDlg.h"
#include "content/ContentFilterBar.h"
#include "content/NoNetwork.h"
#include "content/ShowLoaded.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/FindControl.h"
#include "fixtures/HttpTestServer.h"
#include "fixtures/TempDir.h"
#include "installer/QtDownloader.h"

namespace fx {
namespace {

using test::Control;

// Ratings, years, sizes and mods from the XML database; game modes from JSON records.
class ContentFilterDlgTest : public ::testing::Test {
 protected:
  ContentFilterDlgTest() {
    const struct {
      const char* Id;
      const char* Rating;
      const char* Users;
      const char* Size;  // KiB
      const char* Date;
      const char* CommandLine;
    } xml[] = {
        {"alpha", "5", "4.50", "3000", "01.02.2020", "-hipnotic"},
        {"beta", "2", "2.00", "200", "24.10.97", ""},
        {"gamma", "4", "3.75", "12000", "05.06.2010", ""},
    };
    std::vector<test::TXmlRecord> records;
    for (const auto& x : xml) {
      test::TXmlRecord r;
      r.Id = r.Title = x.Id;
      r.Rating = x.Rating;
      r.UsersRating = x.Users;
      r.Size = x.Size;
      r.Date = x.Date;
      r.CommandLine = x.CommandLine;
      r.Type = r.Id == "gamma" ? "2" : "1";  // a mod, the others maps
      r.Md5 = test::HexOf(records.size(), 32);
      records.push_back(r);
    }
    std::ofstream(Dir / "db.xml") << test::XmlDatabase(records);
    std::vector<std::string> json;
    for (const char* mode : {"deathmatch", "cooperative", "singleplayer"}) {
      test::TJsonRecord r;
      r.Sha256 = test::HexOf(json.size() + 10);
      r.Tags = {std::string("filename=") + mode + ".zip", std::string("title=") + mode, "type=map",
                std::string("game_mode=") + mode, "release_date=2001-01-01"};
      json.push_back(test::JsonText(r));
    }
    std::ofstream(Dir / "records.json") << test::JsonArray(json);
    Options.Downloader = &Network;
    Options.CacheFolder = Dir / "cache";
    Options.FilterPresetsFile = Dir / "settings/content-filters.txt";
    Options.Sources = {
        {"xml", (Dir / "db.xml").string(), TCatalogueFormat::XmlDatabase, true},
        {"json", (Dir / "records.json").string(), TCatalogueFormat::JsonPages, true}};
  }

  // What the model's own filter lets through of the dialog's packages.
  static std::size_t ModelCount(TContentBrowserDlg& dialog, const TContentFilter& filter) {
    auto& model = static_cast<TContentTableModel&>(*dialog.Proxy().sourceModel());
    return FilterPackages(model.Packages(), model.SearchTexts(), model.States(), filter).size();
  }

  test::TTempDir Dir;
  test::TNoNetwork Network;
  TContentBrowserOptions Options;
};

TEST_F(ContentFilterDlgTest, EachControlNarrowsTheListAsTheModelsFilterDoes) {
  TContentBrowserDlg dialog(Options);
  test::ShowLoaded(dialog);
  ASSERT_EQ(dialog.Proxy().rowCount(), 6);
  auto& bar = Control<TContentFilterBar>(dialog, "FilterBar");
  const auto spin = [&](const char* name, int value) {
    return [&dialog, name, value] { Control<QSpinBox>(dialog, name).setValue(value); };
  };
  const auto check = [&](const char* name) {
    return [&dialog, name] { Control<QCheckBox>(dialog, name).setChecked(true); };
  };
  const auto combo = [&](const char* name, int index) {
    return [&dialog, name, index] { Control<QComboBox>(dialog, name).setCurrentIndex(index); };
  };
  const struct {
    const char* What;
    std::function<void()> Set;
    TContentFilter Want;
    int Rows;  // of the six
  } cases[] = {
      {"editors' rating", spin("RatingSpin", 4), {.MinRating = 4}, 2},
      {"users' rating",
       [&] { Control<QDoubleSpinBox>(dialog, "UsersRatingSpin").setValue(3.5); },
       {.MinUsersRating = 3.5},
       2},
      {"year from", spin("YearFromSpin", 2005), {.YearFrom = 2005}, 2},
      {"year to", spin("YearToSpin", 2000), {.YearTo = 2000}, 1},
      {"size from", spin("MinSizeSpin", 2), {.MinBytes = 2u << 20}, 2},
      {"size to", spin("MaxSizeSpin", 1), {.MaxBytes = 1u << 20}, 4},
      {"needs a mod", combo("NeedsModCombo", 1), {.NeedsMod = TTriState::Yes}, 1},
      {"needs no mod", combo("NeedsModCombo", 2), {.NeedsMod = TTriState::No}, 5},
      {"deathmatch", check("DeathmatchCheck"), {.Deathmatch = true}, 1},
      {"coop", check("CoopCheck"), {.Coop = true}, 1},
      {"single player", check("SinglePlayerCheck"), {.SinglePlayer = true}, 1},
      {"type", combo("TypeCombo", 2), {.Type = "mod"}, 1},
      {"installed", combo("InstalledCombo", 2), {.Installed = TTriState::No}, 6},
  };
  for (const auto& c : cases) {
    Control<QPushButton>(dialog, "ClearFiltersBtn").click();
    ASSERT_EQ(dialog.Proxy().rowCount(), 6) << c.What;
    c.Set();
    EXPECT_EQ(bar.Filter(), c.Want) << c.What;
    EXPECT_EQ(dialog.Proxy().rowCount(), c.Rows) << c.What;
    EXPECT_EQ(static_cast<std::size_t>(c.Rows), ModelCount(dialog, c.Want)) << c.What;
  }
  // Together, the list is what the model says of all of them at once.
  spin("RatingSpin", 3)();
  spin("YearFromSpin", 2000)();
  EXPECT_EQ(dialog.Proxy().rowCount(), 2);  // alpha and gamma
}

TEST_F(ContentFilterDlgTest, TabRunsFromTheSearchBoxThroughTheFiltersToTheList) {
  TContentBrowserDlg dialog(Options);
  test::ShowLoaded(dialog);
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  QStringList order;
  for (int i = 0; i < 20 && order.value(order.size() - 1) != "PackageTable"; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    order << QApplication::focusWidget()->objectName();
  }
  EXPECT_EQ(order.join(' '),
            "TypeCombo InstalledCombo LimitsCheck RatingSpin UsersRatingSpin YearFromSpin "
            "YearToSpin MinSizeSpin MaxSizeSpin NeedsModCombo SinglePlayerCheck DeathmatchCheck "
            "CoopCheck PresetCombo SavePresetBtn ClearFiltersBtn PackageTable");
}

TEST_F(ContentFilterDlgTest, APresetComesBackFromItsFileAndAMalformedOneIsKept) {
  {
    TContentBrowserDlg dialog(Options);
    test::ShowLoaded(dialog);
    auto& bar = Control<TContentFilterBar>(dialog, "FilterBar");
    bar.AskName = [](const QString&) { return QStringLiteral("Strong deathmatch"); };
    Control<QSpinBox>(dialog, "RatingSpin").setValue(4);
    Control<QCheckBox>(dialog, "CoopCheck").setChecked(true);
    QTest::keyClicks(&Control<QLineEdit>(dialog, "SearchEdit"), "gamma");
    Control<QPushButton>(dialog, "SavePresetBtn").click();
    EXPECT_TRUE(Control<QLabel>(dialog, "StatusLabel").text().contains("saved"));
  }
  const std::string saved = test::ReadFileBytes(Options.FilterPresetsFile);
  EXPECT_NE(saved.find("[Strong deathmatch]"), std::string::npos) << saved;
  EXPECT_NE(saved.find("text=\n"), std::string::npos) << saved;  // the search is not kept
  {
    TContentBrowserDlg dialog(Options);
    test::ShowLoaded(dialog);
    auto& presets = Control<QComboBox>(dialog, "PresetCombo");
    ASSERT_EQ(presets.count(), 2);
    presets.setFocus();
    QTest::keyClick(&presets, Qt::Key_Down);  // chooses it, as a user would
    EXPECT_EQ(Control<QSpinBox>(dialog, "RatingSpin").value(), 4);
    EXPECT_TRUE(Control<QCheckBox>(dialog, "CoopCheck").isChecked());
    EXPECT_EQ(dialog.Proxy().rowCount(), 0);  // no coop package is rated
    Control<QPushButton>(dialog, "DeletePresetBtn").click();
    EXPECT_EQ(presets.count(), 1);
  }
  EXPECT_EQ(test::ReadFileBytes(Options.FilterPresetsFile), "");

  const std::string malformed = "[mine]\nrating=4\nrating=lots\n";
  std::ofstream(Options.FilterPresetsFile, std::ios::trunc) << malformed;
  {
    TContentBrowserDlg dialog(Options);
    test::ShowLoaded(dialog);
    EXPECT_TRUE(Control<QLabel>(dialog, "StatusLabel").text().contains("line 3 not read"))
        << Control<QLabel>(dialog, "StatusLabel").text().toStdString();
    Control<QSpinBox>(dialog, "RatingSpin").setValue(2);
  }
  EXPECT_EQ(test::ReadFileBytes(Options.FilterPresetsFile),
            malformed);  // not written without a save
}

// Add-ons whose screenshots lie beside their list on the loopback server.
class ContentScreenshotTest : public ::testing::Test {
 protected:
  ContentScreenshotTest() {
    Options.Downloader = &Downloader;
    Options.CacheFolder = Dir / "cache";
    Options.FilterPresetsFile = Dir / "content-filters.txt";
    Options.Sources = {
        {"addons", Server.Url("/addons/content.json"), TCatalogueFormat::AddonList, true}};
  }

  // An add-on per id, whose screenshot "shots/<id>.png" answers `body` as its route says.
  void Serve(const std::vector<std::pair<std::string, test::THttpRoute>>& shots) {
    std::string list;
    for (const auto& [id, route] : shots) {
      list += std::string(list.empty() ? "" : ",") + "{\"id\": \"" + id + "\", \"name\": \"" + id +
              "\", \"gamedir\": \"" + id +
              "\", \"download\": \"dl/x.pak\", \"screenshots\": [\"shots/" + id + ".png\"]}";
      Server.Route("/addons/shots/" + id + ".png", route);
    }
    Server.Route("/addons/content.json", {.Body = "{\"addons\": [" + list + "]}"});
  }

  // The dialog, active, with the add-on `id` chosen.
  std::unique_ptr<TContentBrowserDlg> Open(std::size_t rows) {
    auto dialog = std::make_unique<TContentBrowserDlg>(Options);
    dialog->show();
    dialog->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return dialog->Proxy().rowCount() == static_cast<int>(rows); }, 5000));
    return dialog;
  }

  static void Choose(TContentBrowserDlg& dialog, const std::string& id) {
    auto& search = Control<QLineEdit>(dialog, "SearchEdit");
    search.clear();
    QTest::keyClicks(&search, QString::fromStdString(id));
    ASSERT_EQ(dialog.Proxy().rowCount(), 1) << id;
  }

  static bool Shown(TContentBrowserDlg& dialog) {
    const auto& image = Control<QLabel>(dialog, "ScreenshotImage");
    return !image.pixmap().isNull() && image.isVisible();
  }

  static std::string Png() {
    QImage picture(48, 32, QImage::Format_RGB32);
    picture.fill(Qt::darkRed);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return png.toStdString();
  }

  std::filesystem::path Cached(const std::string& id) const {
    return Dir / "cache/screenshots" / (id + ".image");
  }

  test::TTempDir Dir;
  test::THttpTestServer Server;
  TQtDownloader Downloader{Dir / "downloads"};
  TContentBrowserOptions Options;
};

TEST_F(ContentScreenshotTest, ComesOnceFromTheServerThenFromTheCacheAndHostileOnesAreRefused) {
  const std::string magic("\x89PNG\r\n\x1A\n", 8);
  const struct {
    std::string Id;
    std::string Body;
    const char* Refusal;  // nullptr: shown
  } cases[] = {
      {"good", Png(), nullptr},
      {"huge", magic + std::string(5u << 20, '\0'), "more than"},
      {"page", "<html><body>not found</body></html>", "not send a JPEG or PNG"},
      {"broken", magic + std::string(100, 'x'), "No screenshot"},
  };
  std::vector<std::pair<std::string, test::THttpRoute>> shots;
  for (const auto& c : cases)
    shots.push_back({c.Id, {.Body = c.Body, .ContentType = "image/png"}});
  Serve(shots);
  for (int round = 0; round < 2; ++round) {
    const auto dialog = Open(std::size(cases));
    for (const auto& c : cases) {
      Choose(*dialog, c.Id);
      if (round == 1 && !c.Refusal) {
        EXPECT_TRUE(Shown(*dialog)) << "the cached one is shown without a click";
        continue;
      }
      EXPECT_FALSE(Shown(*dialog)) << c.Id;
      ASSERT_TRUE(Control<QPushButton>(*dialog, "ScreenshotBtn").isEnabled()) << c.Id;
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::AltModifier);
      auto& text = Control<QLabel>(*dialog, "ScreenshotText");
      ASSERT_TRUE(QTest::qWaitFor(
          [&] { return Shown(*dialog) || text.text().startsWith("No screenshot"); }, 5000))
          << c.Id;
      EXPECT_EQ(Shown(*dialog), !c.Refusal) << c.Id << ": " << text.text().toStdString();
      EXPECT_EQ(std::filesystem::exists(Cached(c.Id)), !c.Refusal) << c.Id;
      if (c.Refusal) {
        EXPECT_TRUE(text.text().contains(c.Refusal)) << c.Id << ": " << text.text().toStdString();
      }
    }
  }
  EXPECT_EQ(Server.Requests("/addons/shots/good.png").size(), 1u);
  EXPECT_EQ(Server.Requests("/addons/content.json").size(), 1u);
  std::vector<std::string> kept;  // nothing of a refused answer is left behind
  for (const auto& entry : std::filesystem::directory_iterator(Dir / "cache/screenshots"))
    kept.push_back(entry.path().filename().string());
  EXPECT_EQ(kept, std::vector<std::string>{"good.image"});
}

// A download still under way when the dialog closes is stopped, not finished into the cache.
TEST_F(ContentScreenshotTest, ClosingTheDialogStopsTheDownload) {
  Serve({{"slow",
          {.Body = Png() + std::string(4096, '\0'),
           .Delay = std::chrono::milliseconds(150),
           .ChunkSize = 1024}}});
  {
    const auto dialog = Open(1);
    Choose(*dialog, "slow");
    Control<QPushButton>(*dialog, "ScreenshotBtn").click();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !Server.Requests("/addons/shots/slow.png").empty(); }, 5000));
  }
  QTest::qWait(1200);  // longer than the whole answer takes
  EXPECT_FALSE(std::filesystem::exists(Cached("slow")));
  EXPECT_FALSE(std::filesystem::exists(Cached("slow").string() + ".new"));
}

}  // namespace
}  // namespace fx
