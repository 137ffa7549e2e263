// Settings persistence: every storage form written to and read back from real registry
// files, what is skipped at its default, how texts of sets and enumerations are read,
// the string-list sub-key, errors, access nesting and window placement.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "fixtures/ErrorOf.h"
#include "settings/AppSettings.h"
#include "settings/PropertyBuilders.h"
#include "tests/settings/RegistrySandbox.h"

namespace fx {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Optional;

enum class TColor { Red, Green, Blue };

constexpr std::uint32_t kA = 1, kB = 2, kC = 4, kD = 8;

// One property of every storage form, with and without a declared default.
class TSample : public TAppSettings {
 public:
  TSample() : TAppSettings("Software\\Test\\Sample") {}

  int Count() const { return FCount; }
  void SetCount(int v) { FCount = v; }
  int Plain() const { return FPlain; }
  void SetPlain(int v) { FPlain = v; }
  char Letter() const { return FLetter; }
  void SetLetter(char v) { FLetter = v; }
  TColor Color() const { return FColor; }
  void SetColor(TColor v) { FColor = v; }
  bool Flag() const { return FFlag; }
  void SetFlag(bool v) { FFlag = v; }
  bool Always() const { return FAlways; }
  void SetAlways(bool v) { FAlways = v; }
  std::uint32_t Flags() const { return FFlags; }
  void SetFlags(std::uint32_t v) { FFlags = v; }
  double Ratio() const { return FRatio; }
  void SetRatio(double v) { FRatio = v; }
  double Scale() const { return FScale; }
  void SetScale(double v) { FScale = v; }
  const std::string& Name() const { return FName; }
  void SetName(const std::string& v) { FName = v; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& v) {
    FTitle = v;
    ++TitleSets;
  }
  int ReadOnly() const { return 99; }
  int Hidden() const { return FHidden; }
  void SetHidden(int v) { FHidden = v; }

  std::vector<std::string> Lines;
  int TitleSets = 0;

  std::vector<TPropertyInfo> Properties() const override {
    using T = TSample;
    auto list = TAppSettings::Properties();
    list.push_back(IntegerProperty<T>("Count", &T::Count, &T::SetCount, 5));
    list.push_back(IntegerProperty<T>("Plain", &T::Plain, &T::SetPlain));
    list.push_back(CharProperty<T>("Letter", &T::Letter, &T::SetLetter, 'x'));
    list.push_back(EnumProperty<T, TColor>("Color", &T::Color, &T::SetColor,
                                           {"clRed", "clGreen", "clBlue"}, TColor::Green));
    list.push_back(BoolProperty<T>("Flag", &T::Flag, &T::SetFlag, true));
    list.push_back(BoolProperty<T>("Always", &T::Always, &T::SetAlways));
    list.push_back(SetProperty<T>("Flags", &T::Flags, &T::SetFlags, {"a", "b", "c", "d"}, 0));
    list.push_back(FloatProperty<T>("Ratio", &T::Ratio, &T::SetRatio, TEmptyValue::Skipped));
    list.push_back(FloatProperty<T>("Scale", &T::Scale, &T::SetScale));
    list.push_back(StringListProperty<T>("Lines", &T::Lines));
    list.push_back(StringProperty<T>("Name", &T::Name, &T::SetName, TEmptyValue::Skipped));
    list.push_back(StringProperty<T>("Title", &T::Title, &T::SetTitle));
    list.push_back(IntegerProperty<T>("ReadOnly", &T::ReadOnly, nullptr));
    list.push_back(NotStored(IntegerProperty<T>("Hidden", &T::Hidden, &T::SetHidden)));
    return list;
  }

  // For the nesting tests.
  bool RegistryOpen() { return Registry() != nullptr; }

 private:
  int FCount = 5;
  int FPlain = 0;
  char FLetter = 'x';
  TColor FColor = TColor::Green;
  bool FFlag = true;
  bool FAlways = false;
  std::uint32_t FFlags = 0;
  double FRatio = 0;
  double FScale = 0;
  std::string FName;
  std::string FTitle;
  int FHidden = 0;
};

const std::string kSampleKey = "[HKEY_CURRENT_USER\\Software\\Test\\Sample]";
const std::string kLinesKey = "[HKEY_CURRENT_USER\\Software\\Test\\Sample\\Lines]";

class AppSettingsTest : public ::testing::Test {
 protected:
  std::optional<std::vector<std::string>> SampleSection() const {
    return test::TRegistrySandbox::Section(FRegistry.UserReg(), kSampleKey);
  }
  std::optional<std::vector<std::string>> LinesSection() const {
    return test::TRegistrySandbox::Section(FRegistry.UserReg(), kLinesKey);
  }

