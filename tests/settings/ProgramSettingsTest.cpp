// The program-wide settings pair: loading machine-wide then per-user, what happens with
// a broken file or a bad value, saving once (by Save or at the end), and the access
// for the views.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "fixtures/ErrorOf.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/ScriptedDialogs.h"
#include "settings/FXSettings.h"
#include "tests/settings/RegistrySandbox.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class ProgramSettingsTest : public ::testing::Test {
 protected:
  std::function<void(const std::string&)> Collect() {
    return [this](const std::string& message) { FErrors.push_back(message); };
  }

  void WriteValues(HKEY root, const std::function<void(TRegistry&)>& write) {
    {
      TRegistry reg;
      reg.SetRootKey(root);
      ASSERT_TRUE(reg.OpenKey("Software\\Bolsk\\Fraxinel", true));
      write(reg);
    }
    FRegistry.Reopen();
  }

  std::string ReadUserString(const std::string& name) {
    FRegistry.Reopen();
    TRegistry reg;
    if (!reg.OpenKey("Software\\Bolsk\\Fraxinel", false)) return "(no key)";
    return reg.ValueExists(name) ? reg.ReadString(name) : "(no value)";
  }

  test::TRegistrySandbox FRegistry;
  std::vector<std::string> FErrors;
};

TEST_F(ProgramSettingsTest, LoadsBothObjectsFromTheirRoots) {
  WriteValues(HKEY_LOCAL_MACHINE, [](TRegistry& reg) {
    reg.WriteInteger("Version", 1);
    reg.WriteString("CfgFileName", "mine.cfg");
  });
  WriteValues(HKEY_CURRENT_USER, [](TRegistry& reg) {
    reg.WriteString("LastConfig", "Coop");
    reg.WriteString("Version", "a per-user value of that name is not the machine's");
  });
  TProgramSettings settings(Collect());
  EXPECT_THAT(FErrors, IsEmpty());
  EXPECT_EQ(settings.Machine.Version(), 1);
  EXPECT_EQ(settings.Machine.CfgFileName(), "mine.cfg");
  EXPECT_EQ(settings.User.LastConfig(), "Coop");
  EXPECT_EQ(settings.Machine.RootKey(), HKEY_LOCAL_MACHINE);
  EXPECT_EQ(settings.User.RootKey(), HKEY_CURRENT_USER);
}

TEST_F(ProgramSettingsTest, ACorruptUserFileIsMovedAsideAndTheSettingsStartAfresh) {
  test::WriteFileBytes(FRegistry.UserReg(),
                       "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Bolsk\\Fraxinel]\r\n"
                       "\"InGameCmds\"=\"False\"\r\n\"LastConfig\"=unquoted garbage\r\n\r\n");
  FRegistry.Reopen();
  {
    TProgramSettings settings(Collect());
    EXPECT_THAT(FErrors, IsEmpty()) << "the store recovers; nothing for the user to answer";
    EXPECT_TRUE(settings.User.InGameCmds()) << "nothing of the broken file is used";
    EXPECT_EQ(settings.User.LastConfig(), "");
    EXPECT_THAT(FRegistry.Store().TakeWarnings(), Contains(HasSubstr("user.reg")));
    settings.User.SetLastConfig("after recovery");
  }
  std::vector<std::string> broken;
  for (const auto& entry : fs::directory_iterator(FRegistry.Folder()))
    if (entry.path().filename().string().starts_with("user.reg.broken-"))
      broken.push_back(test::ReadFileBytes(entry.path()));
  ASSERT_EQ(broken.size(), 1u);
  EXPECT_THAT(broken[0], HasSubstr("unquoted garbage")) << "kept for the user, unchanged";
  EXPECT_EQ(ReadUserString("LastConfig"), "after recovery") << "a fresh file was written";
}

