#include "settings/FXSettingsForm.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "fixtures/FileBuilder.h"
#include "fixtures/ModalDialog.h"
#include "fixtures/ScriptedDialogs.h"
#include "fixtures/TempDir.h"
#include "tests/settings/RegistrySandbox.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using test::TScriptedDialogs;
using test::TTempDir;
using test::WhenModal;
using test::WriteFileBytes;
using ::testing::ElementsAre;

template <typename T>
T& Control(const QWidget& form, const char* name) {
  T* control = form.findChild<T*>(QString::fromLatin1(name));
  if (!control) throw std::logic_error(std::string("no control ") + name);
  return *control;
}

QCheckBox& Box(const QWidget& form, const char* name) {
  return Control<QCheckBox>(form, name);
}
QLineEdit& Edit(const QWidget& form, const char* name) {
  return Control<QLineEdit>(form, name);
}

// A caption as the user reads it: the mnemonic marker is not shown.
std::string Shown(const QString& text) {
  QString shown = text;
  shown.remove(QRegularExpression(QStringLiteral("&(?!&)")));
  return shown.toStdString();
}

// A desktop of its own: HOME and the XDG folders point into a temporary folder, and the
// desktop folder is renamed in user-dirs.dirs so that only a real lookup can find it.
class TFakeDesktop {
 public:
  TFakeDesktop() {
    WriteFileBytes(FHome / ".config" / "user-dirs.dirs",
                   "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
  }
  TXdgFolders Folders() const {
    const std::string home = FHome.string();
    return TXdgFolders([home](std::string_view name) -> std::optional<std::string> {
      if (name == "HOME") return home;
      return std::nullopt;
    });
  }
  std::string Desktop() const { return (FHome / "Schreibtisch").string(); }

 private:
  TTempDir FTemp;
  fs::path FHome = FTemp / "home";
};

TSettingsDialogState EverythingChanged() {
  TSettingsDialogState state;
  state.CloseOnExec = true;
  state.AddParms = {"bind x +attack", "", "echo done"};
  state.ShowCmdLine = true;
  state.DelOnLaunch = true;
  state.DelOnExit = true;
  state.DelInID1Dir = true;
  state.DelInPatchDir = true;
  state.AnimateMainWindowIcon = false;
  state.InGameCmds = false;
  state.QPath = "/games/quake";
  state.PatchPath = "/games/quake/mods";
  return state;
}

void ExpectSameState(const TSettingsDialogState& actual, const TSettingsDialogState& expected) {
  EXPECT_EQ(actual.CloseOnExec, expected.CloseOnExec);
  EXPECT_EQ(actual.AddParms, expected.AddParms);
  EXPECT_EQ(actual.ShowCmdLine, expected.ShowCmdLine);
  EXPECT_EQ(actual.DelOnLaunch, expected.DelOnLaunch);
  EXPECT_EQ(actual.DelOnExit, expected.DelOnExit);
  EXPECT_EQ(actual.DelInID1Dir, expected.DelInID1Dir);
  EXPECT_EQ(actual.DelInPatchDir, expected.DelInPatchDir);
  EXPECT_EQ(actual.AnimateMainWindowIcon, expected.AnimateMainWindowIcon);
  EXPECT_EQ(actual.InGameCmds, expected.InGameCmds);
  EXPECT_EQ(actual.QPath, expected.QPath);
  EXPECT_EQ(actual.PatchPath, expected.PatchPath);
}

class FXSettingsFormTest : public ::testing::Test {
 protected:
  TFakeDesktop FDesktop;
  TScriptedDialogs FDialogs;
  TFXSettingsForm FForm{nullptr, FDialogs, FDesktop.Folders()};
};

// --- what the dialog shows ---------------------------------------------------------------

TEST_F(FXSettingsFormTest, ShowsItsPagesWithGeneralFirst) {
  EXPECT_EQ(FForm.windowTitle().toStdString(), "Settings");
  const auto& pages = Control<QTabWidget>(FForm, "PageControl");
  ASSERT_EQ(pages.count(), 3);
  EXPECT_EQ(Shown(pages.tabText(0)), "General");
  EXPECT_EQ(Shown(pages.tabText(1)), "Commands");
  EXPECT_EQ(Shown(pages.tabText(2)), "Advanced");
  EXPECT_EQ(pages.currentIndex(), 0);
}

TEST_F(FXSettingsFormTest, CaptionsAreTheProgramsOwn) {
  EXPECT_EQ(Shown(Control<QLabel>(FForm, "QPathLabel").text()), "Quake Path:");
  EXPECT_EQ(Shown(Control<QLabel>(FForm, "PatchPathLabel").text()), "Patch Path:");
  EXPECT_EQ(Shown(Control<QPushButton>(FForm, "QPathSearchBtn").text()), "Browse...");
  EXPECT_EQ(Shown(Control<QPushButton>(FForm, "PatchPathSearchBtn").text()), "Browse...");
  EXPECT_EQ(Shown(Box(FForm, "cbCloseOnExec").text()), "Close Fraxinel on executing Quake");
  EXPECT_EQ(Shown(Box(FForm, "cbAnimateMainWindowIcon").text()), "Animate main window icon");
  EXPECT_EQ(Shown(Box(FForm, "cbInGameCmd").text()), "Enable InGame Commands");
  EXPECT_EQ(Shown(Box(FForm, "ShowCmdLineCheckBox").text()),
            "Show command line before launching Quake");
  EXPECT_EQ(Shown(Control<QLabel>(FForm, "AddParmsLabel").text()),
            "General Commands (will be placed in the config file):");
  EXPECT_EQ(Control<QLabel>(FForm, "WarningLabel").text().toStdString(),
            "Warning: Just change the following options, if you are absolutely sure about what "
            "you do !");
  EXPECT_EQ(Shown(Box(FForm, "cbDelInID1Dir").text()), "... in the ID1-directory");
  EXPECT_EQ(Shown(Box(FForm, "cbDelInPatchDir").text()), "... in the patch-directory");
  EXPECT_EQ(Shown(Box(FForm, "cbDelOnLaunch").text()), "... launching Quake");
  EXPECT_EQ(Shown(Box(FForm, "cbDelOnExit").text()), "... exiting Fraxinel");
  EXPECT_EQ(Control<QPushButton>(FForm, "OKBtn").text().toStdString(), "OK");
  EXPECT_EQ(Control<QPushButton>(FForm, "CancelBtn").text().toStdString(), "Cancel");
}

TEST_F(FXSettingsFormTest, DeleteBoxesCarryTheirHints) {
  EXPECT_EQ(Box(FForm, "cbDelInID1Dir").toolTip().toStdString(),
            "Delete CONFIG.CFGs in the \"quake\\id1\"-directory.");
  EXPECT_EQ(Box(FForm, "cbDelInPatchDir").toolTip().toStdString(),
            "Delete CONFIG.CFGs in the current patch-directory.");
  EXPECT_EQ(Box(FForm, "cbDelOnLaunch").toolTip().toStdString(),
            "Delete CONFIG.CFGs when launching Quake.");
  EXPECT_EQ(Box(FForm, "cbDelOnExit").toolTip().toStdString(),
            "Delete CONFIG.CFGs when exiting Fraxinel.");
}

TEST_F(FXSettingsFormTest, StartsWithOnBoxesDisabledAndCommandLineBoxShown) {
  FForm.show();
  EXPECT_FALSE(Box(FForm, "cbDelOnLaunch").isEnabled());
  EXPECT_FALSE(Box(FForm, "cbDelOnExit").isEnabled());
  EXPECT_TRUE(Box(FForm, "cbDelInID1Dir").isEnabled());
  EXPECT_TRUE(Box(FForm, "ShowCmdLineCheckBox").isVisibleTo(&FForm));
  EXPECT_TRUE(Box(FForm, "cbInGameCmd").isVisibleTo(&FForm));
  FForm.reject();
}

TEST_F(FXSettingsFormTest, WarningPicturesShowAnIcon) {
  for (const char* name : {"WarnImage1", "WarnImage2"}) {
    const QPixmap picture = Control<QLabel>(FForm, name).pixmap();
    EXPECT_FALSE(picture.isNull()) << name;
  }
}

TEST_F(FXSettingsFormTest, GeneralPageIsWalkedByTabInReadingOrder) {
  FForm.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&FForm));
  Edit(FForm, "QPathEdit").setFocus();
  std::vector<std::string> visited;
  for (int i = 0; i < 9; ++i) {
    visited.push_back(QApplication::focusWidget()->objectName().toStdString());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  // The page control leads back to the top.
  EXPECT_THAT(visited, ElementsAre("QPathEdit", "QPathSearchBtn", "PatchPathEdit",
                                   "PatchPathSearchBtn", "cbCloseOnExec", "cbAnimateMainWindowIcon",
                                   "cbInGameCmd", "ShowCmdLineCheckBox", "OKBtn"));
  FForm.reject();
}

