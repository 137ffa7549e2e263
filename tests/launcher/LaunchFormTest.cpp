// The main window driven as a user would: its controls found by name, its menus and keys.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <functional>
#include <memory>

#include "demos/DemoBrowseDlg.h"
#include "exes/FXExes.h"
#include "fixtures/DemoBuilder.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/FindControl.h"
#include "fixtures/ModalDialog.h"
#include "fixtures/ScriptedDialogs.h"
#include "fixtures/StandInEngine.h"
#include "fixtures/WindowSettings.h"
#include "launcher/Configurations.h"
#include "launcher/FXLaunchForm.h"
#include "launcher/GameOutput.h"
#include "platform/CommandLine.h"
#include "platform/Registry.h"
#include "plugins/CTFBotsQuakePlugIn.h"
#include "plugins/CTFQuakePlugIn.h"
#include "plugins/CTFRuleFlags.h"
#include "plugins/FXStdPlgIn.h"
#include "plugins/HHOptionsDlg.h"
#include "plugins/TFSettingsDlg.h"
#include "plugins/VarimixOptionsDlg.h"
#include "settings/FXSettings.h"
#include "tests/settings/RegistrySandbox.h"
#include "ui/FloatEdit.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using test::Control;
using test::ReadFileBytes;
using test::WriteFileBytes;

// A game type that offers two maps and no typed ones.
class TFixedMapsPlugin final : public TStandardQuakePlugin {
 public:
  using TStandardQuakePlugin::TStandardQuakePlugin;
  void GetFeatures(TPluginFeatures& features) override {
    TStandardQuakePlugin::GetFeatures(features);
    features.FixedMaps = true;
  }
  std::int32_t GetMapCount() override { return 2; }
  void GetMapName(std::int32_t index, TShortName& name) override {
    name = index == 0 ? "arena1" : "arena2";
  }
};

class LaunchForm : public ::testing::Test {
 protected:
  LaunchForm() {
    fs::create_directories(Game / "id1" / "maps");
    WriteFileBytes(Game / "id1" / "pak0.pak", "");
    WriteFileBytes(Game / "id1" / "pak1.pak", "");
    test::UseWindowSettings(Game);
  }

  void AddExe(const std::string& name, const std::string& file) {
    TRegistry registry;
    TQuakeExeList list = LoadExeList(registry);
    TQuakeExe exe(name);
    exe.ExeName = file;
    exe.ExeType = TExeType::WinQuake;
    list.push_back(exe);
    SaveExeList(registry, list);
  }

  std::unique_ptr<TFXLaunchForm> Open(bool withFixedMaps = false) {
    TLaunchFormOptions options;
    options.Dialogs = &Dialogs;
    options.PictureLibrary = Sandbox.Temp() / "no-pictures.rcc";
    if (withFixedMaps) {
      options.GameTypes = [](const TPluginEnvironment& env) {
        auto types = RegisterGameTypes(env);
        types.push_back(
            {TGameType::Varimix, "Fixed Maps", MakeIntf<TFixedMapsPlugin>(env.Starter)});
        return types;
      };
    }
    options.GameOutputFolder = OutputFolder;
    options.FindEngines = FindEngines;
    options.DesktopFolder = Sandbox.Temp() / "Desktop";
    auto form = std::make_unique<TFXLaunchForm>(nullptr, options);
    form->resize(419, 480);
    return form;
  }

  test::TRegistrySandbox Sandbox;
  TProgramSettings Settings;  // loaded from the sandbox, as the program does at start
  fs::path Game = Sandbox.Temp() / "quake";
  test::TScriptedDialogs Dialogs;
  std::optional<fs::path> OutputFolder;
  std::function<std::vector<TFoundEngine>()> FindEngines;
};