  // Writes values by hand, as an older version or the user might have left them.
  template <class F>
  void Prepare(F&& write) {
    {
      TRegistry reg;
      ASSERT_TRUE(reg.OpenKey("Software\\Test\\Sample", true));
      write(reg);
    }
    FRegistry.Reopen();
  }

  test::TRegistrySandbox FRegistry;
};

TEST_F(AppSettingsTest, EveryFormRoundTripsThroughTheFiles) {
  {
    TSample s;
    s.SetCount(-7);
    s.SetPlain(42);
    s.SetLetter('Q');
    s.SetColor(TColor::Blue);
    s.SetFlag(false);
    s.SetAlways(true);
    s.SetFlags(kA | kC);
    s.SetRatio(0.5);
    s.SetScale(-2.25);
    s.SetName("Ranger");
    s.SetTitle("The Slipgate Complex");
    s.Lines = {"first", "", "third"};
    s.SetHidden(3);
    s.Save();
  }
  EXPECT_THAT(
      SampleSection(),
      Optional(ElementsAre(
          "\"Count\"=dword:fffffff9", "\"Plain\"=dword:0000002a", "\"Letter\"=dword:00000051",
          "\"Color\"=\"clBlue\"", "\"Flag\"=\"False\"", "\"Always\"=\"True\"", "\"Flags\"=\"a,c\"",
          "\"Ratio\"=hex:00,00,00,00,00,00,e0,3f", "\"Scale\"=hex:00,00,00,00,00,00,02,c0",
          "\"Name\"=\"Ranger\"", "\"Title\"=\"The Slipgate Complex\"")));
  EXPECT_THAT(LinesSection(), Optional(ElementsAre("\"Item0\"=\"first\"", "\"Item1\"=\"\"",
                                                   "\"Item2\"=\"third\"")));

  FRegistry.Reopen();
  TSample back;
  back.Load();
  EXPECT_EQ(back.Count(), -7);
  EXPECT_EQ(back.Plain(), 42);
  EXPECT_EQ(back.Letter(), 'Q');
  EXPECT_EQ(back.Color(), TColor::Blue);
  EXPECT_FALSE(back.Flag());
  EXPECT_TRUE(back.Always());
  EXPECT_EQ(back.Flags(), kA | kC);
  EXPECT_EQ(back.Ratio(), 0.5);
  EXPECT_EQ(back.Scale(), -2.25);
  EXPECT_EQ(back.Name(), "Ranger");
  EXPECT_EQ(back.Title(), "The Slipgate Complex");
  EXPECT_THAT(back.Lines, ElementsAre("first", "", "third"));
  EXPECT_EQ(back.Hidden(), 0) << "not stored";
}

TEST_F(AppSettingsTest, ValuesAtTheirDefaultAreNotWrittenButThoseWithoutOneAre) {
  TSample s;
  s.Save();
  EXPECT_THAT(SampleSection(),
              Optional(ElementsAre("\"Plain\"=dword:00000000", "\"Always\"=\"False\"",
                                   "\"Scale\"=hex:00,00,00,00,00,00,00,00", "\"Title\"=\"\"")));
  EXPECT_THAT(LinesSection(), Optional(IsEmpty())) << "an empty list leaves an empty sub-key";
}

TEST_F(AppSettingsTest, SettingAValueBackToItsDefaultRemovesTheStoredOne) {
  TSample s;
  s.SetCount(1);
  s.SetFlag(false);
  s.SetFlags(kB);
  s.SetRatio(3);
  s.SetName("x");
  s.Save();
  ASSERT_EQ(SampleSection()->size(), 9u);

  s.SetCount(5);
  s.SetFlag(true);
  s.SetFlags(0);
  s.SetRatio(0);
  s.SetName("");
  s.Save();
  FRegistry.Reopen();
  TSample back;
  back.SetCount(1);  // what the old value would bring back
  back.SetFlag(false);
  back.Load();
  EXPECT_EQ(back.Count(), 1) << "no value left to read";
  EXPECT_FALSE(back.Flag());
  EXPECT_THAT(SampleSection(),
              Optional(ElementsAre("\"Plain\"=dword:00000000", "\"Always\"=\"False\"",
                                   "\"Scale\"=hex:00,00,00,00,00,00,00,00", "\"Title\"=\"\"")));
}

TEST_F(AppSettingsTest, MissingValuesKeepWhatTheObjectHeld) {
  TSample s;
  s.SetCount(8);
  s.SetColor(TColor::Red);
  s.SetFlags(kD);
  s.SetTitle("kept");
  s.Lines = {"kept"};
  s.TitleSets = 0;
  s.Load();
  EXPECT_EQ(s.Count(), 8);
  EXPECT_EQ(s.Color(), TColor::Red);
  EXPECT_EQ(s.Flags(), kD);
  EXPECT_EQ(s.Title(), "kept");
  EXPECT_EQ(s.TitleSets, 0) << "no setter call for a missing value";
  EXPECT_THAT(s.Lines, ElementsAre("kept")) << "no sub-key: the list is left alone";
  EXPECT_FALSE(LinesSection().has_value()) << "loading must not create the list's sub-key";
  EXPECT_THAT(SampleSection(), Optional(IsEmpty())) << "the settings key itself is created";
}

TEST_F(AppSettingsTest, ReadingGoesThroughTheSetter) {
  Prepare([](TRegistry& reg) { reg.WriteString("Title", "e1m1"); });
  TSample s;
  s.Load();
  EXPECT_EQ(s.Title(), "e1m1");
  EXPECT_EQ(s.TitleSets, 1);
}

TEST_F(AppSettingsTest, EnumerationTextsAreLookedUpIgnoringCaseAndUnknownOnesIgnored) {
  Prepare([](TRegistry& reg) {
    reg.WriteString("Color", "clPurple");
    reg.WriteString("Flag", "false");
    reg.WriteString("Always", "Yes");
  });
  TSample s;
  s.SetColor(TColor::Red);
  s.SetAlways(true);
  s.Load();
  EXPECT_EQ(s.Color(), TColor::Red) << "clPurple names no element";
  EXPECT_FALSE(s.Flag());
  EXPECT_TRUE(s.Always()) << "Yes is no Boolean identifier";
}

struct TSetCase {
  std::string Text;
  std::uint32_t Expected;
};

void PrintTo(const TSetCase& c, std::ostream* os) {
  *os << '"' << c.Text << '"';
}

class SetTextTest : public AppSettingsTest, public ::testing::WithParamInterface<TSetCase> {};

TEST_P(SetTextTest, ReplacesTheWholeSet) {
  Prepare([](TRegistry& reg) { reg.WriteString("Flags", GetParam().Text); });
  TSample s;
  s.SetFlags(kA | kB | kC | kD);
  s.Load();
  EXPECT_EQ(s.Flags(), GetParam().Expected) << '"' << GetParam().Text << '"';
}

INSTANTIATE_TEST_SUITE_P(Texts, SetTextTest,
                         ::testing::Values(TSetCase{"a,c", kA | kC},      //
                                           TSetCase{" a , c ", kA | kC},  // blanks trimmed
                                           TSetCase{"C,A", kA | kC},      // any case, order
                                           TSetCase{"a,x,c", kA | kC},    // unknown skipped
                                           TSetCase{"b,,c", kB},          // empty item ends
                                           TSetCase{"d,", kD},            // trailing comma
                                           TSetCase{",a", 0},             // empty first
                                           TSetCase{"", 0},               // empty set
                                           TSetCase{"a b,c", kC}));       // not one name

TEST_F(AppSettingsTest, AShrinkingListLeavesNoStaleItems) {
  TSample s;
  s.Lines = {"one", "two", "three"};
  s.Save();
  EXPECT_THAT(LinesSection(), Optional(ElementsAre("\"Item0\"=\"one\"", "\"Item1\"=\"two\"",
                                                   "\"Item2\"=\"three\"")));
  s.Lines = {"only"};
  s.Save();
  EXPECT_THAT(LinesSection(), Optional(ElementsAre("\"Item0\"=\"only\"")));
  FRegistry.Reopen();
  TSample back;
  back.Load();
  EXPECT_THAT(back.Lines, ElementsAre("only"));
}

TEST_F(AppSettingsTest, TheFirstMissingItemEndsTheList) {
  Prepare([](TRegistry& reg) {
    ASSERT_TRUE(reg.OpenKey("Lines", true));
    reg.WriteString("Item0", "first");
    reg.WriteString("Item2", "third");
  });
  TSample s;
  s.Lines = {"old", "old", "old"};
  s.Load();
  EXPECT_THAT(s.Lines, ElementsAre("first"));
}

TEST_F(AppSettingsTest, ValuesAfterTheListAreReadFromTheSettingsKeyAgain) {
  Prepare([](TRegistry& reg) {
    ASSERT_TRUE(reg.OpenKey("Lines", true));
    reg.WriteString("Item0", "line");
    reg.WriteString("Title", "in the sub-key");
  });
  TSample s;
  s.Load();
  EXPECT_THAT(s.Lines, ElementsAre("line"));
  EXPECT_EQ(s.Title(), "") << "a value of the sub-key must not be taken for the setting";
}

TEST_F(AppSettingsTest, AValueOfTheWrongTypeIsReportedAfterTheOthersAreRead) {
  Prepare([](TRegistry& reg) {
    reg.WriteInteger("Plain", 4);
    reg.WriteString("Letter", "Q");
    reg.WriteString("Title", "after the bad one");
  });
  TSample s;
  EXPECT_THAT(test::ErrorOf<ERegistryException>([&] { s.Load(); }),
              HasSubstr("HKEY_CURRENT_USER\\Software\\Test\\Sample, value \"Letter\": "
                        "Invalid data type for 'Letter'"));
  EXPECT_EQ(s.Plain(), 4) << "values before the bad one are applied";
  EXPECT_EQ(s.Title(), "after the bad one") << "and so are the values after it";
  EXPECT_FALSE(s.RegistryOpen()) << "the access bracket is closed on the way out";

  // The next access opens the key afresh; the bad value is kept while the program leaves
  // its setting alone, replaced once it changes it, and nothing stored after it is lost.
  s.SetTitle("saved");
  s.Save();
  FRegistry.Reopen();
  TSample back;
  EXPECT_THROW(back.Load(), ERegistryException);
  EXPECT_EQ(back.Title(), "saved");
  EXPECT_EQ(back.Plain(), 4);
  back.SetLetter('y');
  back.Save();
  FRegistry.Reopen();
  TSample mended;
  mended.Load();
  EXPECT_EQ(mended.Letter(), 'y');
}

TEST_F(AppSettingsTest, WrongTypesOfTextsFloatsAndListItemsAreErrorsToo) {
  Prepare([](TRegistry& reg) { reg.WriteInteger("Color", 2); });
  EXPECT_THAT(test::ErrorOf<ERegistryException>([] { TSample().Load(); }),
              HasSubstr("value \"Color\": Invalid data type for 'Color'"));
  Prepare([](TRegistry& reg) {
    reg.DeleteValue("Color");
    reg.WriteString("Scale", "1.5");
  });
  EXPECT_THAT(test::ErrorOf<ERegistryException>([] { TSample().Load(); }),
              HasSubstr("value \"Scale\": Invalid data type for 'Scale'"));
  Prepare([](TRegistry& reg) {
    reg.DeleteValue("Scale");
    ASSERT_TRUE(reg.OpenKey("Lines", true));
    reg.WriteInteger("Item0", 1);
  });
  EXPECT_THAT(test::ErrorOf<ERegistryException>([] { TSample().Load(); }),
              HasSubstr("Sample\\Lines, value \"Item0\": Invalid data type for 'Item0'"));
}

TEST_F(AppSettingsTest, ReadOnlyAndNotStoredPropertiesAreNeitherReadNorWritten) {
  Prepare([](TRegistry& reg) {
    reg.WriteString("ReadOnly", "would be the wrong type");
    reg.WriteInteger("Hidden", 7);
  });
  TSample s;
  s.SetHidden(2);
  s.Load();
  EXPECT_EQ(s.Hidden(), 2);
  s.Save();
  FRegistry.Reopen();
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("Software\\Test\\Sample", false));
  EXPECT_EQ(reg.ReadString("ReadOnly"), "would be the wrong type");
  EXPECT_EQ(reg.ReadInteger("Hidden"), 7);
}

