#include <gtest/gtest.h>

#include <string>

#include "exes/FXExes.h"
#include "fixtures/ErrorOf.h"
#include "platform/MemRegistryBackend.h"
#include "platform/Registry.h"

namespace fx {
namespace {

using test::ErrorOf;

// What the launch pipeline hands to an entry.
constexpr const char* kLaunch = "+exec Frax.cfg -game ctf";

TQuakeExe Exe(TExeType type, int megabytes, TAllocMethod method = TAllocMethod::Standard,
              bool setMemSize = true) {
  TQuakeExe exe("Test");
  exe.ExeType = type;
  exe.MemSize = megabytes;
  exe.AllocMethod = method;
  exe.SetMemSize = setMemSize;
  return exe;
}

TEST(ExeParameters, HeapSwitchStandsFirstInKilobytesForWinQuakeAndOpenGL) {
  // The switch's own trailing blank, then the blank before the launch parameters.
  EXPECT_EQ(Exe(TExeType::WinQuake, 16).Parameters(kLaunch),
            "-heapsize 16384  +exec Frax.cfg -game ctf");
  EXPECT_EQ(Exe(TExeType::OpenGLQuake, 16).Parameters(kLaunch),
            "-heapsize 16384  +exec Frax.cfg -game ctf");
}

TEST(ExeParameters, HeapSwitchIgnoresTheAllocationMethod) {
  EXPECT_EQ(Exe(TExeType::WinQuake, 8, TAllocMethod::LockAndUnlockMemory).Parameters(kLaunch),
            "-heapsize 8192  +exec Frax.cfg -game ctf");
  EXPECT_EQ(Exe(TExeType::OpenGLQuake, 8, TAllocMethod::LockMemory).Parameters(kLaunch),
            "-heapsize 8192  +exec Frax.cfg -game ctf");
}

TEST(ExeParameters, OwnCommandLineComesBeforeTheLaunchParametersAfterTheHeapSwitch) {
  TQuakeExe exe = Exe(TExeType::WinQuake, 24);
  exe.CmdLine = "-nosound -width 640";
  EXPECT_EQ(exe.Parameters(kLaunch),
            "-heapsize 24576 -nosound -width 640 +exec Frax.cfg -game ctf");
}

TEST(ExeParameters, WinmemSwitchIsAppendedInMegabytesWithTheLockSwitch) {
  EXPECT_EQ(Exe(TExeType::DosQuake, 12, TAllocMethod::LockMemory).Parameters(kLaunch),
            " +exec Frax.cfg -game ctf -winmem 12 -winlock");
  EXPECT_EQ(Exe(TExeType::DosQuake, 12, TAllocMethod::Standard).Parameters(kLaunch),
            " +exec Frax.cfg -game ctf -winmem 12");
  for (const TExeType type : {TExeType::DosQuake, TExeType::Rendition, TExeType::Q95BatchFile}) {
    SCOPED_TRACE(static_cast<int>(type));
    EXPECT_EQ(Exe(type, 12, TAllocMethod::LockAndUnlockMemory).Parameters(kLaunch),
              " +exec Frax.cfg -game ctf -winmem 12 -winlockunlock");
  }
}

TEST(ExeParameters, NoMemoryOrLockSwitchWithoutSetMemSizeWhateverTheType) {
  for (int type = 0; type <= 5; ++type) {
    for (int method = 0; method <= 2; ++method) {
      SCOPED_TRACE(std::to_string(type) + "/" + std::to_string(method));
      TQuakeExe exe = Exe(static_cast<TExeType>(type), 16, static_cast<TAllocMethod>(method),
                          /*setMemSize=*/false);
      exe.CmdLine = "-nocdaudio";
      EXPECT_EQ(exe.Parameters(kLaunch), "-nocdaudio +exec Frax.cfg -game ctf");
    }
  }
}

TEST(ExeParameters, BlankAfterTheOwnCommandLineStandsEvenWhenBothAreEmpty) {
  EXPECT_EQ(TQuakeExe("Test").Parameters(""), " ");
  EXPECT_EQ(Exe(TExeType::DosQuake, 0).Parameters(""), "  -winmem 0");
}

TEST(ExeParameters, TypeUnknownToTheProgramGetsNoMemorySwitch) {
  // Only an edited registry holds such a type.
  EXPECT_EQ(Exe(static_cast<TExeType>(9), 16, TAllocMethod::LockMemory).Parameters(kLaunch),
            " +exec Frax.cfg -game ctf");
}

TEST(ExeParameters, AllocationMethodUnknownToTheProgramAddsNoLockSwitch) {
  EXPECT_EQ(Exe(TExeType::Rendition, 4, static_cast<TAllocMethod>(3)).Parameters("-x"),
            " -x -winmem 4");
}

TEST(ExeParameters, HugeHeapWrapsAsThe32BitShiftDoesInsteadOfOverflowing) {
  // 2^21 MB is 2^31 KB: one past the largest 32-bit number.
  EXPECT_EQ(Exe(TExeType::WinQuake, 2097152).Parameters("-x"), "-heapsize -2147483648  -x");
  EXPECT_EQ(Exe(TExeType::WinQuake, -1).Parameters("-x"), "-heapsize -1024  -x");
}

TEST(ExeParameters, MemorySwitchesGoOnlyToEnginesThatReadThem) {
  struct TCase {
    const char* Program;
    TExeType Type;
    const char* Expected;
  };
  const TCase cases[] = {
      {"/usr/games/quakespasm", TExeType::OpenGLQuake, "-heapsize 16384  -x"},
      {"ironwail", TExeType::WinQuake, "-heapsize 16384  -x"},
      {"quakespasm-spiked-linux64", TExeType::OpenGLQuake, "-heapsize 16384  -x"},
      {"/usr/games/vkquake", TExeType::OpenGLQuake, " -x"},
      {"fteqw64", TExeType::OpenGLQuake, " -x"},
      {"darkplaces-sdl", TExeType::OpenGLQuake, " -x"},
      {"/usr/games/quakespasm", TExeType::DosQuake, " -x"},
      {"glquake.exe", TExeType::OpenGLQuake, "-heapsize 16384  -x"},
      {"quake.exe", TExeType::DosQuake, " -x -winmem 16 -winlock"},
  };
  for (const TCase& c : cases) {
    TQuakeExe exe = Exe(c.Type, 16, TAllocMethod::LockMemory);
    exe.ExeName = c.Program;
    EXPECT_EQ(exe.Parameters("-x"), c.Expected) << c.Program;
  }
}

TEST(ExeEntry, NewEntryHasOnlyItsName) {
  const TQuakeExe exe("WinQuake");
  EXPECT_EQ(exe.Name(), "WinQuake");
  EXPECT_EQ(exe.ExeType, TExeType::DosQuake);
  EXPECT_EQ(exe.ExeName, "");
  EXPECT_EQ(exe.CmdLine, "");
  EXPECT_EQ(exe.AllocMethod, TAllocMethod::Standard);
  EXPECT_EQ(exe.MemSize, 0);
  EXPECT_FALSE(exe.SetMemSize);
}

TEST(ExeEntry, NamesThatCannotBeAKeyAreRefused) {
  // A backslash would be a nested key: the next start would read an entry "a" holding
  // nothing, and "a\b" would be gone.
  EXPECT_EQ(ErrorOf<EExeNameError>([] { TQuakeExe("Quake\\GL"); }),
            "The name of an executable must not contain a backslash (\\).");
  EXPECT_EQ(ErrorOf<EExeNameError>([] { TQuakeExe(""); }),
            "The name of an executable must not be empty.");
  EXPECT_EQ(ErrorOf<EExeNameError>([] { TQuakeExe("two\nlines"); }),
            "The name of an executable must not contain a line break.");
  EXPECT_EQ(ErrorOf<EExeNameError>([] { TQuakeExe(std::string("nul\0byte", 8)); }),
            "The name of an executable must not contain a line break.");
  EXPECT_TRUE(IsValidExeName("Quake (Win95 TCP/IP)"));
  EXPECT_FALSE(IsValidExeName("\\"));
}

TEST(ExeEntry, RenameToARefusedNameKeepsTheOldName) {
  TQuakeExe exe("WinQuake");
  EXPECT_THROW(exe.SetName("Win\\Quake"), EExeNameError);
  EXPECT_EQ(exe.Name(), "WinQuake");
  exe.SetName("WinQuake 1.09");
  EXPECT_EQ(exe.Name(), "WinQuake 1.09");
}

class ExeRegistryForm : public ::testing::Test {
 protected:
  TMemRegistryBackend FBackend;
  TRegistry FRegistry{FBackend};

