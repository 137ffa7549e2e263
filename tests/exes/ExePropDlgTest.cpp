#include "exes/ExePropDlg.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <stdexcept>
#include <string>
#include <vector>

#include "fixtures/ModalDialog.h"
#include "fixtures/ScriptedDialogs.h"
#include "ui/FloatEdit.h"

namespace fx {
namespace {

using test::TScriptedDialogs;
using test::WhenModal;

template <typename T>
T& Control(const QWidget& form, const char* name) {
  T* control = form.findChild<T*>(QString::fromLatin1(name));
  if (!control) throw std::logic_error(std::string("no control ") + name);
  return *control;
}

std::string Text(const QString& text) {
  return text.toStdString();
}

TQuakeExe Rendition() {
  TQuakeExe exe("Rendition Verite");
  exe.ExeType = TExeType::Rendition;
  exe.ExeName = "vquake.exe";
  exe.CmdLine = "-nocdaudio";
  exe.MemSize = 24;
  exe.SetMemSize = true;
  exe.AllocMethod = TAllocMethod::LockMemory;
  return exe;
}

class ExePropDlg : public ::testing::Test {
 protected:
  TScriptedDialogs FDialogs;
  TExePropDlg FDlg{nullptr, "/games/quake", FDialogs};

  QComboBox& Type() { return Control<QComboBox>(FDlg, "ExeTypeComboBox"); }
  QCheckBox& SetMem() { return Control<QCheckBox>(FDlg, "cbSetMemSize"); }
  TFloatEdit& MemSize() { return Control<TFloatEdit>(FDlg, "edMemSize"); }
  QGroupBox& Alloc() { return Control<QGroupBox>(FDlg, "rgMemAlloc"); }
  QLineEdit& ExeName() { return Control<QLineEdit>(FDlg, "ExeNameEdit"); }
  std::vector<QRadioButton*> AllocButtons() {
    return {&Control<QRadioButton>(FDlg, "rgMemAllocStandard"),
            &Control<QRadioButton>(FDlg, "rgMemAllocLock"),
            &Control<QRadioButton>(FDlg, "rgMemAllocLockUnlock")};
  }
};

TEST_F(ExePropDlg, FormHoldsThePagesControlsAndTexts) {
  EXPECT_EQ(Text(FDlg.windowTitle()), "Properties");
  auto& pages = Control<QTabWidget>(FDlg, "PageControl1");
  ASSERT_EQ(pages.count(), 2);
  EXPECT_EQ(pages.widget(0)->objectName(), "GeneralTabSheet");
  EXPECT_EQ(Text(pages.tabText(0)), "General");
  EXPECT_EQ(pages.widget(1)->objectName(), "TabSheet1");
  EXPECT_EQ(Text(pages.tabText(1)), "Memory");
  EXPECT_EQ(pages.currentWidget()->objectName(), "GeneralTabSheet");
  EXPECT_EQ(FDlg.focusWidget(), &ExeName());

  auto& name = Control<QLineEdit>(FDlg, "edDisplayName");
  EXPECT_TRUE(name.isReadOnly());
  EXPECT_FALSE(name.hasFrame());
  EXPECT_EQ(name.focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(name.palette().color(QPalette::Base).alpha(), 0);
  EXPECT_EQ(Control<QFrame>(FDlg, "Bevel1").frameShape(), QFrame::HLine);

  std::vector<std::string> types;
  for (int i = 0; i < Type().count(); ++i)
    types.push_back(Text(Type().itemText(i)));
  EXPECT_EQ(types, (std::vector<std::string>{"DOS Quake", "WinQuake", "OpenGL Quake", "Rendition",
                                             "Q95 Batch file"}));
  EXPECT_EQ(Text(Type().toolTip()),
            "The Exe Types determines how the parameters are given to the exe.");
  EXPECT_EQ(Text(Control<QPushButton>(FDlg, "QPathSearchBtn").text()), "&Browse...");
  EXPECT_NO_THROW(Control<QLineEdit>(FDlg, "CmdLineEdit"));

  EXPECT_EQ(Text(SetMem().text()), "Set Memory Size to");
  EXPECT_EQ(MemSize().DisplayFormat(), "0 MB;0 MB");
  EXPECT_EQ(Text(Alloc().title()), "Allocation Method");
  std::vector<std::string> methods;
  for (QRadioButton* button : AllocButtons())
    methods.push_back(Text(button->text()));
  EXPECT_EQ(methods,
            (std::vector<std::string>{"Standard", "Lock memory", "Lock and unlock memory"}));

  auto& ok = Control<QPushButton>(FDlg, "OKBtn");
  EXPECT_EQ(Text(ok.text()), "OK");
  EXPECT_TRUE(ok.isDefault());
  EXPECT_EQ(Text(Control<QPushButton>(FDlg, "CancelBtn").text()), "Cancel");
}

TEST_F(ExePropDlg, DesignTimeValuesBeforeAnyFill) {
  EXPECT_EQ(MemSize().Value(), 8);
  EXPECT_EQ(Text(MemSize().text()), "8 MB");
  EXPECT_TRUE(AllocButtons()[0]->isChecked());
}

TEST_F(ExePropDlg, FillShowsTheEntry) {
  FDlg.SetState(FillExeProps(Rendition()));
  EXPECT_EQ(Text(Control<QLineEdit>(FDlg, "edDisplayName").text()), "Rendition Verite");
  EXPECT_EQ(Type().currentIndex(), 3);
  EXPECT_EQ(Text(ExeName().text()), "vquake.exe");
  EXPECT_EQ(Text(Control<QLineEdit>(FDlg, "CmdLineEdit").text()), "-nocdaudio");
  EXPECT_TRUE(SetMem().isChecked());
  EXPECT_EQ(Text(MemSize().text()), "24 MB");
  EXPECT_TRUE(AllocButtons()[1]->isChecked());
  EXPECT_FALSE(Alloc().isHidden());
  EXPECT_TRUE(MemSize().isEnabled());
  EXPECT_TRUE(Alloc().isEnabled());
}

TEST_F(ExePropDlg, ANewEntryShowsZeroMegabytesAndDisabledMemoryControls) {
  TQuakeExe exe("New");
  exe.ExeName = "quake.exe";
  FDlg.SetState(FillExeProps(exe));
  EXPECT_EQ(Text(MemSize().text()), "0 MB");
  EXPECT_FALSE(SetMem().isChecked());
  EXPECT_FALSE(MemSize().isEnabled());
  EXPECT_FALSE(Alloc().isEnabled());
  for (QRadioButton* button : AllocButtons())
    EXPECT_FALSE(button->isEnabled());
  EXPECT_TRUE(SetMem().isEnabled());
}

TEST_F(ExePropDlg, TheCheckBoxSwitchesTheMemoryControls) {
  FDlg.SetState(FillExeProps(TQuakeExe("New")));
  FDlg.show();
  Control<QTabWidget>(FDlg, "PageControl1").setCurrentIndex(1);
  QTest::mouseClick(&SetMem(), Qt::LeftButton, {}, QPoint(5, SetMem().height() / 2));
  ASSERT_TRUE(SetMem().isChecked());
  EXPECT_TRUE(MemSize().isEnabled());
  for (QRadioButton* button : AllocButtons())
    EXPECT_TRUE(button->isEnabled());
  QTest::mouseClick(&SetMem(), Qt::LeftButton, {}, QPoint(5, SetMem().height() / 2));
  EXPECT_FALSE(MemSize().isEnabled());
  for (QRadioButton* button : AllocButtons())
    EXPECT_FALSE(button->isEnabled());
}

TEST_F(ExePropDlg, TheAllocationGroupShowsForTheWinmemTypesOnly) {
  FDlg.SetState(FillExeProps(Rendition()));
  const std::vector<bool> shown{true, false, false, true, true};
  for (int type = 0; type < 5; ++type) {
    SCOPED_TRACE(type);
    Type().setCurrentIndex(type);
    EXPECT_EQ(!Alloc().isHidden(), shown[type]);
  }
}

TEST_F(ExePropDlg, FillRunsTheTypeChangeEvenWhenTheIndexStaysTheSame) {
  // The type box starts at DOS Quake; a WinQuake entry must hide the group, and a DOS Quake
  // entry filled after it must show it again.
  TQuakeExe win("Win");
  win.ExeType = TExeType::WinQuake;
  FDlg.SetState(FillExeProps(win));
  EXPECT_TRUE(Alloc().isHidden());
  TQuakeExe dos("Dos");
  FDlg.SetState(FillExeProps(dos));
  EXPECT_FALSE(Alloc().isHidden());
}

TEST_F(ExePropDlg, UnknownTypeAndMethodSelectNothingAndComeBackAsMinusOne) {
  TQuakeExe exe = Rendition();
  exe.ExeType = static_cast<TExeType>(8);
  exe.AllocMethod = static_cast<TAllocMethod>(5);
  FDlg.SetState(FillExeProps(exe));
  EXPECT_EQ(Type().currentIndex(), -1);
  for (QRadioButton* button : AllocButtons())
    EXPECT_FALSE(button->isChecked());
  const TExePropState state = FDlg.State();
  EXPECT_EQ(state.TypeIndex, -1);
  EXPECT_EQ(state.AllocIndex, -1);
}

TEST_F(ExePropDlg, BrowseKeepsTheFullPathOfAnEngineOutsideTheGameFolder) {
  FDialogs.ChooserAnswers = {std::string("/opt/engines/tyrquake"), std::nullopt};
  QTest::mouseClick(&Control<QPushButton>(FDlg, "QPathSearchBtn"), Qt::LeftButton);
  EXPECT_EQ(Text(ExeName().text()), "/opt/engines/tyrquake");
  ASSERT_EQ(FDialogs.ChooserCalls.size(), 1u);
  EXPECT_EQ(FDialogs.ChooserCalls[0].Kind, "open");
  EXPECT_EQ(FDialogs.ChooserCalls[0].Filter, "All Files|*|Executables|*.exe;*.bat");
  EXPECT_EQ(FDialogs.ChooserCalls[0].Start, "/games/quake");

  // Cancelling keeps what was there.
  QTest::mouseClick(&Control<QPushButton>(FDlg, "QPathSearchBtn"), Qt::LeftButton);
  EXPECT_EQ(Text(ExeName().text()), "/opt/engines/tyrquake");
}

TEST_F(ExePropDlg, StateReadsEveryControl) {
  FDlg.SetState(FillExeProps(TQuakeExe("Any")));
  Type().setCurrentIndex(2);
  ExeName().setText("glquake.exe");
  Control<QLineEdit>(FDlg, "CmdLineEdit").setText("-width 800");
  SetMem().setChecked(true);
  MemSize().SetValue(20.5L);
  AllocButtons()[2]->setChecked(true);
  const TExePropState state = FDlg.State();
  EXPECT_EQ(state.DisplayName, "Any");
  EXPECT_EQ(state.TypeIndex, 2);
  EXPECT_EQ(state.ExeName, "glquake.exe");
  EXPECT_EQ(state.CmdLine, "-width 800");
  EXPECT_TRUE(state.SetMemSize);
  EXPECT_EQ(state.MemSize, 20.5L);
  EXPECT_EQ(state.AllocIndex, 2);
}

int OpenPropertyDialogs() {
  int count = 0;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (qobject_cast<TExePropDlg*>(widget)) ++count;
  return count;
}

TEST(EditProperties, OkStoresTheDialogsValuesIntoTheEntry) {
  TScriptedDialogs dialogs;
  TQuakeExe exe = Rendition();
  WhenModal<TExePropDlg>([](TExePropDlg& dlg) {
    EXPECT_EQ(Text(Control<QLineEdit>(dlg, "ExeNameEdit").text()), "vquake.exe");
    Control<QComboBox>(dlg, "ExeTypeComboBox").setCurrentIndex(1);
    Control<QLineEdit>(dlg, "ExeNameEdit").setText("winquake.exe");
    Control<QLineEdit>(dlg, "CmdLineEdit").setText("");
    Control<TFloatEdit>(dlg, "edMemSize").SetValue(12.5L);
    // Hidden for WinQuake, and still stored.
    Control<QRadioButton>(dlg, "rgMemAllocLockUnlock").setChecked(true);
    QTest::mouseClick(&Control<QPushButton>(dlg, "OKBtn"), Qt::LeftButton);
  });
  EXPECT_TRUE(EditProperties(exe, "/games/quake", nullptr, dialogs));
  EXPECT_EQ(exe.Name(), "Rendition Verite");
  EXPECT_EQ(exe.ExeType, TExeType::WinQuake);
  EXPECT_EQ(exe.ExeName, "winquake.exe");
  EXPECT_EQ(exe.CmdLine, "");
  EXPECT_TRUE(exe.SetMemSize);
  EXPECT_EQ(exe.MemSize, 12);
  EXPECT_EQ(exe.AllocMethod, TAllocMethod::LockAndUnlockMemory);
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(OpenPropertyDialogs(), 0);
}

TEST(EditProperties, ReturnInTheMemoryEditTakesTheTypedNumber) {
  TScriptedDialogs dialogs;
  TQuakeExe exe = Rendition();
  WhenModal<TExePropDlg>([](TExePropDlg& dlg) {
    auto& edit = Control<TFloatEdit>(dlg, "edMemSize");
    Control<QTabWidget>(dlg, "PageControl1").setCurrentIndex(1);
    edit.setFocus();
    edit.selectAll();
    QTest::keyClicks(&edit, "48");
    QTest::keyClick(&edit, Qt::Key_Return);
  });
  EXPECT_TRUE(EditProperties(exe, "/games/quake", nullptr, dialogs));
  EXPECT_EQ(exe.MemSize, 48);
  EXPECT_EQ(dialogs.Beeps, 0);
}

TEST(EditProperties, WrapperAndEnvironmentAreStoredAndABadLineKeepsTheDialogOpen) {
  TScriptedDialogs dialogs;
  dialogs.MessageAnswers = {TMsgResult::Ok};
  TQuakeExe exe = Rendition();
  exe.Environment = {"OLD=1"};
  WhenModal<TExePropDlg>([&dialogs](TExePropDlg& dlg) {
    auto& memo = Control<QPlainTextEdit>(dlg, "EnvironmentMemo");
    EXPECT_EQ(Text(memo.toPlainText()), "OLD=1");
    auto& startsEngine = Control<QCheckBox>(dlg, "cbWrapperStartsEngine");
    EXPECT_FALSE(startsEngine.isEnabled()) << "no wrapper yet";
    Control<QLineEdit>(dlg, "edRunThrough").setText("prime-run");
    EXPECT_TRUE(startsEngine.isEnabled());
    startsEngine.setChecked(true);
    memo.setPlainText("MANGOHUD=1\nno equals sign");
    QTest::mouseClick(&Control<QPushButton>(dlg, "OKBtn"), Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_NE(dialogs.Messages[0].Text.find("\"no equals sign\" is no variable"),
              std::string::npos);
    memo.setPlainText("MANGOHUD=1\n\nDXVK_HUD=fps\n");
    QTest::mouseClick(&Control<QPushButton>(dlg, "OKBtn"), Qt::LeftButton);
  });
  EXPECT_TRUE(EditProperties(exe, "/games/quake", nullptr, dialogs));
  EXPECT_EQ(exe.RunThrough, "prime-run");
  EXPECT_TRUE(exe.WrapperStartsEngine);
  EXPECT_EQ(exe.Environment, (std::vector<std::string>{"MANGOHUD=1", "DXVK_HUD=fps"}));
}

TEST(EditProperties, CancelLeavesTheEntryUnchanged) {
  TScriptedDialogs dialogs;
  TQuakeExe exe = Rendition();
  WhenModal<TExePropDlg>([](TExePropDlg& dlg) {
    Control<QComboBox>(dlg, "ExeTypeComboBox").setCurrentIndex(0);
    Control<QLineEdit>(dlg, "ExeNameEdit").setText("changed.exe");
    Control<QCheckBox>(dlg, "cbSetMemSize").setChecked(false);
    QTest::mouseClick(&Control<QPushButton>(dlg, "CancelBtn"), Qt::LeftButton);
  });
  EXPECT_FALSE(EditProperties(exe, "/games/quake", nullptr, dialogs));
  EXPECT_EQ(exe.ExeType, TExeType::Rendition);
  EXPECT_EQ(exe.ExeName, "vquake.exe");
  EXPECT_TRUE(exe.SetMemSize);
  EXPECT_EQ(exe.MemSize, 24);
  EXPECT_EQ(exe.AllocMethod, TAllocMethod::LockMemory);
  EXPECT_EQ(OpenPropertyDialogs(), 0);
}

}  // namespace
}  // namespace fx