TEST_F(AppSettingsTest, AccessNestsAndOnlyTheOutermostEndSaves) {
  TSample s;
  s.EndAccess();  // unmatched: ignored
  EXPECT_FALSE(s.RegistryOpen());
  s.BeginAccess();
  s.BeginAccess();
  EXPECT_TRUE(s.RegistryOpen());
  s.SetPlain(12);
  s.Save();  // a third level inside
  EXPECT_TRUE(s.RegistryOpen());
  s.EndAccess();
  EXPECT_TRUE(s.RegistryOpen());
  EXPECT_FALSE(std::filesystem::exists(FRegistry.UserReg())) << "written lazily";
  s.EndAccess();
  EXPECT_FALSE(s.RegistryOpen());
  EXPECT_THAT(SampleSection(), Optional(testing::Contains("\"Plain\"=dword:0000000c")));
  s.EndAccess();
  s.BeginAccess();
  EXPECT_TRUE(s.RegistryOpen()) << "the count did not go below zero";
  s.EndAccess();
}

TEST_F(AppSettingsTest, TheRootKeyChoosesTheFile) {
  TSample s;
  s.SetRootKey(HKEY_LOCAL_MACHINE);
  s.SetPlain(1);
  s.Save();
  EXPECT_THAT(test::TRegistrySandbox::Section(FRegistry.MachineReg(),
                                              "[HKEY_LOCAL_MACHINE\\Software\\Test\\Sample]"),
              Optional(testing::Contains("\"Plain\"=dword:00000001")));
  EXPECT_FALSE(SampleSection().has_value());
}

