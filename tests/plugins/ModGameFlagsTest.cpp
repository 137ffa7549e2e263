// How the options dialogs' controls pack into the modifications' integers and back.

#include <gtest/gtest.h>

#include <vector>

#include "plugins/HHGameFlags.h"
#include "plugins/TFGameFlags.h"
#include "plugins/VarimixGameFlags.h"

namespace fx {
namespace {

TEST(TFGameFlags, BoxesFollowTheirTagsAndDamageTheHigherBit) {
  std::vector<TTaggedBox> boxes{{1, false}, {4, true}, {64, false}, {1024, false}};
  CheckTaggedBoxes(boxes, 1 | 64 | 2048);
  EXPECT_EQ(TaggedBoxFlags(boxes), 1 | 64) << "bits without a box are dropped";

  EXPECT_EQ(DirectFireDamage(0), TTFDamage::Full);
  EXPECT_EQ(DirectFireDamage(kTFDirectFireHalf), TTFDamage::Half);
  EXPECT_EQ(DirectFireDamage(kTFDirectFireHalf | kTFDirectFireNone), TTFDamage::None);
  EXPECT_EQ(AreaAffectDamage(kTFAreaAffectHalf | kTFDirectFireNone), TTFDamage::Half);

  const std::vector<TTaggedBox> teamEq{{kTFTeamEqMembers, false}, {kTFTeamEqLowScore, false}};
  EXPECT_EQ(TFTeamFlags(teamEq, TTFDamage::None, TTFDamage::Half), 12);
  const std::vector<TTaggedBox> both{{kTFTeamEqMembers, true}, {kTFTeamEqLowScore, true}};
  EXPECT_EQ(TFTeamFlags(both, TTFDamage::Half, TTFDamage::None), 2 | 16 | 32 | 64);
}

TEST(HHGameFlags, EverythingCheckedFifteenHeadsLeastLag) {
  THHChoice choice;
  choice.Custom = choice.FragsForKills = true;  // the others are on by default
  choice.MaxHeads = 15;
  choice.Lag = 3;
  EXPECT_EQ(HHOptionsFromChoice(choice), 32265);
  EXPECT_EQ(HHChoiceFromOptions(32265), choice);
}

TEST(HHGameFlags, TheDefaultAndEveryFieldSurviveARoundTrip) {
  const THHChoice standard = HHChoiceFromOptions(kHHDefaultOptions);
  EXPECT_TRUE(standard.Custom && standard.Grapple && standard.LevelVoting && standard.SumScoring);
  EXPECT_TRUE(standard.DeathMsgs && standard.HeadPickupMsgs && standard.AltarMsgs);
  EXPECT_FALSE(standard.FragsForKills);
  EXPECT_EQ(standard.MaxHeads, 14);
  EXPECT_EQ(standard.Lag, 0);
  // Every switch and every field value; bit 8 has no control.
  for (std::int32_t options = 0; options < 32768; options += 1 + (options & 7)) {
    EXPECT_EQ(HHOptionsFromChoice(HHChoiceFromOptions(options)), options & ~256) << options;
  }
}

TEST(HHGameFlags, ValuesBeyondAFieldAreClampedNotSpilled) {
  THHChoice choice = HHChoiceFromOptions(0);
  choice.MaxHeads = 16;  // 16 x 512 would be lag step 1 and no heads
  EXPECT_EQ(HHOptionsFromChoice(choice), 15 * 512);
  choice.MaxHeads = -1;
  choice.Lag = 4;  // 4 x 8192 would leave the 15 bits the modification reads
  EXPECT_EQ(HHOptionsFromChoice(choice), 3 * 8192);
  choice.Lag = -2;
  EXPECT_EQ(HHOptionsFromChoice(choice), 0);
}

TEST(HHGameFlags, TheHeadLabel) {
  EXPECT_EQ(VisibleHeadsText(0), "No visible heads");
  EXPECT_EQ(VisibleHeadsText(1), "1 visible head");
  EXPECT_EQ(VisibleHeadsText(15), "15 visible heads");
}

TEST(VarimixGameFlags, UncheckedFeaturesAndDebugMode) {
  TVarimixChoice choice{std::vector<bool>(7, true), true};
  choice.FeaturesOn[1] = choice.FeaturesOn[6] = false;
  EXPECT_EQ(VarimixOptionsFromChoice(choice), 2114);
  EXPECT_EQ(VarimixChoiceFromOptions(2114), choice);
  EXPECT_EQ(VarimixChoiceFromOptions(0), (TVarimixChoice{std::vector<bool>(7, true), false}));
  for (std::int32_t options = 0; options < 128; ++options)
    EXPECT_EQ(VarimixOptionsFromChoice(VarimixChoiceFromOptions(options | 2048)), options | 2048);
}

TEST(VarimixGameFlags, ItemsPastTheKnownFeaturesHaveNoBit) {
  // Item 11 would be the debug bit, item 31 the sign bit.
  const TVarimixChoice many{std::vector<bool>(40, false), false};
  EXPECT_EQ(VarimixOptionsFromChoice(many), 127);
  const TVarimixChoice shown = VarimixChoiceFromOptions(-1, 12);
  EXPECT_EQ(shown.FeaturesOn, (std::vector<bool>{false, false, false, false, false, false, false,
                                                 true, true, true, true, true}));
  EXPECT_TRUE(shown.DebugMode);
}

}  // namespace
}  // namespace fx
