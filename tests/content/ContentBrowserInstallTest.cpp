// The "Maps and Mods" dialog's install, uninstall and Play from the loopback server: the
// work runs off the GUI thread (the window answers meanwhile), dependencies go first, a
// Cancel leaves the game folder as it was, an uninstall offers what only it needed, and Play
// on a package not installed installs it first.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <condition_variable>
#include <fstream>
#include <mutex>
#include <random>
#include <set>
#include <thread>

#include "content/CatalogueBuilder.h"
#include "content/ContentBrowserDlg.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/FindControl.h"
#include "fixtures/ForwardingFiles.h"
#include "fixtures/HttpTestServer.h"
#include "fixtures/PakBuilder.h"
#include "fixtures/TempDir.h"
#include "fixtures/ZipBuilder.h"
#include "installer/QtDownloader.h"

namespace fx {
namespace {

using test::Control;

// The real file system of the game folder, where the n-th file created waits until the test
// opens the gate: the install is then held mid-unpacking, as a large one would be.
class TGatedFiles final : public test::TForwardingFiles {
 public:
  struct TGate {
    int HoldAt = 0;  // 0: never
    std::mutex Mutex;
    std::condition_variable Changed;
    bool Reached = false, Open = false;
    int Creates = 0;
  };
  TGatedFiles(std::unique_ptr<TInstallFiles> real, TGate& gate)
      : TForwardingFiles(std::move(real)), Gate_(gate) {}

  std::unique_ptr<TFileSink> Create(std::string_view p) override {
    std::unique_lock lock(Gate_.Mutex);
    if (++Gate_.Creates == Gate_.HoldAt) {
      Gate_.Reached = true;
      Gate_.Changed.notify_all();
      Gate_.Changed.wait(lock, [&] { return Gate_.Open; });
    }
    lock.unlock();
    return TForwardingFiles::Create(p);
  }

 private:
  TGate& Gate_;
};

// Opens the gate when the test ends, early or not, so that the worker can finish.
struct TGateOpener {
  TGatedFiles::TGate& Gate;
  void Open() const {
    {
      const std::lock_guard lock(Gate.Mutex);
      Gate.Open = true;
    }
    Gate.Changed.notify_all();
  }
  ~TGateOpener() { Open(); }
};

// Every file below `folder` with its size: what "as before" compares.
std::set<std::pair<std::string, std::uintmax_t>> Tree(const std::filesystem::path& folder) {
  std::set<std::pair<std::string, std::uintmax_t>> tree;
  for (const auto& item : std::filesystem::recursive_directory_iterator(folder))
    tree.emplace(std::filesystem::relative(item.path(), folder).string(),
                 item.is_regular_file() ? item.file_size() : 0);
  return tree;
}

std::string Noise(std::size_t bytes, unsigned seed) {
  std::mt19937 random(seed);
  std::string data(bytes, '\0');
  for (char& c : data)
    c = static_cast<char>(random());
  return data;
}

// Four packages on the loopback server: "mine" needs "base"; "big" is a mod of eight files;
// "gone" names a URL that answers 404.
class ContentBrowserInstall : public ::testing::Test {
 protected:
  ContentBrowserInstall() {
    std::filesystem::create_directories(Dir / "game/id1/maps");
    std::ofstream(Dir / "game/id1/maps/start.bsp") << "the user's own start map";
    const auto entry = [](std::string name, std::string data) {
      return test::TZipTestEntry(std::move(name), std::move(data), 0);
    };
    const std::string mapData = "a map made up for the test",
                      baseData = "a base made up for the test";
    const std::string mapZip = test::BuildZip({entry("maps/mine.bsp", mapData)});
    const std::string goneData = "a map no server has";
    const std::string goneZip = test::BuildZip({entry("maps/gone.bsp", goneData)});
    const std::string baseZip = test::BuildZip({entry("base/progs.dat", baseData)});
    std::vector<test::TZipTestEntry> bigEntries;
    std::vector<std::pair<std::string, std::string>> bigFiles;
    for (unsigned i = 0; i < 8; ++i) {
      bigFiles.emplace_back("big/pak" + std::to_string(i) + ".pak", Noise(256 * 1024, i));
      bigEntries.push_back(entry(bigFiles.back().first, bigFiles.back().second));
    }
    const std::string bigZip = test::BuildZip(bigEntries);
    Server.Route("/mine.zip", {.Body = mapZip});
    Server.Route("/base.zip", {.Body = baseZip});
    Server.Route("/big.zip", {.Body = bigZip});
    Server.Route("/gone.zip", {.Status = 404});
    Server.Route(
        "/api?start=0",
        {.Body = test::JsonArray(
             {test::ArchiveRecord("mine", mapZip, {{"maps/mine.bsp", mapData}},
                                  {"dependency=base", "startmap=mine"}, "{base}/base/",
                                  Server.Url("/mine.zip")),
              test::ArchiveRecord("base", baseZip, {{"base/progs.dat", baseData}}, {}, "{base}/",
                                  Server.Url("/base.zip")),
              test::ArchiveRecord("big", bigZip, bigFiles, {}, "{base}/", Server.Url("/big.zip")),
              test::ArchiveRecord("gone", goneZip, {{"maps/gone.bsp", goneData}}, {},
                                  "{base}/gone/", Server.Url("/gone.zip"))})});
    Options.Downloader = &Downloader;
    Options.CacheFolder = Dir / "cache";
    Options.FilterPresetsFile = Dir / "content-filters.txt";
    Options.DownloadFolder = Dir / "downloads";
    Options.PackageFolder = Dir / "packages";
    Options.GameFolder = Dir / "game";
    Options.Sources = {{"api", Server.Url("/api"), TCatalogueFormat::JsonPages, true}};
    Options.Confirm = [this](const std::string& text) {
      Asked.push_back(text);
      return Answer;
    };
    Options.OpenFiles = [this](const std::filesystem::path& folder) {
      return std::make_unique<TGatedFiles>(OpenInstallFiles(folder), Gate);
    };
  }