TEST_F(LaunchForm, ClientModeShowsOnlyItsPanelsWithoutGaps) {
  auto form = Open();
  form->show();
  QComboBox* mode = &Control<QComboBox>(*form, "cbQuakeMode");
  mode->setCurrentIndex(kPlayClient);
  emit mode->activated(kPlayClient);

  for (const char* hidden :
       {"SkillPanel", "MapPanel", "PlayModePanel", "TeamplayPanel", "ClientExitPanel", "RulesPanel",
        "ServerOptionsPanel", "MaxPlayersPanel", "AutoAimPanel", "DemoPlayPanel"})
    EXPECT_TRUE(Control<QWidget>(*form, hidden).isHidden()) << hidden;
  EXPECT_FALSE(Control<QWidget>(*form, "ClientPanel").isHidden());
  EXPECT_FALSE(Control<QWidget>(*form, "DemoRecPanel").isHidden());

  // What is left stands in tab order from the top, each panel right under the last.
  int top = 0;
  for (const char* shown : {"DemoRecPanel", "ClientPanel", "SpacerPanel"}) {
    const QWidget* panel = &Control<QWidget>(*form, shown);
    EXPECT_EQ(panel->y(), top) << shown;
    top += panel->height();
  }

  emit mode->activated(kPlayListen);
  EXPECT_TRUE(Control<QWidget>(*form, "ClientPanel").isHidden());
  EXPECT_FALSE(Control<QWidget>(*form, "ServerOptionsPanel").isHidden());
  EXPECT_FALSE(Control<QWidget>(*form, "RulesPanel").isHidden());
  EXPECT_EQ(Control<QWidget>(*form, "SkillPanel").y(), 0);
}

TEST_F(LaunchForm, NewExecutablesAreNumberedAndACaseOnlyRenameIsRefused) {
  auto form = Open();
  QAction* add = &Control<QAction>(*form, "miExeAdd");
  Dialogs.ChooserAnswers = {"/opt/q/myquake", "/opt/q/myquake", "/opt/q/myquake", std::nullopt};
  for (int i = 0; i < 4; ++i)  // the last one cancelled: nothing added
    add->trigger();
  QListWidget* list = &Control<QListWidget>(*form, "lvExe");
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->item(0)->text(), "myquake");
  EXPECT_EQ(list->item(1)->text(), "myquake (1)");
  EXPECT_EQ(list->item(2)->text(), "myquake (2)");
  EXPECT_EQ(Dialogs.ChooserCalls[0].Filter, "All Files|*|Executables|*.exe;*.bat");
  EXPECT_EQ(form->Exes()[0].ExeType, TExeType::OpenGLQuake);
  EXPECT_TRUE(Control<QToolButton>(*form, "StartQuakeBtn").isEnabled());

  Dialogs.MessageAnswers = {TMsgResult::Ok};
  list->item(1)->setText("MYQUAKE (1)");
  EXPECT_EQ(list->item(1)->text(), "myquake (1)");
  ASSERT_EQ(Dialogs.Messages.size(), 1u);
  EXPECT_EQ(Dialogs.Messages[0].Text, "An executable with that name allready exists.");
  EXPECT_EQ(Dialogs.Messages[0].Icon, TMsgIcon::Error);

  list->item(1)->setText("GLQuake");
  EXPECT_EQ(form->Exes()[1].Name(), "GLQuake");

  // The list the window writes is the list the next window reads, in the registry's
  // order of names.
  form->close();
  form.reset();
  auto again = Open();
  QListWidget* read = &Control<QListWidget>(*again, "lvExe");
  ASSERT_EQ(read->count(), 3);
  EXPECT_EQ(read->item(0)->text(), "GLQuake");
  EXPECT_EQ(read->item(2)->text(), "myquake (2)");
}

TEST_F(LaunchForm, DeletingAnExecutableAsksFirst) {
  AddExe("WinQuake", "winquake.exe");
  AddExe("GLQuake", "glquake.exe");
  auto form = Open();
  QListWidget* list = &Control<QListWidget>(*form, "lvExe");
  list->setCurrentRow(1);
  Dialogs.MessageAnswers = {TMsgResult::No, TMsgResult::Yes};
  QAction* remove = &Control<QAction>(*form, "miExeDelete");
  remove->trigger();
  EXPECT_EQ(list->count(), 2);
  remove->trigger();
  ASSERT_EQ(list->count(), 1);
  EXPECT_EQ(list->item(0)->text(), "GLQuake");
  EXPECT_EQ(Dialogs.Messages[0].Text,
            "Are you sure you want to delete the Executable:\n\"WinQuake\"?");
  EXPECT_EQ(Dialogs.Messages[0].Caption, "Warning");
}