TEST_F(ProgramSettingsTest, AValueOfTheWrongTypeIsReportedAndTheOtherValuesLoad) {
  WriteValues(HKEY_LOCAL_MACHINE, [](TRegistry& reg) { reg.WriteString("QPath", "/games/q"); });
  WriteValues(HKEY_CURRENT_USER, [](TRegistry& reg) {
    reg.WriteString("ShowCmdLine", "True");
    reg.WriteInteger("LastConfig", 3);
    reg.WriteString("InGameCmds", "False");
  });
  TProgramSettings settings(Collect());
  EXPECT_THAT(FErrors, ElementsAre(HasSubstr("value \"LastConfig\": Invalid data type")));
  EXPECT_EQ(settings.Machine.QPath(), "/games/q") << "the machine-wide load is not affected";
  EXPECT_TRUE(settings.User.ShowCmdLine()) << "read before the bad value";
  EXPECT_FALSE(settings.User.InGameCmds()) << "read after the bad value too";
}

TEST_F(ProgramSettingsTest, ADamagedGeneralCommandCostsNothingElseAndIsKept) {
  WriteValues(HKEY_CURRENT_USER, [](TRegistry& reg) {
    ASSERT_TRUE(reg.OpenKey("AddParms", true));
    reg.WriteString("Item0", "bind a");
    reg.WriteInteger("Item1", 1);
    reg.WriteString("Item2", "bind c");
    ASSERT_TRUE(reg.OpenKey("\\Software\\Bolsk\\Fraxinel", false));
    reg.WriteString("DelOnLaunch", "True");
    reg.WriteString("InGameCmds", "False");
  });
  {
    TProgramSettings settings(Collect());
    ASSERT_EQ(FErrors.size(), 1u);
    EXPECT_THAT(FErrors[0], HasSubstr(FRegistry.UserReg().string()));
    EXPECT_THAT(FErrors[0], HasSubstr("HKEY_CURRENT_USER\\Software\\Bolsk\\Fraxinel\\AddParms, "
                                      "value \"Item1\": Invalid data type for 'Item1'"));
    EXPECT_THAT(settings.User.AddParms(), ElementsAre("bind a", "bind c"));
    EXPECT_TRUE(settings.User.DelOnLaunch());
    EXPECT_FALSE(settings.User.InGameCmds());
  }  // saved at the end
  FRegistry.Reopen();
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("Software\\Bolsk\\Fraxinel\\AddParms", false));
  EXPECT_EQ(reg.ReadInteger("Item1"), 1) << "the damaged value is left as it was";
  EXPECT_EQ(reg.ReadString("Item2"), "bind c");
  EXPECT_EQ(ReadUserString("InGameCmds"), "False");
  EXPECT_EQ(ReadUserString("DelOnLaunch"), "True");
}

TEST_F(ProgramSettingsTest, AMachineWideErrorStillLetsThePerUserSettingsLoad) {
  WriteValues(HKEY_LOCAL_MACHINE, [](TRegistry& reg) { reg.WriteString("Version", "1"); });
  WriteValues(HKEY_CURRENT_USER, [](TRegistry& reg) { reg.WriteString("LastConfig", "CTF"); });
  TProgramSettings settings(Collect());
  EXPECT_THAT(FErrors, ElementsAre(HasSubstr("value \"Version\": Invalid data type")));
  EXPECT_EQ(settings.Machine.Version(), 0);
  EXPECT_EQ(settings.User.LastConfig(), "CTF");
}

TEST_F(ProgramSettingsTest, TheEndSavesWhatWasNotSaved) {
  {
    TProgramSettings settings;
    settings.User.SetLastConfig("Deathmatch");
    settings.Machine.SetVersion(1);
  }
  EXPECT_EQ(ReadUserString("LastConfig"), "Deathmatch");
  EXPECT_THAT(test::TRegistrySandbox::Section(FRegistry.MachineReg(),
                                              "[HKEY_LOCAL_MACHINE\\Software\\Bolsk\\Fraxinel]"),
              testing::Optional(Contains("\"Version\"=dword:00000001")));
}

TEST_F(ProgramSettingsTest, AfterSaveTheEndWritesNothingMore) {
  {
    TProgramSettings settings;
    settings.User.SetLastConfig("saved");
    settings.Save();
    EXPECT_EQ(ReadUserString("LastConfig"), "saved");
    settings.User.SetLastConfig("changed after the save");
  }
  EXPECT_EQ(ReadUserString("LastConfig"), "saved");
}

