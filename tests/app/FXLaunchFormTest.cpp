#include "launcher/FXLaunchForm.h"

#include <QAction>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QTabWidget>
#include <QUrl>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/MemRegistryBackend.h"
#include "platform/Registry.h"
#include "settings/FXSettings.h"
#include "settings/FormPlacementView.h"

namespace fx {
namespace {

using ::testing::ElementsAre;

// The program settings the window reaches through FXSettings() and FXUserSettings(), kept
// in memory.
class FXLaunchFormTest : public ::testing::Test {
 protected:
  FXLaunchFormTest() : FOverride(FRegistry) {}

  template <typename T>
  static T* Child(QWidget& window, const char* name) {
    T* child = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }

  TMemRegistryBackend FRegistry;
  TDefaultRegistryOverride FOverride;
  TProgramSettings FSettings;
};

// A drag of a package file is taken, of any other file not.
TEST_F(FXLaunchFormTest, TakesADropOfAPackageFileOnly) {
  TFXLaunchForm window;
  EXPECT_TRUE(window.acceptDrops());
  for (const auto& [file, taken] : {std::pair{"/tmp/czg07.ZIP", true},
                                    {"/tmp/a.pk3", true},
                                    {"/tmp/pak0.pak", true},
                                    {"/tmp/e1m1.bsp", true},
                                    {"/tmp/readme.txt", false}}) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file)});
    QDragEnterEvent event(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    event.setAccepted(false);
    QCoreApplication::sendEvent(&window, &event);
    EXPECT_EQ(event.isAccepted(), taken) << file;
  }
}

QStringList Texts(const QList<QAction*>& actions) {
  QStringList texts;
  for (const QAction* action : actions)
    texts << action->text();
  return texts;
}

TEST_F(FXLaunchFormTest, HasItsCaptionIconMenusAndPages) {
  TFXLaunchForm window;
  EXPECT_EQ(window.windowTitle(), "Fraxinel");
  EXPECT_FALSE(window.windowIcon().isNull());
  EXPECT_GE(window.width(), 419);  // wider where the texts need it at the test's font
  EXPECT_GE(window.height(), 350);

  EXPECT_EQ(Texts(window.menuBar()->actions()),
            QStringList({"&File", "&Options", "&Tools", "&Help"}));
  EXPECT_EQ(Texts(Child<QMenu>(window, "FileMenu")->actions()),
            QStringList({"&Launch Quake", "&Find Servers...", "&Install Package...",
                         "Installed &Packages...", "&Maps and Mods...", "&Save Configuration...",
                         "Show Last Game &Output", "", "&Game", "", "E&xit"}));
  EXPECT_EQ(Child<QAction>(window, "FileLaunchItem")->shortcut(), QKeySequence(Qt::Key_F9));
  EXPECT_EQ(Child<QAction>(window, "miFindServers")->shortcut(), QKeySequence("Ctrl+F"));
  EXPECT_EQ(Child<QAction>(window, "FileSaveCfgItem")->shortcut(), QKeySequence("Ctrl+S"));
  EXPECT_EQ(Texts(Child<QMenu>(window, "FileGameMenu")->actions()),
            QStringList({"Quake", "Quake 2", "Hexen 2"}));
  EXPECT_TRUE(Child<QAction>(window, "miGameQuake")->isChecked());
  EXPECT_FALSE(Child<QAction>(window, "miGameQuake2")->isEnabled());
  EXPECT_EQ(Texts(Child<QMenu>(window, "OptionsMenu")->actions()),
            QStringList({"&Settings...", "Configure &Executables...", "&Configure Tools..."}));
  EXPECT_FALSE(Child<QAction>(window, "OptionsExecutablesItem")->isVisible());
  // No tools yet: the menu says so.
  EXPECT_EQ(Texts(Child<QMenu>(window, "ToolsMenu")->actions()), QStringList({"(Empty)"}));
  EXPECT_FALSE(Child<QAction>(window, "miToolsEmpty")->isEnabled());

  auto* pages = Child<QTabWidget>(window, "PageControl1");
  ASSERT_EQ(pages->count(), 3);
  EXPECT_EQ(pages->tabText(0), "Game");
  EXPECT_EQ(pages->tabText(1), "General");
  EXPECT_EQ(pages->tabText(2), "Misc");
  EXPECT_EQ(pages->currentIndex(), 0);
}

TEST_F(FXLaunchFormTest, TakesTheStoredPlacementWhenCreatedButKeepsItsWidth) {
  FSettings.User.SaveFormPlacement("FXLaunchForm", TFormPlacement{130, 90, 520, 410, 0});

  TFXLaunchForm window;
  EXPECT_EQ(CaptureFormPlacement(window), (TFormPlacement{130, 90, window.minimumWidth(), 410, 0}));
}

TEST_F(FXLaunchFormTest, StartsCentredInItsDesignedSizeWithoutAStoredPlacement) {
  TFXLaunchForm window;
  EXPECT_EQ(window.size(), QSize(window.minimumWidth(), 480));
  const QRect screen = window.screen()->availableGeometry();
  EXPECT_LE(std::abs(window.geometry().center().x() - screen.center().x()), 1);
  EXPECT_LE(std::abs(window.geometry().center().y() - screen.center().y()), 1);
}

TEST_F(FXLaunchFormTest, ExitClosesTheWindowAndSavesItsPlacement) {
  TFXLaunchForm window;
  window.show();
  const int width = window.minimumWidth();
  window.setGeometry(40, 60, width, 390);

  Child<QAction>(window, "FileExitItem")->trigger();

  EXPECT_FALSE(window.isVisible());
  const auto saved = FSettings.User.LoadFormPlacement("FXLaunchForm");
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(*saved, (TFormPlacement{40, 60, width, 390, 0}));
}

TEST_F(FXLaunchFormTest, TheSettingsItemEditsTheMachineWideSettings) {
  std::vector<TFXSettings*> edited;
  FSettings.Machine.SetEditor([&edited](TFXSettings& settings) { edited.push_back(&settings); });
  TFXLaunchForm window;

  Child<QAction>(window, "OptionsSettingsItem")->trigger();

  EXPECT_THAT(edited, ElementsAre(&FSettings.Machine));
}

}  // namespace
}  // namespace fx