TEST_F(FXSettingsFormTest, MnemonicsOpenThePages) {
  FForm.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&FForm));
  const auto& pages = Control<QTabWidget>(FForm, "PageControl");
  QTest::keyClick(&FForm, Qt::Key_V, Qt::AltModifier);
  EXPECT_EQ(pages.currentWidget()->objectName().toStdString(), "tsAdvanced");
  QTest::keyClick(&FForm, Qt::Key_M, Qt::AltModifier);
  EXPECT_EQ(pages.currentWidget()->objectName().toStdString(), "tsCommands");
  QTest::keyClick(&FForm, Qt::Key_G, Qt::AltModifier);
  EXPECT_EQ(pages.currentWidget()->objectName().toStdString(), "tsGeneral");
  FForm.reject();
}

// --- filling and reading back ------------------------------------------------------------

TEST_F(FXSettingsFormTest, SetStateFillsEveryControl) {
  FForm.SetState(EverythingChanged());
  EXPECT_TRUE(Box(FForm, "cbCloseOnExec").isChecked());
  EXPECT_EQ(Control<QPlainTextEdit>(FForm, "AddParmsMemo").toPlainText().toStdString(),
            "bind x +attack\n\necho done");
  EXPECT_TRUE(Box(FForm, "ShowCmdLineCheckBox").isChecked());
  EXPECT_TRUE(Box(FForm, "cbDelOnLaunch").isChecked());
  EXPECT_TRUE(Box(FForm, "cbDelOnExit").isChecked());
  EXPECT_TRUE(Box(FForm, "cbDelInID1Dir").isChecked());
  EXPECT_TRUE(Box(FForm, "cbDelInPatchDir").isChecked());
  EXPECT_FALSE(Box(FForm, "cbAnimateMainWindowIcon").isChecked());
  EXPECT_FALSE(Box(FForm, "cbInGameCmd").isChecked());
  EXPECT_EQ(Edit(FForm, "QPathEdit").text().toStdString(), "/games/quake");
  EXPECT_EQ(Edit(FForm, "PatchPathEdit").text().toStdString(), "/games/quake/mods");
}

