#include "settings/SetupDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "fixtures/FileBuilder.h"
#include "fixtures/ScriptedDialogs.h"
#include "fixtures/TempDir.h"
#include "platform/MemRegistryBackend.h"
#include "platform/Registry.h"
#include "settings/FirstRun.h"
#include "settings/SetupPlacement.h"
#include "ui/ProgramPictures.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

const std::string kExecutablesKey = "\\Software\\Bolsk\\Fraxinel\\Executables";

// A desktop of its own in a temporary folder: home, desktop, start menu and icons.
class SetupDlgTest : public ::testing::Test {
 protected:
  SetupDlgTest()
      : FFolders([this](std::string_view name) -> std::optional<std::string> {
          if (name == "HOME") return (FTemp / "home").string();
          return std::nullopt;
        }),
        FRegistryOverride(FRegistry) {}

  fs::path Home() const { return FTemp / "home"; }
  fs::path DesktopFile() const { return Home() / "Desktop" / "Fraxinel.desktop"; }
  fs::path MenuFile() const {
    return Home() / ".local" / "share" / "applications" / "io.github.fraxinel.Fraxinel.desktop";
  }
  fs::path IconFile() const {
    return Home() / ".local/share/icons/hicolor/64x64/apps/io.github.fraxinel.Fraxinel.png";
  }
  // A game folder the way the Linux engines want it.
  std::string MakeGameFolder() const {
    const fs::path game = FTemp / "games" / "quake";
    test::WriteFileBytes(game / "id1" / "pak0.pak", "PACK");
    return game.string();
  }

  template <typename T>
  T* Child(TSetupDlg& dialog, const char* name) {
    T* child = dialog.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }

  std::vector<std::string> Executables() {
    TRegistry registry(FRegistry);
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKey(kExecutablesKey, false)) return {};
    return registry.GetKeyNames();
  }

  test::TTempDir FTemp;
  TXdgFolders FFolders;
  TMemRegistryBackend FRegistry;
  TDefaultRegistryOverride FRegistryOverride;
  test::TScriptedDialogs FDialogs;
  TFXSettings FSettings;
};

TEST_F(SetupDlgTest, ShowsItsTextsAndInitialChoices) {
  TSetupDlg dialog(FSettings, FDialogs, FFolders);
  EXPECT_EQ(dialog.windowTitle(), "Setup");

  QStringList texts;
  for (const QLabel* label : dialog.findChildren<QLabel*>())
    texts << label->text();
  EXPECT_TRUE(
      texts.contains("Thank you for choosing Fraxinel. This Quick Setup will prepare "
                     "Fraxinel for regular use."));
  EXPECT_TRUE(texts.contains("Please Choose one of the Options you want to configure."));
  EXPECT_TRUE(texts.contains("Choose the directory Quake is located in."));

  auto* desktop = Child<QCheckBox>(dialog, "cbDesktopShortCut");
  EXPECT_EQ(desktop->text(), "Create Fraxinel Shortcut on the Desktop");
  EXPECT_TRUE(desktop->isChecked());
  auto* menu = Child<QCheckBox>(dialog, "cbStartmenuShortCut");
  EXPECT_EQ(menu->text(), "Create Fraxinel Shortcut in your Startmenu");
  EXPECT_FALSE(menu->isChecked());

  EXPECT_EQ(Child<QPushButton>(dialog, "BrowseBtn")->text(), "Browse...");
  auto* ok = Child<QPushButton>(dialog, "OKBtn");
  EXPECT_EQ(ok->text(), "OK");
  EXPECT_TRUE(ok->isDefault());
  EXPECT_EQ(Child<QPushButton>(dialog, "CancelBtn")->text(), "Cancel");

  int separators = 0;
  for (const QFrame* frame : dialog.findChildren<QFrame*>())
    if (frame->frameShape() == QFrame::HLine) ++separators;
  EXPECT_EQ(separators, 2);
}