TEST_F(LaunchForm, AFixedMapsGameTypeMakesTheMapBoxPickOnly) {
  auto form = Open(true);
  QComboBox* map = &Control<QComboBox>(*form, "cbMap");
  ASSERT_TRUE(map->isEditable());
  map->setEditText("mymap");
  QComboBox* types = &Control<QComboBox>(*form, "GameModeComboBox");
  const int fixed = types->findText("Fixed Maps");
  types->setCurrentIndex(fixed);
  emit types->activated(fixed);

  EXPECT_FALSE(map->isEditable());
  EXPECT_EQ(map->count(), 2);
  EXPECT_EQ(map->currentIndex(), -1) << "a typed map that is not listed is dropped";
  EXPECT_EQ(form->GatherLaunchInput().MapText, "");

  types->setCurrentIndex(0);
  emit types->activated(0);
  EXPECT_TRUE(map->isEditable());
  EXPECT_EQ(map->currentText(), "(None)");
}

TEST_F(LaunchForm, CaptureTheFlagBringsItsListsPatchAndRulesAndASavedConfigurationKeepsThem) {
  auto form = Open();
  QComboBox* types = &Control<QComboBox>(*form, "GameModeComboBox");
  const auto choose = [&](const char* name) {
    const int index = types->findText(name);
    ASSERT_GE(index, 0) << name;
    types->setCurrentIndex(index);
    emit types->activated(index);
  };
  emit Control<QComboBox>(*form, "cbQuakeMode").activated(kPlayListen);
  choose("Threewave Capture the Flag (4.0)");
  EXPECT_EQ(Control<QComboBox>(*form, "cbMap").count(), 55);
  QComboBox* rules = &Control<QComboBox>(*form, "MultiPlayModeComboBox");
  EXPECT_EQ(rules->count(), 3);
  EXPECT_EQ(rules->currentIndex(), 0);
  EXPECT_EQ(Control<QComboBox>(*form, "TeamplayComboBox").count(), 3);
  EXPECT_EQ(Control<QComboBox>(*form, "PatchComboBox").currentText(), "CTF");
  EXPECT_TRUE(Control<QWidget>(*form, "AddOptionsButton").isEnabled());
  EXPECT_FALSE(Control<QWidget>(*form, "GameModeOptionsBtn").isEnabled());
  emit Control<QComboBox>(*form, "cbQuakeMode").activated(kPlaySingle);
  EXPECT_FALSE(Control<QWidget>(*form, "AddOptionsButton").isEnabled());

  auto* ctf = dynamic_cast<TCTFQuakePlugIn*>(form->ActivePlugin());
  ASSERT_NE(ctf, nullptr);
  ctf->SetRuleFlags(kCTFCaptureTheFlag | kCTFHealthProtect);
  ASSERT_TRUE(form->Configurations().Save("Flags", false));
  ctf->SetRuleFlags(5);
  choose("Capture the Flag Bots");
  auto* bots = dynamic_cast<TCTFBotsQuakePlugIn*>(form->ActivePlugin());
  ASSERT_NE(bots, nullptr);
  bots->SetRuleFlags(9);

  form->Configurations().Load("Flags");
  EXPECT_EQ(types->currentText(), "Threewave Capture the Flag (4.0)");
  EXPECT_EQ(form->ActivePlugin(), ctf);
  EXPECT_EQ(ctf->RuleFlags(), kCTFCaptureTheFlag | kCTFHealthProtect);
  // The game type current when the load began reads the key as well, before the switch.
  EXPECT_EQ(bots->RuleFlags(), kCTFCaptureTheFlag | kCTFHealthProtect);
}

