// The main window's executable list as a user meets it: what the first run selects, entries
// whose program is missing, a start that cannot happen, damaged entries and deleting.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <memory>
#include <string>

#include "exes/ExePropDlg.h"
#include "exes/FXExes.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/FindControl.h"
#include "fixtures/ModalDialog.h"
#include "fixtures/ScriptedDialogs.h"
#include "launcher/Configurations.h"
#include "launcher/FXLaunchForm.h"
#include "platform/Registry.h"
#include "settings/FXSettings.h"
#include "settings/FirstRun.h"
#include "tests/settings/RegistrySandbox.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using test::Control;

class LaunchFormExes : public ::testing::Test {
 protected:
  LaunchFormExes() {
    fs::create_directories(Game / "id1");
    FXSettings().SetQPath(Game.string());
    FXSettings().SetCloseOnExec(false);
    FXUserSettings().SetLastConfig("");
    FXUserSettings().SetAnimateMainWindowIcon(false);
    FXUserSettings().SetShowCmdLine(false);
  }

  // A program that does nothing.
  fs::path Program(const std::string& name) {
    const fs::path file = Sandbox.Temp() / "bin" / name;
    test::WriteFileBytes(file, "#!/bin/sh\nexit 0\n");
    fs::permissions(file, fs::perms::owner_all);
    return file;
  }
  void SaveExes(const TQuakeExeList& list) {
    TRegistry registry;
    SaveExeList(registry, list);
  }
  std::unique_ptr<TFXLaunchForm> Open() {
    TLaunchFormOptions options;
    options.Dialogs = &Dialogs;
    options.PictureLibrary = Sandbox.Temp() / "no-pictures.rcc";
    return std::make_unique<TFXLaunchForm>(nullptr, options);
  }
  std::string Selected(TFXLaunchForm& form) {
    QListWidget& list = Control<QListWidget>(form, "lvExe");
    return list.currentItem() != nullptr ? list.currentItem()->text().toStdString() : "";
  }

  test::TRegistrySandbox Sandbox;
  TProgramSettings Settings;
  fs::path Game = Sandbox.Temp() / "quake";
  test::TScriptedDialogs Dialogs;
};

TEST_F(LaunchFormExes, TheFirstRunSelectsTheFoundEngineAndMarksMissingPrograms) {
  {
    TRegistry registry;
    CreateStandardExecutables(registry);
    CreateFoundExecutables(registry, {{"QuakeSpasm", Program("quakespasm")}});
  }
  auto form = Open();
  EXPECT_EQ(Selected(*form), "QuakeSpasm");
  QListWidget& list = Control<QListWidget>(*form, "lvExe");
  EXPECT_EQ(list.item(0)->text(), "DOS Quake");
  EXPECT_EQ(list.item(0)->toolTip().toStdString(),
            "File not found: " + (Game / "quake.exe").string());
  EXPECT_TRUE(list.findItems("QuakeSpasm", Qt::MatchExactly)[0]->toolTip().startsWith("Starts "));

  // What the window stores at its end is what the next start selects.
  form->close();
  form.reset();
  TRegistry registry;
  registry.SetRootKey(HKEY_CURRENT_USER);
  ASSERT_TRUE(registry.OpenKey(std::string(kConfigsKey) + "\\" + kDefaultConfigName, false));
  EXPECT_EQ(registry.ReadString("NewExe"), "QuakeSpasm");
}

TEST_F(LaunchFormExes, F9WithAMissingProgramSaysWhyAndOffersItsProperties) {
  TQuakeExe dos("DOS Quake");
  dos.ExeName = "quake.exe";
  SaveExes({dos});
  auto form = Open();
  Dialogs.MessageAnswers = {TMsgResult::Yes};
  bool propertiesShown = false;
  test::WhenModal<TExePropDlg>([&propertiesShown](TExePropDlg&) { propertiesShown = true; });

  Control<QToolButton>(*form, "StartQuakeBtn").click();

  ASSERT_EQ(Dialogs.Messages.size(), 1u);
  EXPECT_EQ(Dialogs.Messages[0].Text,
            "Quake could not be started.\n\nFile: " + (Game / "quake.exe").string() +
                "\nReason: The file does not exist.\n\nDo you want to open the Properties of "
                "\"DOS Quake\"?");
  EXPECT_TRUE(propertiesShown);
}

TEST_F(LaunchFormExes, ADamagedEntryIsSaidListedAndKeptInTheFile) {
  TQuakeExe good("Good");
  good.ExeName = Program("good").string();
  TQuakeExe broken("Broken");
  broken.ExeName = Program("broken").string();
  SaveExes({good, broken});
  {
    TRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(registry.OpenKey(ExeListKey() + "\\Broken", false));
    registry.WriteString("MemSize", "abc");
  }
  Dialogs.MessageAnswers = {TMsgResult::Ok};
  auto form = Open();

  ASSERT_EQ(Dialogs.Messages.size(), 1u);
  const std::string& text = Dialogs.Messages[0].Text;
  EXPECT_NE(text.find(Sandbox.MachineReg().string()), std::string::npos) << text;
  EXPECT_NE(text.find("\"Broken\": Invalid data type for 'MemSize'"), std::string::npos) << text;
  ASSERT_EQ(form->Exes().size(), 2u);
  EXPECT_EQ(form->Exes()[1].ExeName, good.ExeName);

  form->close();
  form.reset();
  EXPECT_NE(test::ReadFileBytes(Sandbox.MachineReg()).find("\"MemSize\"=\"abc\""),
            std::string::npos);
}

// Taking the item out of the list moves the selection while the list and the entries
// disagree; the sanitizer build's bounds checks catch a read one past the entries.
TEST_F(LaunchFormExes, DeletingAnEntryWithThePreviewOnShowsTheEntryNowSelected) {
  TQuakeExeList list;
  for (const char* name : {"A", "B", "C"}) {
    list.emplace_back(name);
    list.back().ExeName = std::string("/opt/") + name;
  }
  SaveExes(list);
  FXUserSettings().SetShowCmdLine(true);
  auto form = Open();
  QListWidget& exes = Control<QListWidget>(*form, "lvExe");
  exes.setCurrentRow(1);
  Dialogs.MessageAnswers = {TMsgResult::Yes};

  Control<QAction>(*form, "miExeDelete").trigger();

  ASSERT_EQ(form->Exes().size(), 2u);
  EXPECT_EQ(Selected(*form), "C");
  const std::string preview = Control<QLineEdit>(*form, "edCommandLine").text().toStdString();
  EXPECT_TRUE(preview.starts_with("/opt/C ")) << preview;
}

}  // namespace
}  // namespace fx
