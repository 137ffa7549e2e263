#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "exes/FXExes.h"
#include "fixtures/ErrorOf.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"
#include "platform/RegFileStore.h"
#include "platform/Registry.h"
#include "settings/FirstRun.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using test::ErrorOf;
using test::ReadFileBytes;
using test::TTempDir;

constexpr const char* kSection = "[HKEY_LOCAL_MACHINE\\Software\\Bolsk\\Fraxinel\\Executables";

// The machine-wide registry file in a temporary folder; each Registry() is a fresh store
// that knows only what the file holds, as the program's next run would.
class ExeList : public ::testing::Test {
 protected:
  TTempDir FTemp;

  TRegFileStore& Reopen() {
    FStore.reset();
    FStore.emplace(FTemp.Path());
    return *FStore;
  }
  TQuakeExeList Load() {
    TRegistry registry(Reopen());
    TQuakeExeList list = LoadExeList(registry);
    EXPECT_FALSE(registry.HasKeyOpen());
    return list;
  }
  void Save(const TQuakeExeList& list) {
    TRegistry registry(Reopen());
    SaveExeList(registry, list);
    EXPECT_FALSE(registry.HasKeyOpen());
  }
  std::string MachineFile() const { return ReadFileBytes(FTemp / "machine.reg"); }

 private:
  std::optional<TRegFileStore> FStore;
};

std::vector<std::string> Names(const TQuakeExeList& list) {
  std::vector<std::string> names;
  for (const TQuakeExe& exe : list)
    names.push_back(exe.Name());
  return names;
}

TQuakeExe Entry(const std::string& name, TExeType type, const std::string& file, int megabytes,
                TAllocMethod method, bool setMemSize, const std::string& cmdLine = "") {
  TQuakeExe exe(name);
  exe.ExeType = type;
  exe.ExeName = file;
  exe.CmdLine = cmdLine;
  exe.MemSize = megabytes;
  exe.AllocMethod = method;
  exe.SetMemSize = setMemSize;
  return exe;
}

void ExpectSame(const TQuakeExe& a, const TQuakeExe& b) {
  SCOPED_TRACE(a.Name());
  EXPECT_EQ(a.Name(), b.Name());
  EXPECT_EQ(a.ExeType, b.ExeType);
  EXPECT_EQ(a.ExeName, b.ExeName);
  EXPECT_EQ(a.CmdLine, b.CmdLine);
  EXPECT_EQ(a.MemSize, b.MemSize);
  EXPECT_EQ(a.AllocMethod, b.AllocMethod);
  EXPECT_EQ(a.SetMemSize, b.SetMemSize);
}

TEST_F(ExeList, RoundTripThroughTheRegistryFile) {
  const TQuakeExeList saved{
      Entry("DOS Quake", TExeType::DosQuake, "quake.exe", 12, TAllocMethod::LockMemory, true),
      Entry("Quakespasm", TExeType::OpenGLQuake, "/usr/games/quakespasm", 64,
            TAllocMethod::LockAndUnlockMemory, false, "-fitz +set \"name\" x"),
      Entry("Quake (Win95 TCP/IP)", TExeType::Q95BatchFile, "q95.bat", 16, TAllocMethod::Standard,
            true),
  };
  Save(saved);
  const TQuakeExeList loaded = Load();
  // The registry enumerates sub-keys sorted without regard to case.
  ASSERT_EQ(Names(loaded),
            (std::vector<std::string>{"DOS Quake", "Quake (Win95 TCP/IP)", "Quakespasm"}));
  ExpectSame(loaded[0], saved[0]);
  ExpectSame(loaded[1], saved[2]);
  ExpectSame(loaded[2], saved[1]);

  // In the file, each entry's values stand in the order they are written.
  const std::string file = MachineFile();
  const std::string entry = std::string(kSection) + "\\DOS Quake]\r\n";
  EXPECT_NE(file.find(entry + "\"ExeName\"=\"quake.exe\"\r\n"
                              "\"CmdLine\"=\"\"\r\n"
                              "\"ExeType\"=dword:00000000\r\n"
                              "\"AllocMethod\"=dword:00000001\r\n"
                              "\"MemSize\"=dword:0000000c\r\n"
                              "\"SetMemSize\"=dword:00000001\r\n"),
            std::string::npos)
      << file;
}

TEST_F(ExeList, SavingAfterADeletionRemovesTheEntrysKey) {
  Save({Entry("WinQuake", TExeType::WinQuake, "winquake.exe", 16, TAllocMethod::Standard, true),
        Entry("GLQuake", TExeType::OpenGLQuake, "glquake.exe", 16, TAllocMethod::Standard, true),
        Entry("Rendition", TExeType::Rendition, "vquake.exe", 8, TAllocMethod::Standard, false)});
  TQuakeExeList list = Load();
  ASSERT_EQ(list.size(), 3u);
  list.erase(list.begin());  // "GLQuake"
  Save(list);

  EXPECT_EQ(Names(Load()), (std::vector<std::string>{"Rendition", "WinQuake"}));
  EXPECT_EQ(MachineFile().find("GLQuake"), std::string::npos);
  TRegistry registry(Reopen());
  registry.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(registry.KeyExists(ExeListKey() + "\\GLQuake"));
}

