// Installing from the window: the plan dialog's rows and ticks, the install, the
// "Packages" dialog's list, Verify and Uninstall, on a real game folder in a scratch folder.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include <fstream>
#include <sstream>

#include "fixtures/HttpTestServer.h"
#include "fixtures/ModalDialog.h"
#include "fixtures/ScriptedDialogs.h"
#include "fixtures/TempDir.h"
#include "fixtures/ZipBuilder.h"
#include "installer/InstallPlanDlg.h"
#include "installer/PackageInstallDlg.h"
#include "installer/PackagesDlg.h"
#include "installer/QtDownloader.h"

namespace fx {
namespace {

// The plan is read off the GUI thread before its dialog opens: many turns of the loop.
constexpr int kTries = 1'000'000;

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void Write(const std::filesystem::path& file, const std::string& bytes) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

std::vector<QStringList> Rows(const QTreeWidget& tree) {
  std::vector<QStringList> rows;
  for (int i = 0; i < tree.topLevelItemCount(); ++i) {
    QStringList texts;
    for (int c = 0; c < tree.columnCount(); ++c)
      texts << tree.topLevelItem(i)->text(c);
    rows.push_back(texts);
  }
  return rows;
}

TEST(PackageWindow, InstallsWhatThePlanShowsAndUninstallLeavesTheFolderAsItWas) {
  test::TTempDir dir;
  const auto game = dir / "quake";
  Write(game / "id1/maps/old.bsp", "the user's own map");
  Write(game / "mymod/progs.dat", "progs");
  Write(dir / "pack.zip", test::BuildZip({{"maps/new.bsp", test::SampleBytes(5000, 1)},
                                          {"maps/old.bsp", "the package's map"}}));
  TPackageStore store(dir / "packages");
  test::TScriptedDialogs dialogs;
  dialogs.MessageAnswers = {TMsgResult::Ok};

  bool shown = false;
  test::WhenModal<TInstallPlanDlg>(
      [&](TInstallPlanDlg& plan) {
        shown = true;
        auto* files = plan.findChild<QTreeWidget*>("lvFiles");
        ASSERT_TRUE(files);
        const auto rows = Rows(*files);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0][0], "id1/maps/new.bsp");
        EXPECT_EQ(rows[0][1], "5.0 kB");
        EXPECT_EQ(rows[0][2], "");
        EXPECT_EQ(rows[1][0], "id1/maps/old.bsp");
        EXPECT_EQ(rows[1][2], "a file already there");
        EXPECT_EQ(files->topLevelItem(1)->checkState(2), Qt::Unchecked);
        // The layout leaves the folder to the user: id1 first, then the others.
        auto* into = plan.findChild<QComboBox*>("cbInto");
        ASSERT_TRUE(into && !into->isHidden());
        EXPECT_EQ(into->itemText(0), "id1");
        EXPECT_EQ(into->itemText(1), "mymod");
        EXPECT_TRUE(
            plan.findChild<QLabel*>("lblSummary")->text().startsWith("game tree into id1: "));
        files->topLevelItem(1)->setCheckState(2, Qt::Checked);
        plan.findChild<QDialogButtonBox*>("Buttons")->button(QDialogButtonBox::Ok)->click();
      },
      kTries);
  TInstallRequest request;
  request.Archive = (dir / "pack.zip").string();
  request.GameFolder = game.string();
  const auto manifest = InstallPackageInWindow({nullptr, dialogs, store, {}}, request);
  ASSERT_TRUE(shown);
  ASSERT_TRUE(manifest);
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0].Text, "Installed pack: 2 files into id1.");
  EXPECT_EQ(ReadAll(game / "id1/maps/old.bsp"), "the package's map");
  EXPECT_EQ(ReadAll(game / "id1/maps/new.bsp"), test::SampleBytes(5000, 1));

  // The list, a verify of a changed file, and the uninstall that puts the old map back.
  Write(game / "id1/maps/new.bsp", "changed by the user");
  TPackagesDlg packages(store, dialogs);
  packages.Refresh();
  auto* list = packages.findChild<QTreeWidget*>("lvPackages");
  const auto rows = Rows(*list);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0], "pack");
  EXPECT_EQ(rows[0][1], QString::fromStdString(game.string()));
  EXPECT_EQ(rows[0][3], "2");
  EXPECT_EQ(rows[0][5], "id1");
  EXPECT_EQ(rows[0][6], "modified");
  dialogs.MessageAnswers = {TMsgResult::Ok, TMsgResult::Yes, TMsgResult::Ok};
  packages.findChild<QPushButton*>("VerifyBtn")->click();
  EXPECT_EQ(dialogs.Messages.back().Text,
            "pack: modified, 1 of 2 files as installed.\nModified:\n  id1/maps/new.bsp");
  packages.findChild<QPushButton*>("UninstallBtn")->click();
  EXPECT_EQ(dialogs.Messages.back().Text,
            "Uninstalled pack: 1 file removed, 1 replaced file put back.\nKept, since they "
            "were changed:\n  id1/maps/new.bsp");
  EXPECT_EQ(ReadAll(game / "id1/maps/old.bsp"), "the user's own map");
  EXPECT_EQ(list->topLevelItemCount(), 0);
  EXPECT_TRUE(store.List().empty());
}

