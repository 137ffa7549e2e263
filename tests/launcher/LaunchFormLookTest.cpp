// The main window as a user sees it: its hints, its turning icon, its access keys and a
// width that leaves its texts whole.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <memory>

#include "fixtures/BspBuilder.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/FindControl.h"
#include "fixtures/ModalDialog.h"
#include "fixtures/ScriptedDialogs.h"
#include "gamedata/MapBrowseDlg.h"
#include "launcher/FXLaunchForm.h"
#include "settings/FXSettings.h"
#include "tests/settings/RegistrySandbox.h"
#include "ui/ExtendedHint.h"
#include "ui/NewHintWindow.h"

namespace fx {
namespace {

using test::Control;

class LaunchFormLook : public ::testing::Test {
 protected:
  LaunchFormLook() {
    test::WriteFileBytes(Game / "id1" / "pak0.pak", "");
    test::WriteFileBytes(Game / "id1" / "pak1.pak", "");
    FXSettings().SetQPath(Game.string());
    FXUserSettings().SetLastConfig("");
    FXUserSettings().SetAnimateMainWindowIcon(false);
  }

  std::unique_ptr<TFXLaunchForm> Open() {
    TLaunchFormOptions options;
    options.Dialogs = &Dialogs;
    options.PictureLibrary = Sandbox.Temp() / "no-pictures.rcc";
    return std::make_unique<TFXLaunchForm>(nullptr, options);
  }

  static void ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  static void ChooseListenServer(TFXLaunchForm& form) {
    auto& box = Control<QComboBox>(form, "cbQuakeMode");
    box.setCurrentIndex(kPlayListen);
    emit box.activated(kPlayListen);
  }