// A key that cannot be opened must not send the values into the root key instead.
TEST_F(AppSettingsTest, AKeyThatCannotBeOpenedIsAnError) {
  class TBadKey : public TAppSettings {
   public:
    TBadKey() : TAppSettings("Software\nBroken") {}
    bool RegistryOpen() { return Registry() != nullptr; }
  } settings;
  EXPECT_EQ(test::ErrorOf<ERegistryException>([&] { settings.Save(); }),
            "Failed to open key Software\nBroken");
  EXPECT_FALSE(settings.RegistryOpen());
  EXPECT_EQ(test::ErrorOf<ERegistryException>([&] { settings.BeginAccess(); }),
            "Failed to open key Software\nBroken");
  settings.EndAccess();
  EXPECT_FALSE(settings.RegistryOpen());
}

TEST(FormPlacementTest, EncodesSeventeenLittleEndianBytes) {
  const TFormPlacement p{-8, 0x01020304, 640, 480, 2};
  const std::string bytes = p.Encode();
  EXPECT_EQ(bytes, std::string(
                       "\xF8\xFF\xFF\xFF\x04\x03\x02\x01\x80\x02\x00\x00\xE0\x01\x00\x00\x02", 17));
  EXPECT_EQ(TFormPlacement::Decode(bytes), p);
  EXPECT_EQ(TFormPlacement::Decode(bytes.substr(0, 16)), std::nullopt);
  EXPECT_EQ(TFormPlacement::Decode(bytes + '\0'), std::nullopt);
}

