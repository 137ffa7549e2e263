#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "plugins/FXIntf.h"
#include "tests/plugins/RecordingStarter.h"

namespace fx {
namespace {

using test::TRecordingStarter;

// --- fixed-capacity texts ------------------------------------------------------------------

TEST(FixedString, IsALengthByteFollowedByTheCharacters) {
  const TShortName name("E1M1");
  std::array<unsigned char, sizeof(TShortName)> bytes{};
  std::memcpy(bytes.data(), &name, bytes.size());
  EXPECT_EQ(bytes[0], 4);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + 1), 4), "E1M1");
  EXPECT_EQ(name.View(), "E1M1");
}

TEST(FixedString, CutsLongerInputAtItsCapacity) {
  const std::string text300(300, 'x');
  const TShortName shortName(text300);
  const TLongText longText(text300);
  EXPECT_EQ(shortName.Length(), 100u);
  EXPECT_EQ(shortName.Str(), std::string(100, 'x'));
  EXPECT_EQ(longText.Length(), 255u);
  EXPECT_EQ(longText.Str(), std::string(255, 'x'));

  const TShortName exact(std::string(100, 'y'));
  EXPECT_EQ(exact.Str(), std::string(100, 'y'));
}

TEST(FixedString, NeverCutsAUtf8CharacterInTwo) {
  // 99 bytes, then a two-byte "ä": the second byte would be the 101st.
  const std::string text = std::string(99, 'a') + "\xC3\xA4" + "b";
  EXPECT_EQ(TShortName(text).Str(), std::string(99, 'a'));
  // A whole character right at the end is kept.
  const std::string fits = std::string(98, 'a') + "\xC3\xA4" + "b";
  EXPECT_EQ(TShortName(fits).Str(), std::string(98, 'a') + "\xC3\xA4");
  // Latin-1 bytes that form no UTF-8 sequence are single characters.
  const std::string latin1 = std::string(99, 'a') + "\xE4\xE4\xE4";
  EXPECT_EQ(TShortName(latin1).Length(), 100u);
}

TEST(FixedString, KeepsZeroBytesAndClears) {
  TLongText text(std::string("a\0b", 3));
  EXPECT_EQ(text.Length(), 3u);
  text.Clear();
  EXPECT_TRUE(text.Empty());
  EXPECT_EQ(text.Str(), "");
}

// --- features record -----------------------------------------------------------------------

TEST(PluginFeatures, EveryNamedFlagIsItsOwnByte) {
  struct TNamed {
    bool TPluginFeatures::*Field;
    std::size_t Byte;
  };
  const std::array<TNamed, 20> named = {{
      {&TPluginFeatures::OwnSkills, 0},          {&TPluginFeatures::OwnMaps, 1},
      {&TPluginFeatures::OwnPlayModes, 2},       {&TPluginFeatures::OwnTeamplay, 3},
      {&TPluginFeatures::OwnClientExit, 4},      {&TPluginFeatures::HasOptions, 5},
      {&TPluginFeatures::HasServerOptions, 6},   {&TPluginFeatures::StoresOptions, 7},
      {&TPluginFeatures::HasPlayerClasses, 8},   {&TPluginFeatures::NoPatch, 9},
      {&TPluginFeatures::FixedMaps, 10},         {&TPluginFeatures::NoMap, 11},
      {&TPluginFeatures::NoPlayMode, 12},        {&TPluginFeatures::NoTeamplay, 13},
      {&TPluginFeatures::NoClientExit, 14},      {&TPluginFeatures::NoSkill, 15},
      {&TPluginFeatures::OwnDeathmatchLine, 19}, {&TPluginFeatures::OwnTeamplayLine, 20},
      {&TPluginFeatures::OwnNoExitLine, 21},     {&TPluginFeatures::OwnSkillLine, 22},
  }};
  EXPECT_EQ(sizeof(TPluginFeatures), 23u);
  EXPECT_EQ(FeatureBytes(TPluginFeatures{}), TFeatureBytes{});
  for (const auto& [field, byte] : named) {
    TPluginFeatures features;
    features.*field = true;
    TFeatureBytes expected{};
    expected[byte] = 1;
    EXPECT_EQ(FeatureBytes(features), expected) << "byte " << byte;
  }
}

// --- reference counting --------------------------------------------------------------------

TEST(Interface, ReleaseToZeroDestroysOnce) {
  const int before = TRecordingStarter::Destroyed();
  auto held = MakeIntf<TRecordingStarter>();
  TRecordingStarter* raw = held.Get();
  EXPECT_EQ(raw->AddRef(), 2);
  EXPECT_EQ(raw->AddRef(), 3);
  EXPECT_EQ(raw->Release(), 2);
  EXPECT_EQ(raw->Release(), 1);
  EXPECT_EQ(TRecordingStarter::Destroyed(), before);
  held = nullptr;  // the last reference
  EXPECT_EQ(TRecordingStarter::Destroyed(), before + 1);
}