  test::TRegistrySandbox Sandbox;
  TProgramSettings Settings;
  std::filesystem::path Game = Sandbox.Temp() / "quake";
  test::TScriptedDialogs Dialogs;
};

TEST_F(LaunchFormLook, TheIconTurnsWhileTheWindowItselfIsActive) {
  FXUserSettings().SetAnimateMainWindowIcon(true);
  // The application is active before the window is, as after a splash screen.
  QWidget other;
  ShowActive(other);
  auto form = Open();
  ShowActive(*form);
  EXPECT_TRUE(form->IconAnimating());

  ShowActive(other);
  EXPECT_FALSE(form->IconAnimating());
}

TEST_F(LaunchFormLook, ItsHintsTakeTheFixedWidthAndBreakLinesAtPlus) {
  auto form = Open();
  ShowActive(*form);
  Control<QTabWidget>(*form, "PageControl1").setCurrentIndex(2);
  auto* hints = form->findChild<TExtendedHint*>();
  ASSERT_NE(hints, nullptr);
  const TNewHintWindow& shown = hints->HintWindow();
  const auto rest = [](QWidget& control) {
    const QPoint at = control.mapToGlobal(QPoint(4, 4));
    QHelpEvent help(QEvent::ToolTip, QPoint(4, 4), at);
    QApplication::sendEvent(&control, &help);
  };

  rest(Control<QCheckBox>(*form, "cbIgnoreGeneralCmds"));
  ASSERT_TRUE(shown.isVisible());
  EXPECT_EQ(shown.Text(),
            "Ignore \"General Commands\" in the \"global options\"-tab for this configuration.");
  EXPECT_LE(shown.width(), 160);

  auto& log = Control<QCheckBox>(*form, "cbSaveLog");
  log.setToolTip("Console+log");
  rest(log);
  EXPECT_EQ(shown.Text(), "Console\nlog");
}

// Alt and a menu title's key: the first press opens the menu, the next one goes to the
// control that shares the key, the one after that to the menu again.
TEST_F(LaunchFormLook, AMenuTitlesKeyOpensItsMenuFirstAndThenReachesTheControl) {
  const struct {
    Qt::Key Key;
    const char *Menu, *Control;
  } cases[] = {{Qt::Key_T, "ToolsMenu", "cbTimelimit"}, {Qt::Key_F, "FileMenu", "cbFraglimit"}};
  auto form = Open();
  ChooseListenServer(*form);
  ShowActive(*form);
  Control<QComboBox>(*form, "cbQuakeMode").setFocus();
  // Where the keyboard's keys go: an open menu, else the control with the focus.
  const auto receiver = [] {
    QWidget* popup = QApplication::activePopupWidget();
    return popup != nullptr ? popup : QApplication::focusWidget();
  };
  const auto press = [&](Qt::Key key) {
    QTest::keyPress(receiver(), Qt::Key_Alt);  // pressing Alt closes an open menu
    QTest::keyClick(receiver(), key, Qt::AltModifier);
    QTest::keyRelease(receiver(), Qt::Key_Alt);
  };
  for (const auto& c : cases) {
    auto& menu = Control<QMenu>(*form, c.Menu);
    press(c.Key);
    EXPECT_TRUE(menu.isVisible()) << c.Menu;
    press(c.Key);
    EXPECT_FALSE(menu.isVisible()) << c.Menu;
    EXPECT_EQ(QApplication::focusWidget(), &Control<QWidget>(*form, c.Control));
    press(c.Key);
    EXPECT_TRUE(menu.isVisible()) << c.Menu;
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
  }
}

// What a combo box needs to show its longest entry, as a box of the same font measures it.
int EntriesWidth(const QComboBox& box) {
  QComboBox probe;
  probe.setFont(box.font());
  for (int i = 0; i < box.count(); ++i)
    probe.addItem(box.itemText(i));
  probe.setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return probe.sizeHint().width();
}

TEST_F(LaunchFormLook, TheWidthLeavesEveryTextWholeAtTheUsersFont) {
  for (const double scale : {1.0, 1.5}) {
    auto form = Open();
    QFont font = form->font();
    font.setPointSizeF(font.pointSizeF() * scale);
    form->setFont(font);
    ChooseListenServer(*form);
    form->show();
    QCoreApplication::processEvents();  // the fit follows the font change

    EXPECT_GE(form->width(), 419) << scale;
    EXPECT_EQ(form->minimumWidth(), form->maximumWidth()) << scale;
    for (const char* caption :
         {"PlayModeLabel", "ClientExitLabel", "cbTimelimit", "HostnameLabel"}) {
      const auto& widget = Control<QWidget>(*form, caption);
      EXPECT_GE(widget.width(), widget.sizeHint().width()) << scale << " " << caption;
      EXPECT_EQ(widget.width(), Control<QLabel>(*form, "SkillLabel").width()) << caption;
    }
    for (const char* name : {"MultiPlayModeComboBox", "GameModeComboBox"}) {
      const auto& box = Control<QComboBox>(*form, name);
      EXPECT_GE(box.width(), EntriesWidth(box)) << scale << " " << name;
    }
  }
}

TEST_F(LaunchFormLook, AChosenMapsTitleShowsInTheMapBoxAsTheGameDrawsIt) {
  const std::string title =
      "Red\xA0"
      "Base \x9D\x9E\x9F";
  test::WriteFileBytes(
      Game / "id1" / "maps" / "e1m1.bsp",
      test::TBspBuilder(test::Entity({{"classname", "worldspawn"}, {"message", title}})).Build());
  auto form = Open();
  test::WhenModal<TMapBrowseDlg>([](TMapBrowseDlg& dlg) {
    dlg.WaitForFill();
    auto& list = Control<QTreeWidget>(dlg, "lvMap");
    list.setCurrentItem(list.topLevelItem(0));
    dlg.accept();
  });
  QTest::mouseClick(&Control<QPushButton>(*form, "BrowseMapBtn"), Qt::LeftButton);
  EXPECT_EQ(Control<QComboBox>(*form, "cbMap").currentText(), "E1M1: Red Base ---");
}

}  // namespace
}  // namespace fx