TEST_F(SetupDlgTest, ProposesTheFirstGameFolderThatExists) {
  {
    // The bare /usr/share/games/quake that engine packages create holds no game data and
    // is not proposed.
    TSetupDlg dialog(FSettings, FDialogs, FFolders);
    EXPECT_EQ(Child<QLineEdit>(dialog, "QPathEdit")->text().toStdString(),
              (Home() / "quake").string());
  }
  fs::create_directories(Home() / ".quakespasm");
  TSetupDlg dialog(FSettings, FDialogs, FFolders);
  EXPECT_EQ(Child<QLineEdit>(dialog, "QPathEdit")->text().toStdString(),
            (Home() / ".quakespasm").string());
}

TEST_F(SetupDlgTest, BrowseAsksFromTheRootAndTakesTheChosenFolder) {
  TSetupDlg dialog(FSettings, FDialogs, FFolders);
  auto* edit = Child<QLineEdit>(dialog, "QPathEdit");
  auto* browse = Child<QPushButton>(dialog, "BrowseBtn");

  FDialogs.ChooserAnswers = {std::string("/srv/games/quake"), std::nullopt};
  browse->click();
  EXPECT_EQ(edit->text(), "/srv/games/quake");
  ASSERT_EQ(FDialogs.ChooserCalls.size(), 1u);
  EXPECT_EQ(FDialogs.ChooserCalls[0].Kind, "folder");
  EXPECT_EQ(FDialogs.ChooserCalls[0].Title, "Locate your Quake path");
  EXPECT_EQ(FDialogs.ChooserCalls[0].Start, "/");

  browse->click();  // cancelled
  EXPECT_EQ(edit->text(), "/srv/games/quake");
}

TEST_F(SetupDlgTest, OkWithTheGameStoresTheSetupPlacesTheShortcutAndTheIcon) {
  TSetupDlg dialog(FSettings, FDialogs, FFolders);
  const std::string game = MakeGameFolder();
  Child<QLineEdit>(dialog, "QPathEdit")->setText(QString::fromStdString(game));

  Child<QPushButton>(dialog, "OKBtn")->click();

  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_THAT(FDialogs.Messages, IsEmpty());
  EXPECT_EQ(FSettings.Version(), 1);
  EXPECT_EQ(FSettings.QPath(), game);
  EXPECT_EQ(FSettings.PatchPath(), game);
  EXPECT_THAT(Executables(), UnorderedElementsAre("DOS Quake", "WinQuake", "OpenGL Quake",
                                                  "Rendition", "Quake (Win95 TCP/IP)"));
  TRegistry registry(FRegistry);
  registry.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(registry.OpenKey(kExecutablesKey + "\\OpenGL Quake", false));
  EXPECT_EQ(registry.ReadString("ExeName"), "glquake.exe");
  EXPECT_EQ(registry.ReadInteger("ExeType"), 2);

  ASSERT_TRUE(fs::exists(DesktopFile()));
  const std::string entry = test::ReadFileBytes(DesktopFile());
  EXPECT_THAT(entry, ::testing::HasSubstr("\nIcon=io.github.fraxinel.Fraxinel\n"));
  EXPECT_THAT(entry, ::testing::HasSubstr(QCoreApplication::applicationFilePath().toStdString()));
  EXPECT_FALSE(fs::exists(MenuFile()));

  QFile icon(kProgramIconPicture);
  ASSERT_TRUE(icon.open(QIODevice::ReadOnly));
  EXPECT_EQ(test::ReadFileBytes(IconFile()), icon.readAll().toStdString());
}

