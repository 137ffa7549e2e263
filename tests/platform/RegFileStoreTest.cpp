// The file store within one process: where files go and what they hold,
// how broken, truncated, unreadable and unwritable files are handled, and
// how two stores on one folder merge their changes.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fixtures/ErrorOf.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "fixtures/EnvOverride.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"
#include "platform/RegFileStore.h"
#include "platform/Registry.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::SizeIs;
using ::testing::StartsWith;

// The message of the ERegistryException that `action` throws.
template <typename F>
std::string ErrorOf(F&& action) {
  return test::ErrorOf<ERegistryException>(std::forward<F>(action));
}

std::set<std::string> Entries(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

std::vector<fs::path> BrokenFiles(const fs::path& folder) {
  std::vector<fs::path> found;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().filename().string().starts_with("user.reg.broken-"))
      found.push_back(entry.path());
  return found;
}

const std::string kGoodFile =
    "REGEDIT4\r\n\r\n"
    "; written by hand\r\n"
    "[HKEY_CURRENT_USER\\Software\\Fraxinel]\r\n"
    "\"Old\"=\"kept\"\r\n"
    "\r\n";

class RegFileStoreTest : public ::testing::Test {
 protected:
  fs::path Folder() const { return FTemp / "config" / "fraxinel"; }
  fs::path UserReg() const { return Folder() / "user.reg"; }

  // What a fresh store finds in the folder.
  std::string ReadBack(const std::string& key, const std::string& name) {
    TRegFileStore store(Folder());
    TRegistry reg(store);
    if (!reg.OpenKey(key, false)) return "(no key)";
    return reg.ValueExists(name) ? reg.ReadString(name) : "(no value)";
  }

  test::TTempDir FTemp;
};