  // The dialog with its catalogue in and every installed state known.
  std::unique_ptr<TContentBrowserDlg> Open() {
    auto dialog = std::make_unique<TContentBrowserDlg>(Options);
    dialog->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->Proxy().rowCount() == 4; }, 5000))
        << Control<QLabel>(*dialog, "StatusLabel").toolTip().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog->Checking(); }, 5000));
    return dialog;
  }
  static void Choose(TContentBrowserDlg& dialog, const char* words) {
    auto& search = Control<QLineEdit>(dialog, "SearchEdit");
    search.clear();
    QTest::keyClicks(&search, words);
    ASSERT_EQ(dialog.Proxy().rowCount(), 1) << words;
  }
  static void Click(TContentBrowserDlg& dialog, const char* button) {
    Control<QPushButton>(dialog, button).click();
  }
  static bool WaitDone(TContentBrowserDlg& dialog) {
    return QTest::qWaitFor([&] { return !dialog.Installing(); }, 10000);
  }
  static QString State(TContentBrowserDlg& dialog) {
    return dialog.Proxy().index(0, kColInstalled).data().toString();
  }
  static QString Status(TContentBrowserDlg& dialog) {
    return Control<QLabel>(dialog, "StatusLabel").text();
  }

  test::TTempDir Dir;
  test::THttpTestServer Server;
  TQtDownloader Downloader{Dir / "downloads"};
  TGatedFiles::TGate Gate;
  TContentBrowserOptions Options;
  std::vector<std::string> Asked;
  bool Answer = true;
};

TEST_F(ContentBrowserInstall, InstallsThePackageAfterItsDependencyWhileTheWindowAnswers) {
  const auto dialog = Open();
  Choose(*dialog, "mine");
  EXPECT_EQ(State(*dialog), QStringLiteral("not installed"));
  Click(*dialog, "InstallBtn");
  ASSERT_EQ(Asked.size(), 1u);
  EXPECT_LT(Asked[0].find("base ("), Asked[0].find("mine (")) << Asked[0];  // the dependency first
  // The click has returned with the work under way: the buttons wait, Cancel and the bar show.
  EXPECT_TRUE(dialog->Installing());
  EXPECT_FALSE(Control<QPushButton>(*dialog, "InstallBtn").isEnabled());
  EXPECT_FALSE(Control<QPushButton>(*dialog, "PlayBtn").isEnabled());
  EXPECT_TRUE(Control<QPushButton>(*dialog, "CancelBtn").isVisible());
  EXPECT_TRUE(Control<QProgressBar>(*dialog, "InstallProgress").isVisible());
  ASSERT_TRUE(WaitDone(*dialog));
  EXPECT_TRUE(std::filesystem::exists(Dir / "game/base/progs.dat"));
  EXPECT_TRUE(std::filesystem::exists(Dir / "game/base/maps/mine.bsp"));
  EXPECT_EQ(State(*dialog), QStringLiteral("installed"));
  EXPECT_TRUE(Status(*dialog).contains("Installed: base, mine")) << Status(*dialog).toStdString();
  EXPECT_FALSE(Control<QPushButton>(*dialog, "CancelBtn").isVisible());
  EXPECT_TRUE(Control<QPushButton>(*dialog, "UninstallBtn").isEnabled());
  // Opened again, the dialog finds both installed by its worker.
  const auto again = Open();
  Choose(*again, "base");
  EXPECT_EQ(State(*again), QStringLiteral("installed"));
}