TEST_F(LaunchForm, F9LaunchesTheChosenConfiguration) {
  const fs::path report = Sandbox.Temp() / "report";
  test::WriteStandInEngine(Game / "quake.sh", report);
  AddExe("Stand-in", "quake.sh");
  FXUserSettings().SetShowCmdLine(true);
  auto form = Open();
  {
    // A configuration saved earlier: a listen server on e1m3.
    QComboBox* mode = &Control<QComboBox>(*form, "cbQuakeMode");
    emit mode->activated(kPlayListen);
    Control<QComboBox>(*form, "cbMap").setEditText("e1m3");
    Control<QLineEdit>(*form, "HostnameEdit").setText("Frag Hall");
    Control<QLineEdit>(*form, "CmdLineEdit").setText("-nosound");
    ASSERT_TRUE(form->Configurations().Save("Listen", false));
  }
  // Other choices, then the saved ones picked from the box.
  emit Control<QComboBox>(*form, "cbQuakeMode").activated(kPlaySingle);
  Control<QComboBox>(*form, "cbMap").setEditText("e2m1");
  QComboBox* configs = &Control<QComboBox>(*form, "CfgComboBox");
  const int listen = configs->findText("Listen");
  ASSERT_GE(listen, 0);
  configs->setCurrentIndex(listen);
  emit configs->activated(listen);
  EXPECT_EQ(form->PlayMode(), kPlayListen);

  form->show();
  QApplication::setActiveWindow(form.get());
  QTest::keyClick(form.get(), Qt::Key_F9);
  const auto engine = test::WaitForReport(report);
  ASSERT_TRUE(engine.has_value()) << "the stand-in engine did not start";
  EXPECT_EQ(fs::path(engine->Folder), fs::canonical(Game));
  EXPECT_EQ(engine->Args,
            (std::vector<std::string>{"-listen", "8", "-nosound", "+exec", "Frax.cfg"}));
  EXPECT_NE(engine->Script.find("hostname \"Frag Hall\"\r\n"), std::string::npos) << engine->Script;
  EXPECT_NE(engine->Script.find("\r\nmap e1m3\r\n"), std::string::npos) << engine->Script;
  EXPECT_EQ(ReadFileBytes(Game / "id1" / "Frax.cfg"), engine->Script);
  // The line under the launch button showed exactly what was started.
  const QLineEdit& preview = Control<QLineEdit>(*form, "edCommandLine");
  EXPECT_TRUE(preview.isVisible());
  EXPECT_EQ(preview.text().toStdString(), ShellCommandText(engine->Program, engine->Args));
}

TEST_F(LaunchForm, ThePreviewFollowsTheChoicesAndIsShownOnlyWhenSwitchedOn) {
  AddExe("Engine", "/usr/games/an-engine");
  auto form = Open();
  form->show();
  EXPECT_FALSE(Control<QLineEdit>(*form, "edCommandLine").isVisible());
  FXUserSettings().SetShowCmdLine(true);
  form = Open();
  form->show();
  const QLineEdit& preview = Control<QLineEdit>(*form, "edCommandLine");
  EXPECT_TRUE(preview.isVisible());
  EXPECT_TRUE(preview.isReadOnly());
  EXPECT_EQ(preview.text().toStdString(), "/usr/games/an-engine +exec Frax.cfg");
  emit Control<QComboBox>(*form, "cbQuakeMode").activated(kPlayListen);
  Control<QLineEdit>(*form, "CmdLineEdit").setText("+set name \"Ranger 1\"");
  EXPECT_EQ(preview.text().toStdString(),
            "/usr/games/an-engine -listen 8 +set name 'Ranger 1' +exec Frax.cfg");
}

TEST_F(LaunchForm, AGameThatFailsAtOnceShowsItsLastLinesAndWhereItsOutputIs) {
  const fs::path engine = Game / "broken.sh";
  WriteFileBytes(engine, "#!/bin/sh\necho 'Error: could not open gfx.wad' >&2\nexit 1\n");
  fs::permissions(engine, fs::perms::owner_all);
  AddExe("Broken", "broken.sh");
  OutputFolder = Sandbox.Temp() / "state";
  auto form = Open();
  Dialogs.MessageAnswers = {TMsgResult::Ok};

  Control<QToolButton>(*form, "StartQuakeBtn").click();
  EXPECT_FALSE(form->WaitForGameChecks());

  ASSERT_EQ(Dialogs.Messages.size(), 1u);
  const TMessage& message = Dialogs.Messages[0];
  EXPECT_EQ(message.Icon, TMsgIcon::Error);
  EXPECT_NE(message.Text.find("with exit status 1"), std::string::npos) << message.Text;
  EXPECT_NE(message.Text.find("Error: could not open gfx.wad"), std::string::npos);
  const auto newest = NewestGameOutput(*OutputFolder);
  ASSERT_TRUE(newest.has_value());
  EXPECT_NE(message.Text.find(newest->string()), std::string::npos);
}