TEST_F(FXSettingsFormTest, StateGivesBackWhatWasSet) {
  FForm.SetState(EverythingChanged());
  ExpectSameState(FForm.State(), EverythingChanged());

  const TSettingsDialogState defaults;
  FForm.SetState(defaults);
  ExpectSameState(FForm.State(), defaults);
}

TEST_F(FXSettingsFormTest, MemoLinesAreOnePerLine) {
  auto& memo = Control<QPlainTextEdit>(FForm, "AddParmsMemo");
  memo.setPlainText("");
  EXPECT_TRUE(FForm.State().AddParms.empty());
  memo.setPlainText("one\r\ntwo");
  EXPECT_THAT(FForm.State().AddParms, ElementsAre("one", "two"));
  // A final line break ends the last line; only a line left empty on purpose is kept.
  memo.setPlainText("one\n");
  EXPECT_THAT(FForm.State().AddParms, ElementsAre("one"));
  memo.setPlainText("one\n\n");
  EXPECT_THAT(FForm.State().AddParms, ElementsAre("one", ""));
}

TEST_F(FXSettingsFormTest, OnChoiceWithoutAnInChoiceIsClearedWhenFilled) {
  TSettingsDialogState state;
  state.DelOnLaunch = true;
  state.DelOnExit = true;
  FForm.SetState(state);
  EXPECT_FALSE(Box(FForm, "cbDelOnLaunch").isEnabled());
  EXPECT_FALSE(Box(FForm, "cbDelOnLaunch").isChecked());
  EXPECT_FALSE(Box(FForm, "cbDelOnExit").isChecked());
  EXPECT_FALSE(FForm.State().DelOnLaunch);
}