TEST_F(ExeList, TheKeyHoldsExactlyTheListAfterSaving) {
  {
    // Left-overs of a hand-edited registry: a stray value and a nested key.
    TRegistry registry(Reopen());
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(registry.OpenKey(ExeListKey() + "\\Old\\Nested", true));
    registry.WriteString("ExeName", "old.exe");
    ASSERT_TRUE(registry.OpenKey(ExeListKey(), false));
    registry.WriteInteger("Stray", 1);
    registry.CloseKey();
  }
  Save({Entry("New", TExeType::WinQuake, "new.exe", 8, TAllocMethod::Standard, false)});

  TRegistry registry(Reopen());
  registry.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(registry.OpenKeyReadOnly(ExeListKey()));
  EXPECT_EQ(registry.GetKeyNames(), std::vector<std::string>{"New"});
  EXPECT_TRUE(registry.GetValueNames().empty());
  EXPECT_EQ(MachineFile().find("old.exe"), std::string::npos);
}

TEST_F(ExeList, SavingAnEmptyListLeavesAnEmptyKey) {
  Save({Entry("A", TExeType::WinQuake, "a", 8, TAllocMethod::Standard, false)});
  Save({});
  EXPECT_TRUE(Load().empty());
  EXPECT_NE(MachineFile().find(std::string(kSection) + "]\r\n"), std::string::npos);
}

TEST_F(ExeList, FirstRunEntriesLoadWithTheReadingDefaults) {
  {
    TRegistry registry(Reopen());
    CreateStandardExecutables(registry);
  }
  const TQuakeExeList list = Load();
  ASSERT_EQ(Names(list),
            (std::vector<std::string>{"DOS Quake", "OpenGL Quake", "Quake (Win95 TCP/IP)",
                                      "Rendition", "WinQuake"}));
  const std::vector<TExeType> types{TExeType::DosQuake, TExeType::OpenGLQuake,
                                    TExeType::Q95BatchFile, TExeType::Rendition,
                                    TExeType::WinQuake};
  for (std::size_t i = 0; i < list.size(); ++i) {
    SCOPED_TRACE(list[i].Name());
    EXPECT_EQ(list[i].ExeType, types[i]);
    EXPECT_EQ(list[i].MemSize, 8);
    EXPECT_FALSE(list[i].SetMemSize);
    EXPECT_EQ(list[i].AllocMethod, TAllocMethod::Standard);
    EXPECT_EQ(list[i].Parameters("+exec Frax.cfg"), " +exec Frax.cfg");
  }
  EXPECT_EQ(list[1].ExeName, "glquake.exe");
}

TEST_F(ExeList, LoadingCreatesAMissingKeyAndGivesAnEmptyList) {
  EXPECT_TRUE(Load().empty());
  TRegistry registry(Reopen());
  registry.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_TRUE(registry.KeyExists(ExeListKey()));
}

TEST_F(ExeList, ADamagedValueKeepsItsEntryListedAndStoredAsItIsUntilTheUserStoresIt) {
  Save({Entry("Good", TExeType::DosQuake, "quake.exe", 8, TAllocMethod::Standard, false),
        Entry("Broken", TExeType::OpenGLQuake, "quakespasm", 8, TAllocMethod::Standard, true)});
  {
    TRegistry registry(Reopen());
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(registry.OpenKey(ExeListKey() + "\\Broken", false));
    registry.WriteString("MemSize", "abc");
    registry.CloseKey();
  }
  TQuakeExeList list = Load();
  ASSERT_EQ(Names(list), (std::vector<std::string>{"Broken", "Good"}));
  EXPECT_EQ(list[0].LoadError, "Invalid data type for 'MemSize'");
  // The values before and after the damaged one are read; it keeps its default.
  EXPECT_EQ(list[0].ExeName, "quakespasm");
  EXPECT_TRUE(list[0].SetMemSize);
  EXPECT_EQ(list[0].MemSize, 8);
  EXPECT_EQ(list[1].LoadError, "");

  list[1].CmdLine = "-nosound";
  Save(list);
  EXPECT_NE(MachineFile().find("\"MemSize\"=\"abc\""), std::string::npos) << MachineFile();
  EXPECT_EQ(Load()[1].CmdLine, "-nosound");

  ApplyExeProps(FillExeProps(list[0]), list[0]);  // OK in its Properties
  Save(list);
  EXPECT_EQ(MachineFile().find("\"abc\""), std::string::npos) << MachineFile();
  EXPECT_EQ(Load()[0].LoadError, "");
}

TEST_F(ExeList, NamesEqualButForCaseEndAsOneKeyWithTheLaterValues) {
  Save({Entry("quake", TExeType::DosQuake, "first.exe", 8, TAllocMethod::Standard, false),
        Entry("QUAKE", TExeType::WinQuake, "second.exe", 8, TAllocMethod::Standard, false)});
  const TQuakeExeList list = Load();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].ExeName, "second.exe");
}

}  // namespace
}  // namespace fx