TEST_F(ProgramSettingsTest, AnUnwritableFolderIsReportedBySaveAndNotThrownByTheEnd) {
  // A regular file where the settings folder should be: no file can be written below it,
  // whoever runs the test.
  fs::remove_all(FRegistry.Folder());
  test::WriteFileBytes(FRegistry.Folder(), "not a folder");
  FRegistry.Reopen();
  {
    TProgramSettings settings(Collect());
    EXPECT_THAT(FErrors, ElementsAre(HasSubstr("Not a directory"), HasSubstr("Not a directory")))
        << "both loads report the folder";
    settings.User.SetLastConfig("lost");
    EXPECT_THROW(settings.Save(), ERegistryException);
  }
  {
    TProgramSettings settings;
    settings.User.SetLastConfig("lost");
    // The destructor reports to stderr; leaving the scope must not throw or abort.
  }
}

TEST_F(ProgramSettingsTest, SaveNowWritesAtOnceAndTheEndStillSavesWhatCameLater) {
  test::TScriptedDialogs dialogs;
  {
    TProgramSettings settings;
    settings.Machine.SetVersion(1);
    EXPECT_TRUE(SaveProgramSettingsNow(settings.User, settings.Machine, dialogs));
    FRegistry.Reopen();  // as a program killed now would leave it
    EXPECT_THAT(test::TRegistrySandbox::Section(FRegistry.MachineReg(),
                                                "[HKEY_LOCAL_MACHINE\\Software\\Bolsk\\Fraxinel]"),
                testing::Optional(Contains("\"Version\"=dword:00000001")));
    settings.User.SetLastConfig("after the save");
  }
  EXPECT_EQ(ReadUserString("LastConfig"), "after the save");
  EXPECT_THAT(dialogs.Messages, IsEmpty());
}

TEST_F(ProgramSettingsTest, AFailedSaveNowIsShownAsAtTheEndAndTheValuesWaitForTheNextTry) {
  test::TScriptedDialogs dialogs;
  dialogs.MessageAnswers = {TMsgResult::Ok};
  TProgramSettings settings;
  settings.User.SetLastConfig("kept");
  // A regular file where the settings folder should be: nothing can be written below it,
  // whoever runs the test.
  fs::create_directories(FRegistry.Folder());
  fs::rename(FRegistry.Folder(), FRegistry.Temp() / "aside");
  test::WriteFileBytes(FRegistry.Folder(), "not a folder");

  EXPECT_FALSE(SaveProgramSettingsNow(settings.User, settings.Machine, dialogs));
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_THAT(dialogs.Messages[0].Text,
              testing::StartsWith("The settings could not be saved.\n\n"));
  EXPECT_THAT(dialogs.Messages[0].Text, HasSubstr("Not a directory"));
  EXPECT_EQ(dialogs.Messages[0].Icon, TMsgIcon::Error);

  fs::remove(FRegistry.Folder());
  fs::rename(FRegistry.Temp() / "aside", FRegistry.Folder());
  EXPECT_TRUE(SaveProgramSettingsNow(settings.User, settings.Machine, dialogs));
  EXPECT_EQ(ReadUserString("LastConfig"), "kept");
}

TEST_F(ProgramSettingsTest, TheLiveInstanceIsReachableAndThereIsOnlyOne) {
  EXPECT_THROW(FXSettings(), std::logic_error);
  EXPECT_THROW(FXUserSettings(), std::logic_error);
  {
    TProgramSettings settings;
    EXPECT_EQ(&FXSettings(), &settings.Machine);
    EXPECT_EQ(&FXUserSettings(), &settings.User);
    EXPECT_THROW(TProgramSettings second, std::logic_error);
    EXPECT_EQ(&FXSettings(), &settings.Machine) << "the failed second one changed nothing";
  }
  EXPECT_THROW(FXSettings(), std::logic_error);
  TProgramSettings next;
  EXPECT_EQ(&FXUserSettings(), &next.User);
}

}  // namespace
}  // namespace fx