TEST_F(AppSettingsTest, FormPlacementIsOneBinaryValueNamedAfterTheWindow) {
  TSample s;
  EXPECT_EQ(s.LoadFormPlacement("FXLaunchForm"), std::nullopt);
  const TFormPlacement p{10, 20, 800, 600, 1};
  s.SaveFormPlacement("FXLaunchForm", p);
  EXPECT_THAT(SampleSection(),
              Optional(ElementsAre("\"FXLaunchFormPlacement\"=hex:0a,00,00,00,14,00,00,00,20,03,"
                                   "00,00,58,02,00,00,01")));
  FRegistry.Reopen();
  EXPECT_EQ(TSample().LoadFormPlacement("FXLaunchForm"), p);
}

TEST_F(AppSettingsTest, APlacementOfTheWrongSizeIsIgnoredAndOneOfTheWrongTypeIsAnError) {
  Prepare([](TRegistry& reg) {
    reg.WriteBinary("ShortPlacement", std::string(16, '\1'));
    reg.WriteString("TextPlacement", "10,20");
  });
  TSample s;
  EXPECT_EQ(s.LoadFormPlacement("Short"), std::nullopt);
  EXPECT_EQ(test::ErrorOf<ERegistryException>([&] { s.LoadFormPlacement("Text"); }),
            "Invalid data type for 'TextPlacement'");
  EXPECT_FALSE(s.RegistryOpen());
}

}  // namespace
}  // namespace fx