  void SetUp() override {
    FRegistry.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(FRegistry.OpenKey("\\Software\\Test\\Entry", true));
  }
};

TEST_F(ExeRegistryForm, SaveWritesTheSixValuesInOrderIntoTheOpenKey) {
  TQuakeExe exe("GL");
  exe.ExeType = TExeType::OpenGLQuake;
  exe.ExeName = "glquake.exe";
  exe.CmdLine = "-nosound";
  exe.AllocMethod = TAllocMethod::LockMemory;
  exe.MemSize = 32;
  exe.SetMemSize = true;
  exe.SaveToRegistry(FRegistry);

  EXPECT_EQ(FRegistry.CurrentPath(), "Software\\Test\\Entry");
  EXPECT_EQ(FRegistry.GetValueNames(),
            (std::vector<std::string>{"ExeName", "CmdLine", "ExeType", "AllocMethod", "MemSize",
                                      "SetMemSize"}));
  EXPECT_EQ(FRegistry.ReadString("ExeName"), "glquake.exe");
  EXPECT_EQ(FRegistry.ReadString("CmdLine"), "-nosound");
  EXPECT_EQ(FRegistry.ReadInteger("ExeType"), 2);
  EXPECT_EQ(FRegistry.ReadInteger("AllocMethod"), 1);
  EXPECT_EQ(FRegistry.ReadInteger("MemSize"), 32);
  EXPECT_EQ(FRegistry.GetDataType("SetMemSize"), REG_DWORD);
  EXPECT_EQ(FRegistry.ReadInteger("SetMemSize"), 1);
}

TEST_F(ExeRegistryForm, MissingValuesTakeTheReadingDefaults) {
  FRegistry.WriteString("ExeName", "vquake.exe");
  FRegistry.WriteString("CmdLine", "");
  FRegistry.WriteInteger("ExeType", 3);
  const TQuakeExe exe("Rendition", FRegistry);
  EXPECT_EQ(exe.ExeName, "vquake.exe");
  EXPECT_EQ(exe.ExeType, TExeType::Rendition);
  EXPECT_EQ(exe.MemSize, 8);
  EXPECT_FALSE(exe.SetMemSize);
  EXPECT_EQ(exe.AllocMethod, TAllocMethod::Standard);
  EXPECT_EQ(exe.Parameters("-x"), " -x");
  EXPECT_EQ(FRegistry.CurrentPath(), "Software\\Test\\Entry");
}

TEST_F(ExeRegistryForm, AnEmptyKeyLeavesTheConstructedFieldsButForTheDefaults) {
  TQuakeExe exe("Empty");
  exe.ExeName = "kept.exe";
  exe.ExeType = TExeType::WinQuake;
  exe.MemSize = 99;
  exe.SetMemSize = true;
  exe.AllocMethod = TAllocMethod::LockMemory;
  exe.LoadFromRegistry(FRegistry);
  EXPECT_EQ(exe.ExeName, "kept.exe");
  EXPECT_EQ(exe.ExeType, TExeType::WinQuake);
  EXPECT_EQ(exe.MemSize, 8);
  EXPECT_FALSE(exe.SetMemSize);
  EXPECT_EQ(exe.AllocMethod, TAllocMethod::Standard);
}

TEST_F(ExeRegistryForm, WrapperAndEnvironmentFollowTheSixValuesOnlyWhenSet) {
  TQuakeExe exe("Spasm");
  exe.RunThrough = "gamemoderun";
  exe.Environment = {"MANGOHUD=1", "SDL_VIDEODRIVER=x11"};
  exe.SaveToRegistry(FRegistry);
  EXPECT_EQ(FRegistry.GetValueNames(),
            (std::vector<std::string>{"ExeName", "CmdLine", "ExeType", "AllocMethod", "MemSize",
                                      "SetMemSize", "RunThrough", "Environment"}));
  const TQuakeExe read("Spasm", FRegistry);
  EXPECT_EQ(read.RunThrough, "gamemoderun");
  EXPECT_EQ(read.Environment, exe.Environment);

  EXPECT_FALSE(read.WrapperStartsEngine);

  exe.WrapperStartsEngine = true;
  exe.SaveToRegistry(FRegistry);
  EXPECT_EQ(FRegistry.GetValueNames().back(), "WrapperStartsEngine");
  EXPECT_TRUE(TQuakeExe("Spasm", FRegistry).WrapperStartsEngine);

  for (const char* value : {"RunThrough", "Environment", "WrapperStartsEngine"})
    FRegistry.DeleteValue(value);
  TQuakeExe("Spasm", FRegistry).SaveToRegistry(FRegistry);
  EXPECT_EQ(FRegistry.GetValueNames().size(), 6u);
}

TEST_F(ExeRegistryForm, AValueOfTheWrongTypeRaisesTheRegistryError) {
  FRegistry.WriteString("MemSize", "16");
  EXPECT_EQ(ErrorOf<ERegistryException>([this] { TQuakeExe("X", FRegistry); }),
            "Invalid data type for 'MemSize'");
}

}  // namespace
}  // namespace fx