TEST_F(SetupDlgTest, ProposesTheFirstFolderWithTheGameAndEntersTheEnginesFound) {
  test::WriteFileBytes(Home() / "quake" / "ID1" / "PAK0.PAK", "PACK");
  test::WriteFileBytes(Home() / ".quakespasm" / "id1" / "pak0.pak", "PACK");
  test::WriteFileBytes(Home() / ".local/share/Steam/steamapps/libraryfolders.vdf",
                       "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\"" +
                           (FTemp / "steam").string() + "\"\n\t}\n}\n");
  const fs::path steamGame = FTemp / "steam" / "steamapps" / "common" / "Quake";
  test::WriteFileBytes(steamGame / "Id1" / "PAK0.PAK", "PACK");
  TSetupDlg dialog(FSettings, FDialogs, FFolders);
  dialog.SetEngineFinder([] {
    return std::vector<TFoundEngine>{{"QuakeSpasm", "/usr/games/quakespasm"},
                                     {"WinQuake", "/usr/games/winquake"}};  // a taken name
  });
  auto* box = Child<QComboBox>(dialog, "QPathBox");
  EXPECT_EQ(Child<QLineEdit>(dialog, "QPathEdit")->text().toStdString(),
            (Home() / "quake").string());
  ASSERT_EQ(box->count(), 3);
  EXPECT_EQ(box->itemText(1).toStdString(), (Home() / ".quakespasm").string());
  EXPECT_EQ(box->itemText(2).toStdString(), steamGame.string());

  box->setCurrentIndex(2);
  Child<QPushButton>(dialog, "OKBtn")->click();

  EXPECT_EQ(FSettings.QPath(), steamGame.string());
  EXPECT_THAT(Executables(),
              UnorderedElementsAre("DOS Quake", "WinQuake", "OpenGL Quake", "Rendition",
                                   "Quake (Win95 TCP/IP)", "QuakeSpasm"));
  TRegistry registry(FRegistry);
  registry.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(registry.OpenKey(kExecutablesKey + "\\QuakeSpasm", false));
  EXPECT_EQ(registry.ReadString("ExeName"), "/usr/games/quakespasm");
  EXPECT_EQ(registry.ReadInteger("ExeType"), 2);
  EXPECT_EQ(registry.GetValueNames().size(), 3u);
  ASSERT_TRUE(registry.OpenKey(kExecutablesKey + "\\WinQuake", false));
  EXPECT_EQ(registry.ReadString("ExeName"), "winquake.exe") << "an existing name stays as it is";
}

TEST_F(SetupDlgTest, OkWithoutShortcutsPlacesNeitherShortcutNorIcon) {
  TSetupDlg dialog(FSettings, FDialogs, FFolders);
  Child<QLineEdit>(dialog, "QPathEdit")->setText(QString::fromStdString(MakeGameFolder()));
  Child<QCheckBox>(dialog, "cbDesktopShortCut")->setChecked(false);

  Child<QPushButton>(dialog, "OKBtn")->click();

  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(FSettings.Version(), 1);
  EXPECT_FALSE(fs::exists(DesktopFile()));
  EXPECT_FALSE(fs::exists(IconFile()));
}

TEST_F(SetupDlgTest, TheStartMenuShortcutGoesIntoTheApplicationsFolder) {
  TSetupDlg dialog(FSettings, FDialogs, FFolders);
  Child<QLineEdit>(dialog, "QPathEdit")->setText(QString::fromStdString(MakeGameFolder()));
  Child<QCheckBox>(dialog, "cbDesktopShortCut")->setChecked(false);
  Child<QCheckBox>(dialog, "cbStartmenuShortCut")->setChecked(true);

  Child<QPushButton>(dialog, "OKBtn")->click();

  EXPECT_TRUE(fs::exists(MenuFile()));
  EXPECT_FALSE(fs::exists(DesktopFile()));
  EXPECT_TRUE(fs::exists(IconFile()));
}

TEST_F(SetupDlgTest, OkWithoutTheGameAndNoKeepsTheDialogOpenOnTheFolder) {
  TSetupDlg dialog(FSettings, FDialogs, FFolders);
  auto* edit = Child<QLineEdit>(dialog, "QPathEdit");
  edit->setText(QString::fromStdString((FTemp / "empty").string()));
  dialog.show();
  Child<QPushButton>(dialog, "OKBtn")->setFocus();

  FDialogs.MessageAnswers = {TMsgResult::No};
  Child<QPushButton>(dialog, "OKBtn")->click();

  EXPECT_TRUE(dialog.isVisible());
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  // The folder box holds the focus for its edit.
  EXPECT_EQ(dialog.focusWidget(), Child<QComboBox>(dialog, "QPathBox"));
  ASSERT_EQ(FDialogs.Messages.size(), 1u);
  EXPECT_EQ(FDialogs.Messages[0].Text,
            "Quake could not be located in the given Quake Folder.\n\n"
            "Are you sure you want to continue?");
  EXPECT_EQ(FDialogs.Messages[0].Icon, TMsgIcon::Stop);
  EXPECT_EQ(FDialogs.Messages[0].Buttons, TMsgButtons::YesNo);
  EXPECT_EQ(FDialogs.Messages[0].DefaultButton, TMsgResult::No);
  EXPECT_EQ(FSettings.Version(), 0);
  EXPECT_THAT(Executables(), IsEmpty());
  EXPECT_FALSE(fs::exists(DesktopFile()));
  EXPECT_FALSE(fs::exists(IconFile()));
}