TEST(Interface, StartsAtOneAndReportsVersionOne) {
  auto starter = MakeIntf<TRecordingStarter>();
  EXPECT_EQ(starter->GetVersion(), 1);
  EXPECT_EQ(starter->AddRef(), 2);  // the constructor's reference is the one held
  EXPECT_EQ(starter->Release(), 1);
}

TEST(Interface, ReleaseIntfSkipsNullAndClearsTheReference) {
  const int before = TRecordingStarter::Destroyed();
  TRecordingStarter* none = nullptr;
  TInterface::ReleaseIntf(none);  // nothing to do, nothing fails

  auto made = MakeIntf<TRecordingStarter>();
  made->AddRef();  // the host's own reference
  TQuakeStarter* hostRef = made.Get();
  TInterface::ReleaseIntf(hostRef);
  EXPECT_EQ(hostRef, nullptr);
  EXPECT_EQ(TRecordingStarter::Destroyed(), before);
  TInterface::ReleaseIntf(hostRef);  // a second call finds null and does nothing
  made = nullptr;
  EXPECT_EQ(TRecordingStarter::Destroyed(), before + 1);
}

TEST(Interface, PointerCopiesShareOneObject) {
  const int before = TRecordingStarter::Destroyed();
  {
    auto first = MakeIntf<TRecordingStarter>();
    TIntfPtr<TQuakeStarter> second = first;  // upcast copy adds a reference
    TIntfPtr<TQuakeStarter> third = std::move(second);
    EXPECT_FALSE(second);
    first = nullptr;
    EXPECT_EQ(TRecordingStarter::Destroyed(), before);
    EXPECT_EQ(third->AddRef(), 2);
    third->Release();
  }
  EXPECT_EQ(TRecordingStarter::Destroyed(), before + 1);
}

// --- plug-in defaults ----------------------------------------------------------------------

class TFeaturesOnlyPlugin final : public TQuakePlugin {
 public:
  using TQuakePlugin::TQuakePlugin;
  void GetFeatures(TPluginFeatures& features) override { features = {}; }
};

TEST(QuakePlugin, DefaultsAddNothingToTheLaunch) {
  auto starter = MakeIntf<TRecordingStarter>();
  auto plugin = MakeIntf<TFeaturesOnlyPlugin>(*starter);
  TLongText text("left over");
  plugin->GetCmdLineSwitches(text);
  EXPECT_EQ(text.Str(), "");
  EXPECT_EQ(plugin->GetScriptLineCount(), 0);
  text = "left over";
  plugin->GetScriptLine(0, text);
  EXPECT_EQ(text.Str(), "");
  EXPECT_TRUE(plugin->PrepareLaunch());
  plugin->Activate();
  EXPECT_TRUE(starter->Calls().empty());
  TModuleHandle module = 7;
  std::int32_t number = 7;
  plugin->GetPicture(module, number);
  EXPECT_EQ(module, 0u);
  EXPECT_EQ(number, 0);
}

TEST(QuakePlugin, OperationsNotOfferedRaiseInsteadOfRunning) {
  auto starter = MakeIntf<TRecordingStarter>();
  auto plugin = MakeIntf<TFeaturesOnlyPlugin>(*starter);
  TShortName name;
  EXPECT_THROW(plugin->GetSkillCount(), EPluginError);
  EXPECT_THROW(plugin->GetMapName(0, name), EPluginError);
  EXPECT_THROW(plugin->ShowOptions(), EPluginError);
  EXPECT_THROW(plugin->ShowServerOptions(), EPluginError);
  EXPECT_THROW(plugin->SaveOptions(TLongText("Software")), EPluginError);
  EXPECT_THROW(plugin->GetPlayerClassCaption(name), EPluginError);
  try {
    plugin->LoadOptions(TLongText("Software"));
    FAIL() << "LoadOptions ran";
  } catch (const EPluginError& error) {
    EXPECT_STREQ(error.what(), "The game type does not offer LoadOptions.");
  }
}

TEST(QuakePlugin, ListEntriesOutsideTheListAreEmpty) {
  constexpr std::array<std::string_view, 2> list = {"One", "Two"};
  TShortName name("stale");
  GetListEntry(list, 1, name);
  EXPECT_EQ(name.Str(), "Two");
  GetListEntry(list, 2, name);
  EXPECT_EQ(name.Str(), "");
  name = "stale";
  GetListEntry(list, -1, name);
  EXPECT_EQ(name.Str(), "");
}

}  // namespace
}  // namespace fx