// Cancel while a file is being unpacked: of one package (held at its third file of eight),
// and of the second of an order, whose first, the dependency, then goes out again.
TEST_F(ContentBrowserInstall, CancelMidUnpackingLeavesTheGameFolderAsBefore) {
  const struct {
    const char* Words;
    int HoldAt;
    std::vector<const char*> Shown;  // in the status line while it is held
  } cases[] = {
      {"big", 3, {"Installing big (1 of 1): 524.3 kB of 2.1 MB", ", 1 of 8 files"}},
      {"mine", 2, {"Installing mine"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Words);
    const auto before = Tree(Dir / "game");
    Gate.HoldAt = c.HoldAt;
    Gate.Creates = 0;
    Gate.Reached = Gate.Open = false;
    const auto dialog = Open();
    Choose(*dialog, c.Words);
    const TGateOpener opener{Gate};  // after the dialog, so gone before it: the worker ends
    Click(*dialog, "InstallBtn");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          const std::lock_guard lock(Gate.Mutex);
          return Gate.Reached;
        },
        5000));
    // The install is held on its worker; the window goes on handling events meanwhile.
    bool handled = false;
    QTimer::singleShot(0, dialog.get(), [&] { handled = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return handled; }, 1000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          for (const char* text : c.Shown)
            if (!Status(*dialog).contains(QString::fromLatin1(text))) return false;
          return true;
        },
        2000))
        << Status(*dialog).toStdString();
    Click(*dialog, "CancelBtn");
    opener.Open();
    ASSERT_TRUE(WaitDone(*dialog));
    EXPECT_TRUE(Status(*dialog).startsWith("Cancelled")) << Status(*dialog).toStdString();
    EXPECT_EQ(Tree(Dir / "game"), before);
    EXPECT_TRUE(std::filesystem::is_empty(Dir / "packages/journal"));
    EXPECT_FALSE(std::filesystem::exists(Dir / "packages/base.package"));
    EXPECT_EQ(State(*dialog), QStringLiteral("not installed"));
  }
}

TEST_F(ContentBrowserInstall, UninstallOffersTheDependenciesNothingElseNeeds) {
  const struct {
    const char* What;
    std::vector<const char*> Installs;  // what the user installs, in turn
    std::size_t Questions;
    bool BaseRemains;
  } cases[] = {
      {"base came in as mine's dependency", {"mine"}, 2, false},
      {"base was installed by itself first", {"base", "mine"}, 1, true},
      {"base was asked for by itself after", {"mine", "base"}, 1, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    std::filesystem::remove_all(Dir / "packages");
    std::filesystem::remove_all(Dir / "game/base");
    const auto before = Tree(Dir / "game");
    const auto dialog = Open();
    for (const char* words : c.Installs) {
      Choose(*dialog, words);
      Click(*dialog, "InstallBtn");
      ASSERT_TRUE(WaitDone(*dialog));
    }
    ASSERT_TRUE(std::filesystem::exists(Dir / "game/base/maps/mine.bsp"));
    Asked.clear();
    Choose(*dialog, "mine");
    Click(*dialog, "UninstallBtn");
    ASSERT_TRUE(WaitDone(*dialog));
    ASSERT_EQ(Asked.size(), c.Questions);
    EXPECT_NE(Asked[0].find("Uninstall mine?"), std::string::npos) << Asked[0];
    if (c.Questions == 2) {
      EXPECT_NE(Asked[1].find("\n  base"), std::string::npos) << Asked[1];
      EXPECT_EQ(Asked[1].find("big"), std::string::npos) << Asked[1];
    }
    EXPECT_FALSE(std::filesystem::exists(Dir / "game/base/maps/mine.bsp"));
    EXPECT_EQ(std::filesystem::exists(Dir / "game/base/progs.dat"), c.BaseRemains);
    EXPECT_EQ(std::filesystem::exists(Dir / "packages/base.package"), c.BaseRemains);
    EXPECT_EQ(State(*dialog), QStringLiteral("not installed"));
    if (!c.BaseRemains) {
      EXPECT_EQ(Tree(Dir / "game"), before);
    }
  }
}

// A file system that takes 100 ms a question: the state check of the four packages (eleven
// files) would take 1.1 s; closed while the first is checked, the dialog waits for it only.
class TSlowFiles final : public test::TForwardingFiles {
 public:
  using TForwardingFiles::TForwardingFiles;
  TFileKind Kind(std::string_view p) const override {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return TForwardingFiles::Kind(p);
  }
};

TEST_F(ContentBrowserInstall, ClosedMidCheckTheDialogGoesAtOnce) {
  Options.OpenFiles = [](const std::filesystem::path& folder) {
    return std::make_unique<TSlowFiles>(OpenInstallFiles(folder));
  };
  auto dialog = std::make_unique<TContentBrowserDlg>(Options);
  dialog->show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->Proxy().rowCount() == 4; }, 5000));
  ASSERT_TRUE(dialog->Checking());
  EXPECT_EQ(dialog->Proxy().index(0, kColInstalled).data().toString(),
            QStringLiteral("checking..."));
  EXPECT_TRUE(Control<QTextBrowser>(*dialog, "DetailsText").toPlainText().contains("checking..."));
  const auto started = std::chrono::steady_clock::now();
  dialog.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(300));
}