TEST_F(LaunchForm, AddInstalledEnginesAddsOnlyTheMissingOnes) {
  const fs::path spasm = Sandbox.Temp() / "bin" / "quakespasm";
  WriteFileBytes(spasm, "#!/bin/sh\n");
  fs::permissions(spasm, fs::perms::owner_all);
  FindEngines = [spasm] { return std::vector<TFoundEngine>{{"QuakeSpasm", spasm}}; };
  auto form = Open();
  QAction& add = Control<QAction>(*form, "miExeAddEngines");

  add.trigger();
  ASSERT_EQ(form->Exes().size(), 1u);
  EXPECT_EQ(form->Exes()[0].Name(), "QuakeSpasm");
  EXPECT_EQ(form->Exes()[0].ExeName, spasm.string());
  EXPECT_EQ(form->Exes()[0].ExeType, TExeType::OpenGLQuake);
  EXPECT_EQ(Control<QListWidget>(*form, "lvExe").currentRow(), 0);

  Dialogs.MessageAnswers = {TMsgResult::Ok};
  add.trigger();
  EXPECT_EQ(form->Exes().size(), 1u);
  ASSERT_EQ(Dialogs.Messages.size(), 1u);
  EXPECT_EQ(Dialogs.Messages[0].Text, "No other installed engines were found.");
}

TEST_F(LaunchForm, ASavedConfigurationGetsADesktopShortcutThatLaunchesIt) {
  auto form = Open();
  ASSERT_TRUE(form->Configurations().Save("Duel on dm4", false));
  Dialogs.MessageAnswers = {TMsgResult::Ok};

  Control<QAction>(*form, "miCfgCreateShortcut").trigger();

  const fs::path file = Sandbox.Temp() / "Desktop" / "Fraxinel - Duel on dm4.desktop";
  ASSERT_TRUE(fs::exists(file));
  EXPECT_NE(ReadFileBytes(file).find(" --launch \"Duel on dm4\"\n"), std::string::npos)
      << ReadFileBytes(file);
  ASSERT_EQ(Dialogs.Messages.size(), 1u);
  EXPECT_EQ(Dialogs.Messages[0].Icon, TMsgIcon::Information);
}

TEST_F(LaunchForm, ShowLastGameOutputSaysWhenThereIsNoneYet) {
  OutputFolder = Sandbox.Temp() / "state";
  auto form = Open();
  Dialogs.MessageAnswers = {TMsgResult::Ok};
  Control<QAction>(*form, "FileShowOutputItem").trigger();
  ASSERT_EQ(Dialogs.Messages.size(), 1u);
  EXPECT_EQ(Dialogs.Messages[0].Text,
            "No game output has been kept yet.\n\nIt is kept in " + OutputFolder->string());
}

TEST_F(LaunchForm, ChangesLeftAtCloseComeBackWithNoConfigurationSelected) {
  {
    auto form = Open();
    ASSERT_TRUE(form->Configurations().Save("Coop", false));
    emit Control<QComboBox>(*form, "cbQuakeMode").activated(kPlayDedicated);
    Control<QLineEdit>(*form, "HostnameEdit").setText("Left over");
    EXPECT_EQ(Control<QComboBox>(*form, "CfgComboBox").currentIndex(), -1);
    EXPECT_FALSE(Control<QToolButton>(*form, "DeleteCfgBtn").isEnabled());
    form->close();
  }
  auto form = Open();
  EXPECT_EQ(form->PlayMode(), kPlayDedicated);
  EXPECT_EQ(Control<QLineEdit>(*form, "HostnameEdit").text(), "Left over");
  QComboBox* configs = &Control<QComboBox>(*form, "CfgComboBox");
  EXPECT_EQ(configs->currentIndex(), -1);
  EXPECT_EQ(configs->findText("!TEMP1"), -1);
  EXPECT_GE(configs->findText("Coop"), 0);
}

TEST_F(LaunchForm, AStoredPlayModeTheBoxDoesNotHaveChangesNothing) {
  auto form = Open();
  emit Control<QComboBox>(*form, "cbQuakeMode").activated(kPlayClient);
  ASSERT_TRUE(form->Configurations().Save("Odd", false));
  {
    TRegistry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(registry.OpenKey(std::string(kConfigsKey) + "\\Odd", false));
    registry.WriteInteger("QuakeMode", 9);
  }
  emit Control<QComboBox>(*form, "cbQuakeMode").activated(kPlaySingle);
  form->Configurations().Load("Odd");
  EXPECT_EQ(form->PlayMode(), kPlaySingle);
  EXPECT_EQ(Control<QComboBox>(*form, "cbQuakeMode").currentIndex(), kPlaySingle);
  EXPECT_FALSE(Control<QWidget>(*form, "SkillPanel").isHidden());
}