TEST_F(SetupDlgTest, OkWithoutTheGameAndYesClosesWithoutStoringAnything) {
  TSetupDlg dialog(FSettings, FDialogs, FFolders);
  Child<QLineEdit>(dialog, "QPathEdit")->setText(QString::fromStdString((FTemp / "x").string()));

  FDialogs.MessageAnswers = {TMsgResult::Yes};
  Child<QPushButton>(dialog, "OKBtn")->click();

  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(FSettings.Version(), 0);
  EXPECT_EQ(FSettings.QPath(), "");
  EXPECT_THAT(Executables(), IsEmpty());
  EXPECT_FALSE(fs::exists(DesktopFile()));
  EXPECT_FALSE(fs::exists(IconFile()));
}

TEST_F(SetupDlgTest, CancelStoresNothing) {
  TSetupDlg dialog(FSettings, FDialogs, FFolders);
  Child<QLineEdit>(dialog, "QPathEdit")->setText(QString::fromStdString(MakeGameFolder()));

  Child<QPushButton>(dialog, "CancelBtn")->click();

  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(FSettings.Version(), 0);
  EXPECT_THAT(Executables(), IsEmpty());
  EXPECT_FALSE(fs::exists(DesktopFile()));
}

TEST_F(SetupDlgTest, StandsBesideAShowingSplashAndGivesItTheArrowBack) {
  QWidget splash(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint);
  splash.setCursor(Qt::WaitCursor);
  splash.setGeometry(200, 150, 420, 315);
  splash.show();

  TSetupDlg dialog(FSettings, FDialogs, FFolders, &splash);

  EXPECT_EQ(splash.cursor().shape(), Qt::ArrowCursor);
  const TWindowRect screen{
      splash.screen()->availableGeometry().x(), splash.screen()->availableGeometry().y(),
      splash.screen()->availableGeometry().width(), splash.screen()->availableGeometry().height()};
  const TWindowRect splashRect{splash.frameGeometry().x(), splash.frameGeometry().y(),
                               splash.frameGeometry().width(), splash.frameGeometry().height()};
  const TWindowPos expected =
      SetupDialogPosition(splashRect, dialog.width(), dialog.height(), screen);
  EXPECT_EQ(dialog.pos(), QPoint(expected.Left, expected.Top));
  // Beside it, not centred: its bottom-right corner lies 80 pixels beyond the splash's.
  EXPECT_EQ(dialog.x() + dialog.width(), 200 + 420 + 80);
  EXPECT_EQ(dialog.y() + dialog.height(), 150 + 315 + 80);

  dialog.show();
  EXPECT_EQ(dialog.pos(), QPoint(expected.Left, expected.Top));
}

TEST_F(SetupDlgTest, AHiddenSplashLeavesTheDialogToBeCentred) {
  QWidget splash(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint);
  splash.setCursor(Qt::WaitCursor);
  splash.setGeometry(200, 150, 420, 315);

  TSetupDlg dialog(FSettings, FDialogs, FFolders, &splash);

  EXPECT_EQ(splash.cursor().shape(), Qt::WaitCursor);
  dialog.show();
  const QRect screen = dialog.screen()->availableGeometry();
  EXPECT_LE(std::abs(dialog.frameGeometry().center().x() - screen.center().x()), 1);
  EXPECT_LE(std::abs(dialog.frameGeometry().center().y() - screen.center().y()), 1);
}

}  // namespace
}  // namespace fx