TEST_F(FXSettingsFormTest, OneInChoiceEnablesTheOnChoices) {
  TSettingsDialogState state;
  state.DelInPatchDir = true;
  state.DelOnExit = true;
  FForm.SetState(state);
  EXPECT_TRUE(Box(FForm, "cbDelOnLaunch").isEnabled());
  EXPECT_TRUE(Box(FForm, "cbDelOnExit").isEnabled());
  EXPECT_FALSE(Box(FForm, "cbDelOnLaunch").isChecked());
  EXPECT_TRUE(Box(FForm, "cbDelOnExit").isChecked());
}

// --- the "Delete ... in" and "Delete ... on" boxes ---------------------------------------

TEST_F(FXSettingsFormTest, OnBoxesFollowTheInBoxes) {
  auto& inId1 = Box(FForm, "cbDelInID1Dir");
  auto& inPatch = Box(FForm, "cbDelInPatchDir");
  auto& onLaunch = Box(FForm, "cbDelOnLaunch");
  auto& onExit = Box(FForm, "cbDelOnExit");

  inId1.click();
  EXPECT_TRUE(onLaunch.isEnabled());
  EXPECT_TRUE(onExit.isEnabled());
  onLaunch.click();
  onExit.click();
  inPatch.click();

  inId1.click();  // one "in" box is still checked
  EXPECT_TRUE(onLaunch.isEnabled());
  EXPECT_TRUE(onLaunch.isChecked());
  EXPECT_TRUE(onExit.isChecked());

  inPatch.click();  // now none
  EXPECT_FALSE(onLaunch.isEnabled());
  EXPECT_FALSE(onExit.isEnabled());
  EXPECT_FALSE(onLaunch.isChecked());
  EXPECT_FALSE(onExit.isChecked());

  inPatch.click();  // back on: the earlier choice is gone, not restored
  EXPECT_TRUE(onLaunch.isEnabled());
  EXPECT_FALSE(onLaunch.isChecked());
}

TEST_F(FXSettingsFormTest, SpaceBarTogglesAnInBoxLikeAClick) {
  FForm.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&FForm));
  Control<QTabWidget>(FForm, "PageControl").setCurrentIndex(2);
  auto& inId1 = Box(FForm, "cbDelInID1Dir");
  inId1.setFocus();
  QTest::keyClick(&inId1, Qt::Key_Space);
  EXPECT_TRUE(inId1.isChecked());
  EXPECT_TRUE(Box(FForm, "cbDelOnExit").isEnabled());
  FForm.reject();
}

// --- the folder choosers -----------------------------------------------------------------

TEST_F(FXSettingsFormTest, QuakeFolderChooserOpensAtTheDesktop) {
  FDialogs.ChooserAnswers.push_back("/games/quake");
  Control<QPushButton>(FForm, "QPathSearchBtn").click();
  ASSERT_EQ(FDialogs.ChooserCalls.size(), 1u);
  EXPECT_EQ(FDialogs.ChooserCalls[0].Kind, "folder");
  EXPECT_EQ(FDialogs.ChooserCalls[0].Title, "Please choose your Quake folder");
  EXPECT_EQ(FDialogs.ChooserCalls[0].Start, FDesktop.Desktop());
}

TEST_F(FXSettingsFormTest, ChosenQuakeFolderAlsoFillsAnEmptyPatchPath) {
  FDialogs.ChooserAnswers.push_back("/games/quake");
  Control<QPushButton>(FForm, "QPathSearchBtn").click();
  EXPECT_EQ(Edit(FForm, "QPathEdit").text().toStdString(), "/games/quake");
  EXPECT_EQ(Edit(FForm, "PatchPathEdit").text().toStdString(), "/games/quake");
}

TEST_F(FXSettingsFormTest, ChosenQuakeFolderLeavesAPatchPathThatIsSet) {
  Edit(FForm, "PatchPathEdit").setText("/mods");
  FDialogs.ChooserAnswers.push_back("/games/quake");
  Control<QPushButton>(FForm, "QPathSearchBtn").click();
  EXPECT_EQ(Edit(FForm, "QPathEdit").text().toStdString(), "/games/quake");
  EXPECT_EQ(Edit(FForm, "PatchPathEdit").text().toStdString(), "/mods");
}

