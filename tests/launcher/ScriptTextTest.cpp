// The small pieces the scripts and the command line are made of.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/LaunchPipeline.h"
#include "launcher/MapListing.h"
#include "launcher/ScriptText.h"
#include "platform/CommandLine.h"

namespace fx {
namespace {

TEST(ScriptText, RulesHaveTheLengthsOfTheirPlaces) {
  const auto length = [](TRulePlace place, bool dedicated) {
    return RuleLine(place, dedicated).size() - 7;  // echo, blank, two quotes
  };
  EXPECT_EQ(length(TRulePlace::Banner, true), 36u);
  EXPECT_EQ(length(TRulePlace::MapListing, true), 36u);
  EXPECT_EQ(length(TRulePlace::ServerSummary, true), 37u);
  EXPECT_EQ(length(TRulePlace::Banner, false), 36u);
  EXPECT_EQ(length(TRulePlace::MapListing, false), 37u);
  EXPECT_EQ(length(TRulePlace::ServerSummary, false), 37u);
  EXPECT_EQ(RuleLine(TRulePlace::Banner, false).substr(0, 8), "echo \"\x1D\x1E");
  EXPECT_EQ(RuleLine(TRulePlace::Banner, false).substr(40), "\x1E\x1F\"");
}

TEST(ScriptText, ShortDatesFollowThePicture) {
  const TDate date{2026, 1, 9};
  EXPECT_EQ(FormatShortDate(date, "dd.mm.yyyy"), "09.01.2026");
  EXPECT_EQ(FormatShortDate(date, "d.m.yy"), "9.1.26");
  EXPECT_EQ(FormatShortDate(date, "yyyy-mm-dd"), "2026-01-09");
  EXPECT_EQ(FormatShortDate({2005, 12, 31}, "m/d/yy"), "12/31/05");
}

TEST(ScriptText, EveryLineEndsInCrLf) {
  EXPECT_EQ(ScriptBytes({"a", "", "b"}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(ScriptBytes({}), "");
}

TEST(ScriptText, NamesFromTheWindowFollowTheNoneAndColonRules) {
  EXPECT_EQ(LaunchMapName("E1M1: the Slipgate Complex"), "e1m1");
  EXPECT_EQ(LaunchMapName("(NONE)"), "");
  EXPECT_EQ(LaunchMapName("DM6"), "dm6");
  EXPECT_EQ(LaunchDemoName("(none)"), "");
  EXPECT_EQ(LaunchDemoName("MyDemo"), "mydemo");
  EXPECT_EQ(LaunchPatchName("(None)"), "");
  EXPECT_EQ(LaunchPatchName("Hipnotic"), "Hipnotic");
}

TEST(ScriptText, MapLinesPadTheNameAndCutLongTitles) {
  // Spelled as on disk, so that "map" with the listed name finds the file.
  EXPECT_EQ(MapListLine("E1M1.BSP", "Slipgate"), "echo \"E1M1       Slipgate\"");
  EXPECT_EQ(MapListLine("longername1.bsp", "T"), "echo \"longername1 T\"");
  EXPECT_EQ(ShortenTitle(std::string(25, 'a')), std::string(25, 'a'));
  EXPECT_EQ(ShortenTitle(std::string(26, 'a')), std::string(22, 'a') + "...");
  EXPECT_FALSE(IsListedMapName("B_Shell1.bsp"));
  EXPECT_TRUE(IsListedMapName("bad.bsp"));
}

TLaunchInput WithPatch(std::string patch) {
  TLaunchInput input;
  input.Patch = std::move(patch);
  return input;
}

TEST(CommandLine, PatchNamesStayOneArgument) {
  for (const std::string patch : {"ctf", "my patch", "a\"b", "tab\there", "end\\", "sp ace\\"}) {
    const TLaunchInput input = WithPatch(patch);
    const std::string line = BuildCommandLine(input, "", "Frax.cfg");
    EXPECT_EQ(SplitCommandLine(line),
              (std::vector<std::string>{"-game", patch, "+exec", "Frax.cfg"}))
        << line;
  }
  EXPECT_EQ(BuildCommandLine(WithPatch("my patch"), "", "Frax.cfg"),
            " -game \"my patch\"   +exec Frax.cfg");
}

TEST(CommandLine, NoneInAnyCaseMeansNoPatch) {
  EXPECT_EQ(BuildCommandLine(WithPatch("(None)"), "", "Frax.cfg"), "   +exec Frax.cfg");
  EXPECT_EQ(BuildCommandLine(WithPatch("(none)"), "", "Frax.cfg"), "   +exec Frax.cfg");
}

TEST(CommandLine, PiecesAreJoinedWithoutTrimming) {
  TLaunchInput input;
  input.PlayMode = kPlayDedicated;
  input.MaxPlayers = 16;
  input.SaveLog = true;
  input.ExtraParams = " -mem 32 ";
  EXPECT_EQ(BuildCommandLine(input, "-rogue", "q.cfg"),
            "-dedicated 16 -condebug  -mem 32  -rogue +exec q.cfg");
}

}  // namespace
}  // namespace fx
