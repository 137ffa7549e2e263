// TRegistry over the in-memory backend: what program code sees of keys,
// values, types and errors, and when it asks the backend to save.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fixtures/ErrorOf.h"

#include <climits>
#include <cstring>
#include <functional>
#include <stdexcept>

#include "platform/MemRegistryBackend.h"
#include "platform/Registry.h"

namespace fx {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The message of the ERegistryException that `action` throws.
template <typename F>
std::string ErrorOf(F&& action) {
  return test::ErrorOf<ERegistryException>(std::forward<F>(action));
}

class RegistryTest : public ::testing::Test {
 protected:
  TMemRegistryBackend FBackend;
  TRegistry FReg{FBackend};
  TRegTree& Tree() { return FBackend.Tree(HKEY_CURRENT_USER); }
};

TEST_F(RegistryTest, OpenKeyResolvesRelativeAndAbsoluteNamesIntoCurrentPath) {
  EXPECT_EQ(FReg.RootKey(), HKEY_CURRENT_USER);
  EXPECT_FALSE(FReg.HasKeyOpen());
  EXPECT_FALSE(FReg.OpenKey("Software\\Fraxinel", false)) << "missing key without canCreate";
  EXPECT_FALSE(FReg.HasKeyOpen());

  ASSERT_TRUE(FReg.OpenKey("\\Software\\Fraxinel\\", true));
  EXPECT_EQ(FReg.CurrentPath(), "Software\\Fraxinel");
  ASSERT_TRUE(FReg.OpenKey("Exes\\Quake", true));
  EXPECT_EQ(FReg.CurrentPath(), "Software\\Fraxinel\\Exes\\Quake");
  ASSERT_TRUE(FReg.OpenKey("\\Software", false));
  EXPECT_EQ(FReg.CurrentPath(), "Software");
  ASSERT_TRUE(FReg.OpenKey("fraxinel\\EXES", false)) << "relative again, any case";
  EXPECT_EQ(FReg.CurrentPath(), "Software\\fraxinel\\EXES");
  EXPECT_TRUE(FReg.KeyExists("quake"));
  EXPECT_TRUE(FReg.KeyExists("\\Software\\Fraxinel\\Exes\\Quake"));
  EXPECT_FALSE(FReg.KeyExists("\\Quake"));
  EXPECT_TRUE(FReg.KeyExists("")) << "the open key itself";

  FReg.CloseKey();
  EXPECT_EQ(FReg.CurrentPath(), "");
  EXPECT_FALSE(FReg.HasKeyOpen());
  ASSERT_TRUE(FReg.OpenKey("Software", false)) << "relative to the root once closed";
  EXPECT_EQ(FReg.CurrentPath(), "Software");
  EXPECT_TRUE(FReg.OpenKeyReadOnly("Fraxinel"));
  EXPECT_EQ(FReg.CurrentPath(), "Software\\Fraxinel");
  EXPECT_FALSE(FReg.OpenKeyReadOnly("Nothing"));
  EXPECT_EQ(FReg.CurrentPath(), "Software\\Fraxinel") << "a failed open keeps the key";
}

TEST_F(RegistryTest, CreateKeyLeavesTheOpenKeyAndRefusesUnstorableNames) {
  ASSERT_TRUE(FReg.OpenKey("Software", true));
  EXPECT_TRUE(FReg.CreateKey("Tools\\Editor"));
  EXPECT_TRUE(FReg.CreateKey("Tools")) << "an existing key is no failure";
  EXPECT_EQ(FReg.CurrentPath(), "Software");
  EXPECT_TRUE(Tree().KeyExists("Software\\Tools\\Editor"));
  EXPECT_EQ(ErrorOf([&] { FReg.CreateKey("Bad\nName"); }), "Failed to create key Bad\nName");
  EXPECT_FALSE(FReg.OpenKey("Bad\rName", true));
  EXPECT_EQ(ErrorOf([&] { FReg.WriteString("line\nbreak", "x"); }),
            "Failed to set data for 'line\nbreak'");
  EXPECT_THAT(Tree().SubKeyNames("Software"), ElementsAre("Tools"));
}

TEST_F(RegistryTest, NamesMatchWithoutCaseAndKeepTheirFirstSpelling) {
  ASSERT_TRUE(FReg.OpenKey("Software\\Fraxinel", true));
  FReg.WriteInteger("WindowLeft", 10);
  FReg.WriteInteger("WINDOWLEFT", 20);
  EXPECT_EQ(FReg.ReadInteger("windowleft"), 20);
  EXPECT_THAT(FReg.GetValueNames(), ElementsAre("WindowLeft"));
  ASSERT_TRUE(FReg.OpenKey("\\SOFTWARE\\fraxinel\\Games", true));
  EXPECT_THAT(Tree().SubKeyNames(""), ElementsAre("Software"));
  EXPECT_THAT(Tree().SubKeyNames("software"), ElementsAre("Fraxinel"));
  EXPECT_FALSE(FReg.ValueExists("x"));
}

TEST_F(RegistryTest, SubKeysEnumerateSortedWithoutCaseAndValuesInCreationOrder) {
  ASSERT_TRUE(FReg.OpenKey("List", true));
  for (const char* name : {"beta", "Alpha", "_under", "gamma", "Zeta", "ALPHA2"})
    ASSERT_TRUE(FReg.CreateKey(name));
  // Folded to upper case as Windows does: "_" (0x5F) comes after the letters.
  EXPECT_THAT(FReg.GetKeyNames(),
              ElementsAre("Alpha", "ALPHA2", "beta", "gamma", "Zeta", "_under"));
  EXPECT_TRUE(FReg.HasSubKeys());
  for (const char* name : {"z", "a", "M", ""})
    FReg.WriteString(name, name);
  EXPECT_THAT(FReg.GetValueNames(), ElementsAre("z", "a", "M", ""));
  ASSERT_TRUE(FReg.OpenKey("gamma", false));
  EXPECT_FALSE(FReg.HasSubKeys());
  EXPECT_THAT(FReg.GetKeyNames(), IsEmpty());
  EXPECT_THAT(FReg.GetValueNames(), IsEmpty());
}

TEST_F(RegistryTest, DeleteKeyRemovesEverythingBelowAndDeleteValueOnlyTheValue) {
  ASSERT_TRUE(FReg.OpenKey("\\A\\B\\C", true));
  FReg.WriteString("deep", "1");
  ASSERT_TRUE(FReg.OpenKey("\\A", false));
  FReg.WriteString("keep", "1");
  ASSERT_TRUE(FReg.OpenKey("\\A\\Other", true));
  EXPECT_TRUE(FReg.DeleteKey("\\a\\b"));
  EXPECT_FALSE(FReg.KeyExists("\\A\\B"));
  EXPECT_FALSE(FReg.KeyExists("\\A\\B\\C"));
  EXPECT_FALSE(FReg.DeleteKey("\\A\\B")) << "already gone";
  EXPECT_FALSE(FReg.DeleteKey("\\")) << "the root cannot go";
  EXPECT_TRUE(FReg.KeyExists("\\A\\Other"));

  ASSERT_TRUE(FReg.OpenKey("\\A", false));
  EXPECT_TRUE(FReg.DeleteValue("KEEP"));
  EXPECT_FALSE(FReg.DeleteValue("keep"));
  EXPECT_FALSE(FReg.ValueExists("keep"));
  EXPECT_TRUE(FReg.KeyExists("Other"));
}

TEST_F(RegistryTest, EveryTypeRoundTripsWithTheBytesWindowsWouldStore) {
  ASSERT_TRUE(FReg.OpenKey("Types", true));
  FReg.WriteString("Text", "C:\\Quake \"id1\"");
  FReg.WriteExpandString("Expand", "%HOME%/quake");
  FReg.WriteInteger("Int", -2);
  FReg.WriteInteger("Min", INT_MIN);
  FReg.WriteBool("Yes", true);
  FReg.WriteBool("No", false);
  FReg.WriteFloat("Float", 1.5);
  const unsigned char blob[] = {0x00, 0xFF, 0x10};
  FReg.WriteBinaryData("Blob", blob, sizeof blob);
  FReg.WriteBinary("Empty", "");

  EXPECT_EQ(FReg.ReadString("Text"), "C:\\Quake \"id1\"");
  EXPECT_EQ(FReg.ReadString("Expand"), "%HOME%/quake");
  EXPECT_EQ(FReg.ReadInteger("Int"), -2);
  EXPECT_EQ(FReg.ReadInteger("Min"), INT_MIN);
  EXPECT_TRUE(FReg.ReadBool("Yes"));
  EXPECT_FALSE(FReg.ReadBool("No"));
  EXPECT_EQ(FReg.ReadFloat("Float"), 1.5);
  unsigned char back[8] = {};
  EXPECT_EQ(FReg.ReadBinaryData("Blob", back, sizeof back), 3);
  EXPECT_EQ(std::memcmp(back, blob, 3), 0);
  EXPECT_EQ(FReg.ReadBinary("Empty"), "");

  const auto stored = [&](const char* name) { return *Tree().FindValue("Types", name); };
  EXPECT_EQ(stored("Text"), (TRegValue{REG_SZ, "C:\\Quake \"id1\""}));
  EXPECT_EQ(stored("Expand").Type, REG_EXPAND_SZ);
  EXPECT_EQ(stored("Int"), (TRegValue{REG_DWORD, "\xFE\xFF\xFF\xFF"}));
  EXPECT_EQ(stored("Yes"), (TRegValue{REG_DWORD, std::string("\x01\0\0\0", 4)}));
  EXPECT_EQ(stored("Float"), (TRegValue{REG_BINARY, std::string("\0\0\0\0\0\0\xF8\x3F", 8)}));
  EXPECT_EQ(stored("Blob"), (TRegValue{REG_BINARY, std::string("\x00\xFF\x10", 3)}));

  EXPECT_EQ(FReg.GetDataSize("Text"), 15) << "with the terminating zero, as Windows counts";
  EXPECT_EQ(FReg.GetDataSize("Int"), 4);
  EXPECT_EQ(FReg.GetDataSize("Float"), 8);
  EXPECT_EQ(FReg.GetDataSize("Missing"), -1);
  EXPECT_EQ(FReg.GetDataType("Blob"), REG_BINARY);
  EXPECT_EQ(FReg.GetDataType("Yes"), REG_DWORD);
  EXPECT_EQ(FReg.GetDataType("Missing"), std::nullopt);
}

TEST_F(RegistryTest, ReadsOfMissingOrWrongValuesFailWithDelphisMessages) {
  ASSERT_TRUE(FReg.OpenKey("Errors", true));
  FReg.WriteString("Count", "12");
  FReg.WriteInteger("Number", 7);
  FReg.WriteBinary("Short", "1234");
  Tree().SetValue("Errors", "Other", {REG_MULTI_SZ, std::string("a\0b\0\0", 5)});
  Tree().SetValue("Errors", "Odd", {REG_DWORD, "\x01\x02"});

  EXPECT_EQ(ErrorOf([&] { FReg.ReadInteger("Count"); }), "Invalid data type for 'Count'");
  EXPECT_EQ(ErrorOf([&] { FReg.ReadBool("Count"); }), "Invalid data type for 'Count'");
  EXPECT_EQ(ErrorOf([&] { FReg.ReadString("Number"); }), "Invalid data type for 'Number'");
  EXPECT_EQ(ErrorOf([&] { FReg.ReadFloat("Number"); }), "Invalid data type for 'Number'");
  EXPECT_EQ(ErrorOf([&] { FReg.ReadFloat("Short"); }), "Invalid data type for 'Short'")
      << "binary of 4 bytes is no double";
  EXPECT_EQ(ErrorOf([&] { FReg.ReadBinary("Count"); }), "Invalid data type for 'Count'");
  EXPECT_EQ(ErrorOf([&] { FReg.ReadInteger("Odd"); }), "Invalid data type for 'Odd'");
  char small[2];
  EXPECT_EQ(ErrorOf([&] { FReg.ReadBinaryData("Short", small, sizeof small); }),
            "Invalid data type for 'Short'")
      << "data larger than the buffer";

  for (const auto& read : std::initializer_list<std::function<void()>>{
           [&] { FReg.ReadInteger("Missing"); }, [&] { FReg.ReadBool("Missing"); },
           [&] { FReg.ReadFloat("Missing"); }, [&] { FReg.ReadBinary("Missing"); },
           [&] { FReg.ReadBinaryData("Missing", small, 2); }})
    EXPECT_EQ(ErrorOf(read), "Failed to get data for 'Missing'");

  EXPECT_EQ(FReg.ReadString("Missing"), "");
  EXPECT_EQ(FReg.ReadBinary("Other"), std::string("a\0b\0\0", 5))
      << "types Delphi does not know read as binary";
}

TEST_F(RegistryTest, StringsStopAtTheFirstZeroByteAsCStringsDo) {
  FReg.WriteString("Cut", std::string("abc\0def", 7));
  EXPECT_EQ(Tree().FindValue("", "Cut")->Data, "abc");
  Tree().SetValue("", "Doubled", {REG_SZ, std::string("xy\0\0", 4)});
  EXPECT_EQ(FReg.ReadString("Doubled"), "xy");
  FReg.WriteString("Blank", "");
  EXPECT_EQ(FReg.ReadString("Blank"), "");
  EXPECT_EQ(FReg.GetDataSize("Blank"), 1);
}

TEST_F(RegistryTest, WithNoKeyOpenValuesLiveOnTheRootOfTheChosenRootKey) {
  FReg.WriteInteger("AtRoot", 5);
  EXPECT_EQ(Tree().FindValue("", "AtRoot")->Data, std::string("\x05\0\0\0", 4));
  EXPECT_EQ(FReg.ReadInteger("AtRoot"), 5);

  FReg.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(FReg.RootKey(), HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(FReg.ValueExists("AtRoot"));
  ASSERT_TRUE(FReg.OpenKey("Software", true));
  FReg.WriteString("Machine", "yes");
  FReg.SetRootKey(HKEY_CURRENT_USER);
  EXPECT_FALSE(FReg.HasKeyOpen()) << "changing the root closes the key";
  EXPECT_FALSE(FReg.KeyExists("Software"));
  EXPECT_EQ(FBackend.Tree(HKEY_LOCAL_MACHINE).FindValue("software", "machine")->Data, "yes");
}

TEST_F(RegistryTest, ReadOnlyKeysRefuseChanges) {
  ASSERT_TRUE(FReg.OpenKey("Locked\\Sub", true));
  FReg.WriteString("v", "1");
  ASSERT_TRUE(FReg.OpenKeyReadOnly("\\Locked"));
  EXPECT_EQ(ErrorOf([&] { FReg.WriteInteger("n", 1); }), "Failed to set data for 'n'");
  EXPECT_FALSE(FReg.DeleteKey("Sub"));
  EXPECT_THROW(FReg.CreateKey("New"), ERegistryException);
  ASSERT_TRUE(FReg.OpenKeyReadOnly("Sub"));
  EXPECT_FALSE(FReg.DeleteValue("v"));
  EXPECT_EQ(FReg.ReadString("v"), "1");
  ASSERT_TRUE(FReg.OpenKey("\\Locked\\Sub", false));
  FReg.WriteString("v", "2");
  EXPECT_EQ(FReg.ReadString("v"), "2") << "an ordinary open makes it writable again";
}

// Counts flushes like TMemRegistryBackend and can be told to fail them.
class TFailingBackend final : public TRegistryBackend {
 public:
  bool FailFlush = false;
  int Flushes = 0;
  TMemRegistryBackend Mem;

  bool KeyExists(HKEY r, const std::string& k) override { return Mem.KeyExists(r, k); }
  bool CreateKey(HKEY r, const std::string& k) override { return Mem.CreateKey(r, k); }
  bool DeleteKey(HKEY r, const std::string& k) override { return Mem.DeleteKey(r, k); }
  std::vector<std::string> SubKeyNames(HKEY r, const std::string& k) override {
    return Mem.SubKeyNames(r, k);
  }
  std::vector<std::string> ValueNames(HKEY r, const std::string& k) override {
    return Mem.ValueNames(r, k);
  }
  std::optional<TRegValue> GetValue(HKEY r, const std::string& k, const std::string& n) override {
    return Mem.GetValue(r, k, n);
  }
  void SetValue(HKEY r, const std::string& k, const std::string& n, const TRegValue& v) override {
    Mem.SetValue(r, k, n, v);
  }
  bool DeleteValue(HKEY r, const std::string& k, const std::string& n) override {
    return Mem.DeleteValue(r, k, n);
  }
  void Flush(HKEY) override {
    if (FailFlush) throw ERegistryException("disk full");
    ++Flushes;
  }
};

TEST(RegistryLazyWriteTest, LazyWritesFlushOnCloseOthersAfterEveryChange) {
  TFailingBackend backend;
  {
    TRegistry reg(backend);
    EXPECT_TRUE(reg.LazyWrite());
    ASSERT_TRUE(reg.OpenKey("Lazy", true));
    reg.WriteInteger("a", 1);
    reg.WriteInteger("b", 2);
    EXPECT_EQ(backend.Flushes, 0);
    reg.CloseKey();
    EXPECT_EQ(backend.Flushes, 1);
    reg.CloseKey();
    EXPECT_EQ(backend.Flushes, 1) << "nothing changed since";
    ASSERT_TRUE(reg.OpenKey("Lazy", false));
    EXPECT_EQ(reg.ReadInteger("a"), 1);
    reg.CloseKey();
    EXPECT_EQ(backend.Flushes, 1) << "reading saves nothing";

    reg.SetLazyWrite(false);
    ASSERT_TRUE(reg.OpenKey("Eager", true));
    EXPECT_EQ(backend.Flushes, 2) << "creating the key is a change";
    reg.WriteInteger("a", 1);
    reg.WriteString("b", "x");
    reg.DeleteValue("a");
    EXPECT_EQ(backend.Flushes, 5);
    reg.SetLazyWrite(true);
    reg.WriteInteger("c", 3);
  }
  EXPECT_EQ(backend.Flushes, 6) << "the destructor saves the last write";
}

TEST(RegistryLazyWriteTest, FlushFailuresReachTheCallerButNeverLeaveTheDestructor) {
  TFailingBackend backend;
  {
    TRegistry reg(backend);
    ASSERT_TRUE(reg.OpenKey("K", true));
    reg.WriteInteger("v", 1);
    backend.FailFlush = true;
    EXPECT_EQ(ErrorOf([&] { reg.CloseKey(); }), "disk full");
    EXPECT_FALSE(reg.HasKeyOpen()) << "the key is closed even so";
    backend.FailFlush = false;
    reg.CloseKey();
    EXPECT_EQ(backend.Flushes, 1) << "the failed root is tried again";

    reg.SetLazyWrite(false);
    backend.FailFlush = true;
    EXPECT_EQ(ErrorOf([&] { reg.WriteInteger("w", 2); }), "disk full");
    EXPECT_EQ(reg.ReadInteger("w"), 2) << "the value itself is there";
  }  // must not throw
  EXPECT_EQ(backend.Mem.GetValue(HKEY_CURRENT_USER, "", "w")->Type, REG_DWORD);
}

TEST(RegistryDefaultTest, AnOverrideRedirectsDefaultConstructedRegistries) {
  TMemRegistryBackend backend;
  {
    const TDefaultRegistryOverride use(backend);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Fraxinel", true));
    reg.WriteString("Where", "memory");
  }
  EXPECT_EQ(backend.Tree(HKEY_CURRENT_USER).FindValue("Software\\Fraxinel", "Where")->Data,
            "memory");
  EXPECT_EQ(backend.FlushCount(HKEY_CURRENT_USER), 1);
}

}  // namespace
}  // namespace fx