TEST_F(FXSettingsFormTest, CancelledQuakeFolderChooserChangesNothing) {
  Edit(FForm, "QPathEdit").setText("/old/quake");
  FDialogs.ChooserAnswers.push_back(std::nullopt);
  Control<QPushButton>(FForm, "QPathSearchBtn").click();
  EXPECT_EQ(Edit(FForm, "QPathEdit").text().toStdString(), "/old/quake");
  EXPECT_EQ(Edit(FForm, "PatchPathEdit").text().toStdString(), "");
}

TEST_F(FXSettingsFormTest, PatchFolderChooserOpensAtTheQuakeFolder) {
  Edit(FForm, "QPathEdit").setText("/games/quake");
  FDialogs.ChooserAnswers.push_back("/games/quake/ctf");
  Control<QPushButton>(FForm, "PatchPathSearchBtn").click();
  ASSERT_EQ(FDialogs.ChooserCalls.size(), 1u);
  EXPECT_EQ(FDialogs.ChooserCalls[0].Title, "Please choose your Patch folder");
  EXPECT_EQ(FDialogs.ChooserCalls[0].Start, "/games/quake");
  EXPECT_EQ(Edit(FForm, "PatchPathEdit").text().toStdString(), "/games/quake/ctf");
  EXPECT_EQ(Edit(FForm, "QPathEdit").text().toStdString(), "/games/quake");
}

TEST_F(FXSettingsFormTest, PatchFolderChooserOpensAtTheDesktopWithoutAQuakeFolder) {
  FDialogs.ChooserAnswers.push_back(std::nullopt);
  Edit(FForm, "PatchPathEdit").setText("/mods");
  Control<QPushButton>(FForm, "PatchPathSearchBtn").click();
  ASSERT_EQ(FDialogs.ChooserCalls.size(), 1u);
  EXPECT_EQ(FDialogs.ChooserCalls[0].Start, FDesktop.Desktop());
  EXPECT_EQ(Edit(FForm, "PatchPathEdit").text().toStdString(), "/mods");
}

// --- EditSettings: the dialog over the settings objects -----------------------------------

class EditSettingsTest : public ::testing::Test {
 protected:
  EditSettingsTest() {
    // The retail edition's second archive: the game folder setter must see it.
    WriteFileBytes(FGame / "id1" / "pak1.pak", "PACK");
    FUser.SetAddParms({"old line"});
    FUser.SetLastConfig("Deathmatch");
    FMachine.SetCfgFileName("Mine.cfg");
  }

  TTempDir FTemp;
  test::TRegistrySandbox FRegistry;
  fs::path FGame = FTemp / "quake";
  TFXSettings FMachine;
  TFXUserSettings FUser;
};

// Changes every control away from the constructed settings.
void ChangeEverything(TFXSettingsForm& form, const std::string& game) {
  Box(form, "cbCloseOnExec").click();
  Edit(form, "QPathEdit").setText(QString::fromStdString(game));
  Edit(form, "PatchPathEdit").setText(QString::fromStdString(game + "/mods"));
  Control<QPlainTextEdit>(form, "AddParmsMemo").setPlainText("bind x +attack\necho done");
  Box(form, "ShowCmdLineCheckBox").setChecked(true);
  Box(form, "cbInGameCmd").click();
  Box(form, "cbAnimateMainWindowIcon").click();
  Box(form, "cbDelInID1Dir").click();
  Box(form, "cbDelInPatchDir").click();
  Box(form, "cbDelOnLaunch").click();
  Box(form, "cbDelOnExit").click();
}

TEST_F(EditSettingsTest, OkCopiesEveryChangeBack) {
  ASSERT_TRUE(FMachine.Shareware());
  const std::string game = FGame.string();
  WhenModal<TFXSettingsForm>([&](TFXSettingsForm& form) {
    EXPECT_THAT(form.State().AddParms, ElementsAre("old line"));
    ChangeEverything(form, game);
    Control<QPushButton>(form, "OKBtn").click();
  });
  EXPECT_TRUE(EditSettings(nullptr, FMachine, FUser));

  EXPECT_TRUE(FMachine.CloseOnExec());
  EXPECT_EQ(FMachine.QPath(), game);
  EXPECT_FALSE(FMachine.Shareware());
  EXPECT_EQ(FMachine.PatchPath(), game + "/mods");
  EXPECT_THAT(FUser.AddParms(), ElementsAre("bind x +attack", "echo done"));
  EXPECT_TRUE(FUser.ShowCmdLine());
  EXPECT_FALSE(FUser.InGameCmds());
  EXPECT_FALSE(FUser.AnimateMainWindowIcon());
  EXPECT_TRUE(FUser.DelOnLaunch());
  EXPECT_TRUE(FUser.DelOnExit());
  EXPECT_TRUE(FUser.DelInID1Dir());
  EXPECT_TRUE(FUser.DelInPatchDir());
  // What the dialog does not show stays as it was.
  EXPECT_FALSE(FMachine.ShowCmdLine());
  EXPECT_EQ(FMachine.CfgFileName(), "Mine.cfg");
  EXPECT_EQ(FMachine.Version(), 0);
  EXPECT_EQ(FUser.LastConfig(), "Deathmatch");
}