TEST_F(LaunchForm, WithoutThePictureLibraryTheGeneralTabClosesUp) {
  auto form = Open();
  EXPECT_FALSE(form->HasPictureLibrary());
  EXPECT_TRUE(Control<QWidget>(*form, "GametypePicPanel").isHidden());
  const QWidget* options = &Control<QWidget>(*form, "AddOptionsButton");
  const QWidget* patch = &Control<QWidget>(*form, "PatchPanel");
  EXPECT_EQ(options->y(), Control<QWidget>(*form, "GametypePicPanel").y());
  EXPECT_EQ(Control<QWidget>(*form, "GameModeOptionsBtn").y(), options->y());
  EXPECT_EQ(patch->y(), options->y() + options->height() + 10);
  EXPECT_EQ(Control<QWidget>(*form, "ExesPanel").y(), patch->y() + patch->height() + 6);
  EXPECT_EQ(Control<QListWidget>(*form, "lvExe").viewMode(), QListView::ListMode);
}

TEST_F(LaunchForm, LeavingAnEmptiedBoxRestoresItsDefault) {
  auto form = Open();
  form->show();
  QApplication::setActiveWindow(form.get());
  Control<QTabWidget>(*form, "PageControl1").setCurrentIndex(1);
  QComboBox* patch = &Control<QComboBox>(*form, "PatchComboBox");
  QWidget* docs = &Control<QWidget>(*form, "ViewDocBtn");
  patch->lineEdit()->setFocus();
  patch->setEditText("ctf");
  QTest::keyClick(patch, Qt::Key_Tab);
  EXPECT_TRUE(docs->isEnabled());
  patch->lineEdit()->setFocus();
  patch->setEditText("   ");
  QTest::keyClick(patch, Qt::Key_Tab);
  EXPECT_EQ(patch->currentText(), "(None)");
  EXPECT_FALSE(docs->isEnabled());

  Control<QTabWidget>(*form, "PageControl1").setCurrentIndex(0);
  emit Control<QComboBox>(*form, "cbQuakeMode").activated(kPlayListen);
  QLineEdit* host = &Control<QLineEdit>(*form, "HostnameEdit");
  host->setFocus();
  host->clear();
  QTest::keyClick(host, Qt::Key_Tab);
  EXPECT_EQ(host->text(), "Unnamed");
}

TEST_F(LaunchForm, ATypedLimitCountsAndMarksTheConfigurationModifiedWhileTheEditHasTheFocus) {
  auto form = Open();
  form->show();
  QApplication::setActiveWindow(form.get());
  emit Control<QComboBox>(*form, "cbQuakeMode").activated(kPlayListen);
  Control<QCheckBox>(*form, "cbFraglimit").click();
  ASSERT_TRUE(form->Configurations().Save("Duel", false));
  TFloatEdit* frags = &Control<TFloatEdit>(*form, "edFraglimit");
  frags->setFocus();
  frags->selectAll();
  QTest::keyClicks(frags, "25");
  // What a launch, a save and closing the window read, before the focus has left the edit.
  EXPECT_EQ(form->GatherLaunchInput().FragLimit, 25.0);
  EXPECT_TRUE(form->Configurations().Modified());
}

TEST_F(LaunchForm, BlanksAroundATypedMapOrDemoNameAreNoPartOfIt) {
  auto form = Open();
  Control<QComboBox>(*form, "cbMap").setEditText("  e1m1 ");
  Control<QComboBox>(*form, "cbDemoRec").setEditText(" my demo ");
  Control<QComboBox>(*form, "cbDemoPlay").setEditText("demo1\t");
  const TLaunchInput input = form->GatherLaunchInput();
  EXPECT_EQ(input.MapText, "e1m1");
  EXPECT_EQ(input.DemoRecord, "my demo");
  EXPECT_EQ(input.DemoPlay, "demo1");
}

TEST_F(LaunchForm, TheWindowKeepsItsWidth) {
  auto form = Open();
  form->show();
  const int width = form->width();  // as designed, or wider for the texts at the test's font
  EXPECT_GE(width, 419);
  form->resize(800, 200);
  EXPECT_EQ(form->width(), width);
  EXPECT_GE(form->height(), 350);
}