// Play (Enter) on a package that is not installed: the install first, then the accept; a
// "no", a failed download or a Cancel launches nothing.
TEST_F(ContentBrowserInstall, PlayInstallsFirstAndGoesOnOnlyWhenItWentIn) {
  const struct {
    const char* Words;
    bool Answer;
    bool Accepted;
  } cases[] = {
      {"mine", false, false},  // the user said no to the plan
      {"gone", true, false},   // the download failed
      {"mine", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Words) + (c.Answer ? " yes" : " no"));
    Answer = c.Answer;
    Asked.clear();
    const auto dialog = Open();
    Choose(*dialog, c.Words);
    auto& table = Control<QTableView>(*dialog, "PackageTable");
    QTest::keyClick(&Control<QLineEdit>(*dialog, "SearchEdit"), Qt::Key_Down);
    QTest::keyClick(&table, Qt::Key_Return);
    ASSERT_EQ(Asked.size(), 1u);
    ASSERT_TRUE(WaitDone(*dialog));
    EXPECT_EQ(dialog->result() == QDialog::Accepted, c.Accepted);
    EXPECT_EQ(dialog->Chosen().has_value(), c.Accepted);
    if (c.Accepted) {
      EXPECT_EQ(dialog->Chosen()->Package.Id, "mine");
      EXPECT_TRUE(std::filesystem::exists(Dir / "game/base/maps/mine.bsp"));
    }
  }
  // Installed now: Enter plays at once, with no question.
  Asked.clear();
  const auto dialog = Open();
  Choose(*dialog, "mine");
  QTest::keyClick(&Control<QLineEdit>(*dialog, "SearchEdit"), Qt::Key_Return);
  EXPECT_TRUE(Asked.empty());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

// An add-on list names its .pak relative to itself: it is fetched from beside the list and
// goes in as pak0.pak of the add-on's folder, as the engines' add-on menus place it; an
// address that climbs out of the list's folder is not fetched at all.
TEST_F(ContentBrowserInstall, AnAddOnsPakComesFromBesideItsListIntoItsFolder) {
  const std::string pak = test::TPakBuilder().Add("maps/castle.bsp", "an add-on's map").Build();
  Server.Route("/addons/dl/castle.pak", {.Body = pak});
  Server.Route("/addons/content.json", {.Body = R"({"addons": [
      {"id": "castle21", "name": "Castle", "gamedir": "castle", "download": "dl/castle.pak"},
      {"id": "climber", "name": "Climber", "gamedir": "climber", "download": "../x.pak"}]})"});
  Options.Sources = {
      {"addons", Server.Url("/addons/content.json"), TCatalogueFormat::AddonList, true}};
  Options.OpenFiles = {};
  auto dialog = std::make_unique<TContentBrowserDlg>(Options);
  dialog->show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->Proxy().rowCount() == 2; }, 5000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->Checking(); }, 5000));
  Choose(*dialog, "Castle");
  Click(*dialog, "InstallBtn");
  ASSERT_TRUE(WaitDone(*dialog));
  EXPECT_EQ(test::ReadFileBytes(Dir / "game/castle/pak0.pak"), pak);
  EXPECT_EQ(State(*dialog), QStringLiteral("installed"));
  Choose(*dialog, "Climber");
  Click(*dialog, "InstallBtn");
  ASSERT_TRUE(WaitDone(*dialog));
  EXPECT_TRUE(Status(*dialog).startsWith("climber: ")) << Status(*dialog).toStdString();
  EXPECT_FALSE(std::filesystem::exists(Dir / "game/climber"));
  EXPECT_TRUE(Server.Requests("/x.pak").empty());
}

}  // namespace
}  // namespace fx