TEST(PackageWindow, ARefusedPackageCannotBeConfirmed) {
  test::TTempDir dir;
  std::filesystem::create_directories(dir / "quake/id1");
  Write(dir / "evil.zip", test::BuildZip({{"../outside.txt", "x"}}));
  TPackageStore store(dir / "packages");
  test::TScriptedDialogs dialogs;
  bool shown = false;
  test::WhenModal<TInstallPlanDlg>(
      [&](TInstallPlanDlg& plan) {
        shown = true;
        EXPECT_FALSE(plan.findChild<QDialogButtonBox*>("Buttons")
                         ->button(QDialogButtonBox::Ok)
                         ->isEnabled());
        EXPECT_TRUE(
            plan.findChild<QLabel*>("lblRefusals")->text().contains("entry ../outside.txt: "));
      },
      kTries);
  TInstallRequest request;
  request.Archive = (dir / "evil.zip").string();
  request.GameFolder = (dir / "quake").string();
  EXPECT_FALSE(InstallPackageInWindow({nullptr, dialogs, store, {}}, request));
  EXPECT_TRUE(shown);
  EXPECT_FALSE(std::filesystem::exists(dir / "outside.txt"));
  EXPECT_FALSE(std::filesystem::exists(dir / "quake/outside.txt"));
}

// From a URL: the download (checked against its hash) and then the same plan and install,
// with the URL kept as the package's source; a failed download says why and installs nothing.
TEST(PackageWindow, InstallsFromAUrlAfterTheDownload) {
  test::TTempDir dir;
  std::filesystem::create_directories(dir / "quake/id1");
  const std::string zip = test::BuildZip({{"maps/e9m9.bsp", test::SampleBytes(3000, 2)}});
  test::THttpTestServer server;
  server.Route("/e9m9.zip", {.Body = zip});
  TPackageStore store(dir / "packages");
  TQtDownloader downloader(dir / "cache");
  test::TScriptedDialogs dialogs;
  dialogs.MessageAnswers = {TMsgResult::Ok, TMsgResult::Ok};
  test::WhenModal<TInstallPlanDlg>(
      [](TInstallPlanDlg& plan) {
        plan.findChild<QDialogButtonBox*>("Buttons")->button(QDialogButtonBox::Ok)->click();
      },
      kTries);
  TDownloadRequest download;
  download.Urls = {server.Url("/e9m9.zip")};
  download.Hash = {THashKind::Sha256, Sha256Hex(zip)};
  TInstallRequest request;
  request.GameFolder = (dir / "quake").string();
  const auto manifest =
      InstallPackageFromUrl({nullptr, dialogs, store, {}}, downloader, download, request);
  ASSERT_TRUE(manifest) << (dialogs.Messages.empty() ? "" : dialogs.Messages.back().Text);
  EXPECT_EQ(manifest->SourceUrl, server.Url("/e9m9.zip"));
  EXPECT_EQ(ReadAll(dir / "quake/id1/maps/e9m9.bsp"), test::SampleBytes(3000, 2));
  EXPECT_EQ(ReadAll(dir / "cache/e9m9.zip"), zip);

  download.Urls = {server.Url("/missing.zip")};
  EXPECT_FALSE(InstallPackageFromUrl({nullptr, dialogs, store, {}}, downloader, download, request));
  EXPECT_EQ(dialogs.Messages.back().Text, "Cannot download " + server.Url("/missing.zip") + ":\n" +
                                              server.Url("/missing.zip") + ": HTTP 404");
}

}  // namespace
}  // namespace fx