// Picks a game type from the box as a user does.
void ChooseGameType(TFXLaunchForm& form, const char* name) {
  QComboBox* types = &Control<QComboBox>(form, "GameModeComboBox");
  const int index = types->findText(name);
  ASSERT_GE(index, 0) << name;
  types->setCurrentIndex(index);
  emit types->activated(index);
}

TEST_F(LaunchForm, ServerOptionsAreSavedWithAConfigurationAndReachTheEngine) {
  struct TCase {
    const char* Type;
    std::function<void()> AnswerDialog;
    std::string Stored;  // the game type's values in user.reg
    std::string Lines;   // what the launch script then holds
    std::string Patch;   // the folder the game type chose
  };
  const std::vector<TCase> cases = {
      {"TeamFortress (2.5)",
       [] {
         test::WhenModal<TTFSettingsDlg>([](TTFSettingsDlg& dialog) {
           QTest::mouseClick(&Control<QCheckBox>(dialog, "cbGrapple"), Qt::LeftButton);
           Control<QComboBox>(dialog, "cbAreaAffect").setCurrentIndex(2);
           QTest::mouseClick(&Control<QPushButton>(dialog, "OKBtn"), Qt::LeftButton);
         });
       },
       "\"TFTemp1\"=dword:00000400\r\n\"TFTeam\"=dword:00000010\r\n",
       "\r\ntemp1 1024\r\nteamplay 17\r\n", "TEAMF"},
      {"Head Hunters (1.0)",
       [] {
         test::WhenModal<THHOptionsDlg>([](THHOptionsDlg& dialog) {
           QTest::mouseClick(&Control<QCheckBox>(dialog, "cbCustom"), Qt::LeftButton);
           QTest::mouseClick(&Control<QPushButton>(dialog, "OKBtn"), Qt::LeftButton);
         });
       },
       // From the fresh choice's default 7169, with custom games off.
       "\"HHDeathmatch\"=dword:00001c00\r\n", "\r\ndeathmatch 1\r\ntemp1 7168\r\n", "HH"},
      {"Varimix by Bolsk",
       [] {
         test::WhenModal<TVarimixOptionsDlg>([](TVarimixOptionsDlg& dialog) {
           Control<QListWidget>(dialog, "clbFeatures").item(0)->setCheckState(Qt::Unchecked);
           QTest::mouseClick(&Control<QPushButton>(dialog, "OKBtn"), Qt::LeftButton);
         });
       },
       "\"VarimixCfg\"=dword:00000001\r\n", "\r\ntemp1 1;deathmatch 1\r\n", "VARIMIX"},
  };
  const fs::path report = Sandbox.Temp() / "report";
  test::WriteStandInEngine(Game / "quake.sh", report);
  AddExe("Stand-in", "quake.sh");
  for (const TCase& c : cases) {
    fs::create_directories(Game / c.Patch);
    {
      auto form = Open();
      ChooseGameType(*form, c.Type);
      emit Control<QComboBox>(*form, "cbQuakeMode").activated(kPlayListen);
      Control<QComboBox>(*form, "cbMap").setEditText("e1m1");
      c.AnswerDialog();
      QTest::mouseClick(&Control<QPushButton>(*form, "AddOptionsButton"), Qt::LeftButton);
      ASSERT_TRUE(form->Configurations().Save("Mod night", false));
      form->close();
    }
    EXPECT_NE(ReadFileBytes(Sandbox.UserReg()).find(c.Stored), std::string::npos) << c.Type;

    // The next run starts with fresh game types and gets the options from the configuration.
    auto form = Open();
    QComboBox* configs = &Control<QComboBox>(*form, "CfgComboBox");
    const int saved = configs->findText("Mod night");
    ASSERT_GE(saved, 0);
    configs->setCurrentIndex(saved);
    emit configs->activated(saved);
    EXPECT_EQ(Control<QComboBox>(*form, "GameModeComboBox").currentText(), c.Type);
    fs::remove(report);
    form->show();
    QApplication::setActiveWindow(form.get());
    QTest::keyClick(form.get(), Qt::Key_F9);
    const auto engine = test::WaitForReport(report);
    ASSERT_TRUE(engine.has_value()) << "the stand-in engine did not start";
    EXPECT_NE(engine->Script.find(c.Lines), std::string::npos) << c.Type << "\n" << engine->Script;
    EXPECT_EQ(engine->Args,
              (std::vector<std::string>{"-listen", "8", "-game", c.Patch, "+exec", "Frax.cfg"}));
    form->close();
  }
}

}  // namespace
}  // namespace fx