TEST_F(RegFileStoreTest, ChangesReachTheFileAtCloseKeyInOurOwnFolder) {
  {
    TRegFileStore store(Folder());
    TRegistry reg(store);
    ASSERT_TRUE(reg.OpenKey("Software\\Fraxinel", true));
    reg.WriteString("Name", "Quake");
    reg.WriteInteger("Count", 42);
    EXPECT_FALSE(fs::exists(UserReg())) << "lazy: nothing written before CloseKey";
    EXPECT_TRUE(store.HasPendingChanges(HKEY_CURRENT_USER));
    reg.CloseKey();
    EXPECT_FALSE(store.HasPendingChanges(HKEY_CURRENT_USER));

    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey("Software", true));
    reg.WriteBool("Machine", true);
    reg.SetRootKey(HKEY_CLASSES_ROOT);
    ASSERT_TRUE(reg.OpenKey(".pak", true));
    reg.WriteString("", "memory only");
    reg.CloseKey();
    EXPECT_EQ(reg.ReadString(""), "") << "root key, not .pak";
    ASSERT_TRUE(reg.OpenKey(".pak", false));
    EXPECT_EQ(reg.ReadString(""), "memory only");
  }
  EXPECT_EQ(test::ReadFileBytes(UserReg()),
            "REGEDIT4\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Fraxinel]\r\n"
            "\"Name\"=\"Quake\"\r\n"
            "\"Count\"=dword:0000002a\r\n\r\n");
  EXPECT_THAT(test::ReadFileBytes(Folder() / "machine.reg"),
              HasSubstr("\"Machine\"=dword:00000001"));
  EXPECT_EQ(Entries(Folder()), (std::set<std::string>{"machine.reg", "machine.reg.lock", "user.reg",
                                                      "user.reg.lock"}));
  EXPECT_EQ(fs::status(Folder()).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_EQ(fs::status(UserReg()).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(ReadBack("Software\\Fraxinel", "NAME"), "Quake");
}

TEST_F(RegFileStoreTest, ReadingAloneNeverRewritesTheFile) {
  TRegFileStore empty(FTemp / "none");
  {
    TRegistry reg(empty);
    EXPECT_FALSE(reg.OpenKey("Software", false));
    EXPECT_FALSE(reg.KeyExists("\\Software"));
  }
  EXPECT_FALSE(fs::exists(FTemp / "none")) << "a missing file is an empty root";

  test::WriteFileBytes(UserReg(), kGoodFile);
  {
    TRegFileStore store(Folder());
    TRegistry reg(store);
    ASSERT_TRUE(reg.OpenKey("Software\\Fraxinel", true)) << "exists: no change";
    EXPECT_EQ(reg.ReadString("old"), "kept");
    reg.WriteString("Old", "kept");
    reg.DeleteValue("NotThere");
    EXPECT_TRUE(store.HasPendingChanges(HKEY_CURRENT_USER)) << "a write is a write";
    reg.CloseKey();
  }
  EXPECT_THAT(test::ReadFileBytes(UserReg()), Not(HasSubstr("; written by hand")));

  test::WriteFileBytes(UserReg(), kGoodFile);
  {
    TRegFileStore store(Folder());
    TRegistry reg(store);
    ASSERT_TRUE(reg.OpenKey("Software\\Fraxinel", true));
    EXPECT_EQ(reg.ReadString("Old"), "kept");
    EXPECT_FALSE(reg.DeleteValue("NotThere"));
  }
  EXPECT_EQ(test::ReadFileBytes(UserReg()), kGoodFile) << "comment still there: not rewritten";
}

TEST_F(RegFileStoreTest, TheFolderComesFromTheEnvironment) {
  const test::TEnvOverride home("HOME", "/home/someone");
  {
    const test::TEnvOverride config("FRAXINEL_CONFIG_DIR", nullptr);
    const test::TEnvOverride xdg("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(TRegFileStore::FolderFromEnvironment(), "/home/someone/.config/fraxinel");
  }
  {
    const test::TEnvOverride config("FRAXINEL_CONFIG_DIR", "");
    const test::TEnvOverride xdg("XDG_CONFIG_HOME", "/xdg");
    EXPECT_EQ(TRegFileStore::FolderFromEnvironment(), "/xdg/fraxinel");
  }
  {
    const test::TEnvOverride config("FRAXINEL_CONFIG_DIR", nullptr);
    const test::TEnvOverride xdg("XDG_CONFIG_HOME", "relative/ignored");
    EXPECT_EQ(TRegFileStore::FolderFromEnvironment(), "/home/someone/.config/fraxinel");
  }
  const test::TConfigDirOverride config(FTemp / "chosen");
  const test::TEnvOverride xdg("XDG_CONFIG_HOME", "/xdg");
  EXPECT_EQ(TRegFileStore::FolderFromEnvironment(), FTemp / "chosen");

  ResetDefaultRegistryStore();
  EXPECT_EQ(DefaultRegistryStore().Folder(), FTemp / "chosen");
  {
    TRegistry reg;
    reg.WriteString("ViaDefault", "yes");
  }
  ResetDefaultRegistryStore();
  EXPECT_THAT(test::ReadFileBytes(FTemp / "chosen" / "user.reg"),
              HasSubstr("[HKEY_CURRENT_USER]\r\n\"ViaDefault\"=\"yes\"\r\n"));
}

TEST_F(RegFileStoreTest, ABrokenFileIsMovedAsideNamedInAWarningAndNeverOverwritten) {
  const std::string broken = "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=dword:zz\r\n";
  test::WriteFileBytes(UserReg(), broken);
  std::vector<std::string> told;
  {
    TRegFileStore store(Folder());
    store.SetWarningSink([&](const std::string& m) { told.push_back(m); });
    TRegistry reg(store);
    EXPECT_FALSE(reg.OpenKey("A", false)) << "the root starts empty";
    ASSERT_THAT(told, SizeIs(1));
    EXPECT_THAT(told[0], StartsWith(UserReg().string() + ", line 3: "));
    EXPECT_THAT(told[0], HasSubstr("moved aside to " + UserReg().string() + ".broken-"));
    EXPECT_EQ(store.TakeWarnings(), told);
    EXPECT_THAT(store.TakeWarnings(), IsEmpty());
    reg.WriteString("Fresh", "1");
  }
  const auto aside = BrokenFiles(Folder());
  ASSERT_THAT(aside, SizeIs(1));
  EXPECT_EQ(test::ReadFileBytes(aside[0]), broken);
  EXPECT_THAT(aside[0].filename().string(),
              ::testing::MatchesRegex("user\\.reg\\.broken-[0-9]{8}-[0-9]{6}"));
  EXPECT_EQ(test::ReadFileBytes(UserReg()),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER]\r\n\"Fresh\"=\"1\"\r\n\r\n");

  // Broken again, within the same second most likely: a second name, the first one kept.
  test::WriteFileBytes(UserReg(), "not a registry file\r\n");
  TRegFileStore again(Folder());
  EXPECT_FALSE(again.KeyExists(HKEY_CURRENT_USER, "A"));
  ASSERT_THAT(again.TakeWarnings(), ElementsAre(HasSubstr("line 1: not a registry file")));
  ASSERT_THAT(BrokenFiles(Folder()), SizeIs(2));
  EXPECT_EQ(test::ReadFileBytes(aside[0]), broken);
  EXPECT_FALSE(fs::exists(UserReg()));
}

TEST_F(RegFileStoreTest, ATruncatedFileIsTreatedAsBrokenNotHalfLoaded) {
  {
    TRegFileStore store(Folder());
    TRegistry reg(store);
    ASSERT_TRUE(reg.OpenKey("Software\\Fraxinel", true));
    for (int i = 0; i < 20; ++i)
      reg.WriteString("Value" + std::to_string(i), "some text");
  }
  const std::string whole = test::ReadFileBytes(UserReg());
  const std::string cut = whole.substr(0, whole.size() / 2 + 3);
  ASSERT_NE(cut.back(), '\n');
  test::WriteFileBytes(UserReg(), cut);

  TRegFileStore store(Folder());
  EXPECT_TRUE(store.SubKeyNames(HKEY_CURRENT_USER, "").empty());
  const auto warnings = store.TakeWarnings();
  ASSERT_THAT(warnings, SizeIs(1));
  EXPECT_THAT(warnings[0], HasSubstr("truncated"));
  EXPECT_THAT(warnings[0], HasSubstr("user.reg, line "));
  ASSERT_THAT(BrokenFiles(Folder()), SizeIs(1));
  EXPECT_EQ(test::ReadFileBytes(BrokenFiles(Folder())[0]), cut);
}

TEST_F(RegFileStoreTest, AFileThatBreaksBeforeTheFlushIsMovedAsideAndOurTreeWritten) {
  test::WriteFileBytes(UserReg(), kGoodFile);
  TRegFileStore store(Folder());
  TRegistry reg(store);
  ASSERT_TRUE(reg.OpenKey("Software\\Fraxinel", false));
  reg.WriteString("New", "1");
  test::WriteFileBytes(UserReg(), "REGEDIT4\r\ngarbage\r\n");
  reg.CloseKey();

  EXPECT_THAT(store.TakeWarnings(), ElementsAre(HasSubstr("user.reg, line 2: ")));
  ASSERT_THAT(BrokenFiles(Folder()), SizeIs(1));
  EXPECT_EQ(test::ReadFileBytes(BrokenFiles(Folder())[0]), "REGEDIT4\r\ngarbage\r\n");
  EXPECT_EQ(ReadBack("Software\\Fraxinel", "Old"), "kept");
  EXPECT_EQ(ReadBack("Software\\Fraxinel", "New"), "1");
}

TEST_F(RegFileStoreTest, SectionsOfAnotherRootAreReportedAndLeftOut) {
  test::WriteFileBytes(UserReg(),
                       kGoodFile + "[HKEY_LOCAL_MACHINE\\Software]\r\n\"m\"=\"1\"\r\n\r\n");
  TRegFileStore store(Folder());
  EXPECT_EQ(store.GetValue(HKEY_CURRENT_USER, "Software\\Fraxinel", "Old")->Data, "kept");
  EXPECT_THAT(store.TakeWarnings(), ElementsAre(HasSubstr("user.reg, line 7: ")));
  EXPECT_FALSE(store.KeyExists(HKEY_LOCAL_MACHINE, "Software")) << "machine.reg is its home";
  EXPECT_TRUE(BrokenFiles(Folder()).empty());
}

TEST_F(RegFileStoreTest, TwoStoresOnOneFolderKeepEachOthersChanges) {
  test::WriteFileBytes(UserReg(),
                       kGoodFile + "[HKEY_CURRENT_USER\\Software\\Gone]\r\n\"g\"=\"1\"\r\n\r\n");
  TRegFileStore first(Folder());
  TRegFileStore second(Folder());
  {
    TRegistry a(first);
    TRegistry b(second);
    ASSERT_TRUE(a.OpenKey("Software\\Fraxinel", false));
    ASSERT_TRUE(b.OpenKey("Software\\Fraxinel", false));
    a.WriteString("FromA", "a");
    a.WriteString("Both", "a");
    EXPECT_TRUE(a.DeleteKey("\\Software\\Gone"));
    b.WriteString("FromB", "b");
    b.WriteString("Both", "b");
    b.DeleteValue("Old");
    a.CloseKey();
    b.CloseKey();
    EXPECT_FALSE(b.KeyExists("\\Software\\Gone")) << "b took the merged file as its tree";
    ASSERT_TRUE(b.OpenKey("Software\\Fraxinel", false));
    EXPECT_EQ(b.ReadString("FromA"), "a");
  }
  EXPECT_EQ(ReadBack("Software\\Fraxinel", "FromA"), "a");
  EXPECT_EQ(ReadBack("Software\\Fraxinel", "FromB"), "b");
  EXPECT_EQ(ReadBack("Software\\Fraxinel", "Both"), "b") << "the later save wins";
  EXPECT_EQ(ReadBack("Software\\Fraxinel", "Old"), "(no value)");
  EXPECT_EQ(ReadBack("Software\\Gone", "g"), "(no key)");
}

TEST_F(RegFileStoreTest, ATemporaryFileLeftByAKilledSaveIsIgnoredAndRemoved) {
  test::WriteFileBytes(UserReg(), kGoodFile);
  const fs::path stray = Folder() / "user.reg.tmp-99999-1";
  test::WriteFileBytes(stray, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Fraxin");
  TRegFileStore store(Folder());
  EXPECT_EQ(store.GetValue(HKEY_CURRENT_USER, "Software\\Fraxinel", "Old")->Data, "kept");
  EXPECT_THAT(store.TakeWarnings(), IsEmpty());
  store.SetValue(HKEY_CURRENT_USER, "", "x", {REG_SZ, "1"});
  store.Flush(HKEY_CURRENT_USER);
  EXPECT_FALSE(fs::exists(stray));
  EXPECT_EQ(Entries(Folder()), (std::set<std::string>{"user.reg", "user.reg.lock"}));
}

// Root may write into a folder without write bits; then there is nothing to see.
bool WritableAnyway(const fs::path& path) {
  return ::access(path.c_str(), W_OK) == 0;
}
bool ReadableAnyway(const fs::path& path) {
  return ::access(path.c_str(), R_OK) == 0;
}

TEST_F(RegFileStoreTest, AReadOnlyFolderFailsTheFlushClearlyAndKeepsTheChanges) {
  test::WriteFileBytes(UserReg(), kGoodFile);
  fs::permissions(Folder(), fs::perms::owner_read | fs::perms::owner_exec);
  if (WritableAnyway(Folder())) {
    fs::permissions(Folder(), fs::perms::owner_all);
    GTEST_SKIP() << "running with rights that write into a read-only folder (root)";
  }
  TRegFileStore store(Folder());
  TRegistry reg(store);
  ASSERT_TRUE(reg.OpenKey("Software\\Fraxinel", false));
  reg.WriteString("New", "1");
  const std::string error = ErrorOf([&] { reg.CloseKey(); });
  EXPECT_THAT(error, HasSubstr(Folder().string()));
  EXPECT_THAT(error, HasSubstr("Permission denied"));
  EXPECT_TRUE(store.HasPendingChanges(HKEY_CURRENT_USER));
  EXPECT_EQ(test::ReadFileBytes(UserReg()), kGoodFile);

  fs::permissions(Folder(), fs::perms::owner_all);
  reg.CloseKey();
  EXPECT_EQ(ReadBack("Software\\Fraxinel", "New"), "1");
  EXPECT_EQ(ReadBack("Software\\Fraxinel", "Old"), "kept");
}

TEST_F(RegFileStoreTest, ABrokenFileThatCannotBeMovedAsideIsLeftAloneAndNotOverwritten) {
  const std::string broken = "REGEDIT4\r\n[HKEY_CURRENT_USER\\A\r\n";
  test::WriteFileBytes(UserReg(), broken);
  fs::permissions(Folder(), fs::perms::owner_read | fs::perms::owner_exec);
  if (WritableAnyway(Folder())) {
    fs::permissions(Folder(), fs::perms::owner_all);
    GTEST_SKIP() << "running with rights that write into a read-only folder (root)";
  }
  TRegFileStore store(Folder());
  TRegistry reg(store);
  EXPECT_FALSE(reg.KeyExists("A"));
  const auto warnings = store.TakeWarnings();
  ASSERT_THAT(warnings, SizeIs(1));
  EXPECT_THAT(warnings[0], StartsWith(UserReg().string() + ", line 2: "));
  EXPECT_THAT(warnings[0], HasSubstr("could not be moved aside"));
  reg.WriteString("x", "1");
  EXPECT_THROW(reg.CloseKey(), ERegistryException);
  fs::permissions(Folder(), fs::perms::owner_all);
  EXPECT_EQ(test::ReadFileBytes(UserReg()), broken);
  EXPECT_TRUE(store.HasPendingChanges(HKEY_CURRENT_USER));
}

TEST_F(RegFileStoreTest, AFolderThatCannotBeMadeFailsTheFlushClearlyAndKeepsTheChanges) {
  // A file where the folder should be stops root as well as anyone.
  const fs::path blocker = FTemp / "blocker";
  test::WriteFileBytes(blocker, "");
  TRegFileStore store(blocker / "fraxinel");
  TRegistry reg(store);
  reg.SetLazyWrite(false);
  const std::string error = ErrorOf([&] { reg.WriteInteger("Kept", 7); });
  EXPECT_THAT(error, HasSubstr((blocker / "fraxinel").string()));
  EXPECT_THAT(error, HasSubstr("Not a directory"));
  EXPECT_TRUE(store.HasPendingChanges(HKEY_CURRENT_USER));
  EXPECT_EQ(reg.ReadInteger("Kept"), 7);

  fs::remove(blocker);
  reg.CloseKey();
  EXPECT_FALSE(store.HasPendingChanges(HKEY_CURRENT_USER));
  EXPECT_THAT(test::ReadFileBytes(blocker / "fraxinel" / "user.reg"),
              HasSubstr("\"Kept\"=dword:00000007"));
}

TEST_F(RegFileStoreTest, AnUnreadableFileIsAnErrorNotAnEmptyRoot) {
  // A folder in the file's place cannot be read by root either.
  fs::create_directories(UserReg());
  TRegFileStore store(Folder());
  TRegistry reg(store);
  const std::string error = ErrorOf([&] { reg.OpenKey("Software", true); });
  EXPECT_THAT(error, HasSubstr(UserReg().string()));
  EXPECT_THAT(error, HasSubstr("Is a directory"));
  EXPECT_THROW(reg.WriteString("x", "y"), ERegistryException);
  reg.CloseKey();
  EXPECT_TRUE(fs::is_directory(UserReg()));
  EXPECT_FALSE(store.HasPendingChanges(HKEY_CURRENT_USER));
}

TEST_F(RegFileStoreTest, AFileWithoutReadPermissionIsAnErrorAndStaysAsItIs) {
  test::WriteFileBytes(UserReg(), kGoodFile);
  fs::permissions(UserReg(), fs::perms::none);
  if (ReadableAnyway(UserReg())) GTEST_SKIP() << "running with rights that read any file (root)";
  TRegFileStore store(Folder());
  TRegistry reg(store);
  const std::string error = ErrorOf([&] { reg.WriteString("x", "y"); });
  EXPECT_THAT(error, HasSubstr(UserReg().string()));
  EXPECT_THAT(error, HasSubstr("Permission denied"));
  reg.CloseKey();
  fs::permissions(UserReg(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(test::ReadFileBytes(UserReg()), kGoodFile);
}

}  // namespace
}  // namespace fx