TEST_F(EditSettingsTest, CancelChangesNothing) {
  const std::string game = FGame.string();
  WhenModal<TFXSettingsForm>([&](TFXSettingsForm& form) {
    ChangeEverything(form, game);
    QTest::keyClick(&form, Qt::Key_Escape);
  });
  EXPECT_FALSE(EditSettings(nullptr, FMachine, FUser));

  EXPECT_FALSE(FMachine.CloseOnExec());
  EXPECT_EQ(FMachine.QPath(), "");
  EXPECT_TRUE(FMachine.Shareware());
  EXPECT_EQ(FMachine.PatchPath(), "");
  EXPECT_THAT(FUser.AddParms(), ElementsAre("old line"));
  EXPECT_FALSE(FUser.ShowCmdLine());
  EXPECT_TRUE(FUser.InGameCmds());
  EXPECT_TRUE(FUser.AnimateMainWindowIcon());
  EXPECT_FALSE(FUser.DelOnLaunch());
  EXPECT_FALSE(FUser.DelOnExit());
  EXPECT_FALSE(FUser.DelInID1Dir());
  EXPECT_FALSE(FUser.DelInPatchDir());
}

TEST_F(EditSettingsTest, DialogShowsTheCurrentSettings) {
  FMachine.SetCloseOnExec(true);
  FMachine.SetPatchPath("/mods");
  FUser.SetDelInID1Dir(true);
  FUser.SetDelOnExit(true);
  FUser.SetInGameCmds(false);
  std::optional<TSettingsDialogState> shown;
  WhenModal<TFXSettingsForm>([&](TFXSettingsForm& form) {
    shown = form.State();
    form.reject();
  });
  EditSettings(nullptr, FMachine, FUser);
  ASSERT_TRUE(shown);
  ExpectSameState(*shown, FillSettingsDialog(FMachine, FUser));
  EXPECT_TRUE(shown->DelOnExit);
}

TEST_F(EditSettingsTest, InstalledEditorShowsTheDialogAndEnterAccepts) {
  QWidget owner;
  InstallSettingsEditor(FMachine, FUser, &owner);
  const std::string game = FGame.string();
  WhenModal<TFXSettingsForm>([&](TFXSettingsForm& form) {
    EXPECT_EQ(form.parentWidget(), &owner);
    auto& path = Edit(form, "QPathEdit");
    path.setText(QString::fromStdString(game));
    QTest::keyClick(&path, Qt::Key_Return);
  });
  FMachine.Edit();
  EXPECT_EQ(FMachine.QPath(), game);
  EXPECT_FALSE(FMachine.Shareware());
  // Written at once, as a run that is killed now would leave it.
  EXPECT_THAT(test::TRegistrySandbox::Section(FRegistry.MachineReg(),
                                              "[HKEY_LOCAL_MACHINE\\Software\\Bolsk\\Fraxinel]"),
              testing::Optional(testing::Contains("\"QPath\"=\"" + game + "\"")));
}

TEST_F(EditSettingsTest, GameFolderWithoutRetailFilesKeepsShareware) {
  const std::string empty = (FTemp / "shareware").string();
  fs::create_directories(empty);
  WhenModal<TFXSettingsForm>([&](TFXSettingsForm& form) {
    Edit(form, "QPathEdit").setText(QString::fromStdString(empty));
    form.accept();
  });
  EXPECT_TRUE(EditSettings(nullptr, FMachine, FUser));
  EXPECT_EQ(FMachine.QPath(), empty);
  EXPECT_TRUE(FMachine.Shareware());
}

}  // namespace
}  // namespace fx