namespace fx {
namespace {

// The save chooser asks only about the file as typed; a demo of that name in another case
// is asked about before the record box takes the name.
TEST_F(LaunchForm, RecordBrowseAsksBeforeReplacingADemoInAnyCase) {
  WriteFileBytes(Game / "id1" / "Run1.dem", "-1\n");
  auto form = Open();
  QCheckBox& record = Control<QCheckBox>(*form, "cbRecDemo");
  record.click();  // as the user does: the record box and its button follow
  QComboBox& box = Control<QComboBox>(*form, "cbDemoRec");
  struct TCase {
    std::string Chosen;
    std::vector<TMsgResult> Answers;
    std::string Box;
  };
  const std::vector<TCase> cases = {
      {(Game / "id1" / "run1").string(), {TMsgResult::No}, "(None)"},
      {(Game / "id1" / "RUN1.dem").string(), {TMsgResult::Yes}, "RUN1"},
      {(Game / "id1" / "fresh").string(), {}, "fresh"},
      // The file the chooser returns exists as spelled: it asked itself.
      {(Game / "id1" / "Run1.dem").string(), {}, "Run1"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Chosen);
    box.setEditText("(None)");
    Dialogs.Messages.clear();
    Dialogs.ChooserAnswers = {c.Chosen};
    Dialogs.MessageAnswers.assign(c.Answers.begin(), c.Answers.end());
    QTest::mouseClick(&Control<QPushButton>(*form, "btnDemoRecBrowse"), Qt::LeftButton);
    EXPECT_EQ(box.currentText().toStdString(), c.Box);
    ASSERT_EQ(Dialogs.Messages.size(), c.Answers.size());
    if (!c.Answers.empty()) {
      EXPECT_EQ(Dialogs.Messages[0].Text,
                "The demo \"Run1.dem\" exists already. Recording replaces it.\n\nUse this name?");
    }
  }
}

}  // namespace
}  // namespace fx

namespace fx {
namespace {

// Choosing a demo of a mod folder in the browser fills the playback box with the name the
// engine is given and the patch box with the mod.
TEST_F(LaunchForm, DemoBrowserFillsThePlaybackBoxAndTheMod) {
  WriteFileBytes(Game / "mymod" / "ModRun.dem",
                 test::TNetQuakeDemo().Level(666, "e1m1", "Run", {"p"}, 0.0f, 1.0f, 3).Bytes());
  AddExe("Spasm", "quakespasm");
  // The cache goes where XDG says, here a folder of the test's.
  const fs::path cache = Sandbox.Temp() / "cache";
  const char* before = std::getenv("XDG_CACHE_HOME");
  const std::optional<std::string> saved =
      before ? std::optional<std::string>(before) : std::nullopt;
  ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
  auto form = Open();
  test::WhenModal<TDemoBrowseDlg>([](TDemoBrowseDlg& dialog) {
    dialog.WaitForScan();
    QTest::keyClicks(&Control<QLineEdit>(dialog, "edSearch"), "modrun");
    QTest::keyClick(&Control<QLineEdit>(dialog, "edSearch"), Qt::Key_Down);
    QTest::keyClick(&Control<QTableView>(dialog, "tvDemos"), Qt::Key_Return);
  });
  QTest::mouseClick(&Control<QPushButton>(*form, "btnDemoPlayBrowse"), Qt::LeftButton);
  EXPECT_EQ(Control<QComboBox>(*form, "cbDemoPlay").currentText(), "ModRun");
  EXPECT_EQ(Control<QComboBox>(*form, "PatchComboBox").currentText(), "mymod");
  EXPECT_TRUE(Dialogs.Messages.empty());  // quakespasm plays protocol 666
  EXPECT_TRUE(fs::exists(cache / "fraxinel" / "demos.cache"));
  if (saved)
    ::setenv("XDG_CACHE_HOME", saved->c_str(), 1);
  else
    ::unsetenv("XDG_CACHE_HOME");
}

}  // namespace
}  // namespace fx
