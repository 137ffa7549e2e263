#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/Timer.h"
#include "ui/ScrollTextCore.h"

namespace fx {
namespace {

// A control on a timer the test fires, counting what it reports.
struct TScrollRig {
  TManualTimer* Timer = nullptr;
  std::unique_ptr<TScrollTextCore> Core;
  int Begins = 0, Steps = 0, Ends = 0, Changes = 0;

  TScrollRig() {
    auto timer = std::make_unique<TManualTimer>();
    Timer = timer.get();
    Core = std::make_unique<TScrollTextCore>(std::move(timer));
    Core->OnBegin = [this] { ++Begins; };
    Core->OnStep = [this] { ++Steps; };
    Core->OnEnd = [this] { ++Ends; };
    Core->OnChanged = [this] { ++Changes; };
  }
  void Fire(int times) {
    for (int i = 0; i < times; ++i)
      Timer->Fire();
  }
};

TEST(ScrollText, StartsScrollingAtOnceWithItsDefaults) {
  TScrollRig rig;
  EXPECT_TRUE(rig.Timer->Running());
  EXPECT_EQ(rig.Timer->Interval().count(), 100);
  EXPECT_EQ(rig.Core->ScrollDirection(), TScrollDirection::sdRightToLeft);
  EXPECT_EQ(rig.Core->Steps(), 80);
  EXPECT_EQ(rig.Core->Items(), std::vector<std::string>{"ScrollText"});
}

TEST(ScrollText, SpeedIsHeldWithinOneToAThousand) {
  TScrollRig rig;
  for (const auto& [set, want] : std::vector<std::pair<int, int>>{
           {0, 1}, {-7, 1}, {1, 1}, {250, 250}, {1000, 1000}, {5000, 1000}}) {
    rig.Core->SetSpeed(set);
    EXPECT_EQ(rig.Core->Speed(), want) << set;
    EXPECT_EQ(rig.Timer->Interval().count(), want) << set;
  }
}

TEST(ScrollText, OnePassFiresBeginOnceEveryStepAndEndOnce) {
  TScrollRig rig;
  rig.Core->SetSteps(10);
  rig.Core->SetContinuous(false);
  rig.Core->Stop();
  rig.Core->Start(0);
  rig.Fire(11);
  EXPECT_EQ(rig.Begins, 1);
  EXPECT_EQ(rig.Steps, 11);
  EXPECT_EQ(rig.Ends, 1);
  EXPECT_EQ(rig.Core->Position(), 0);
  EXPECT_FALSE(rig.Timer->Running());
  // A tick still on its way after the stop changes nothing.
  rig.Fire(3);
  EXPECT_EQ(rig.Steps, 11);

  // Continuous: the next pass begins by itself.
  rig.Core->SetContinuous(true);
  rig.Fire(22);
  EXPECT_EQ(rig.Begins, 3);
  EXPECT_EQ(rig.Ends, 3);
  EXPECT_TRUE(rig.Timer->Running());
}

TEST(ScrollText, StartTakesAPositionOnlyWhileStoppedAndWithinThePass) {
  TScrollRig rig;
  rig.Core->SetSteps(10);
  rig.Core->Start(5);  // runs already
  EXPECT_EQ(rig.Core->Position(), 0);
  rig.Core->Stop();
  rig.Core->Start(11);  // beyond the pass: the position stays
  EXPECT_EQ(rig.Core->Position(), 0);
  rig.Core->Stop();
  rig.Core->Start(7);
  EXPECT_EQ(rig.Core->Position(), 7);
  rig.Core->SetScrollDirection(TScrollDirection::sdStatic);
  EXPECT_FALSE(rig.Timer->Running());
  rig.Core->SetScrollDirection(TScrollDirection::sdTopToBottom);
  EXPECT_TRUE(rig.Timer->Running());
  EXPECT_EQ(rig.Core->Position(), 7);
}

TEST(ScrollText, SettersOfUnchangedValuesDoNothing) {
  TScrollRig rig;
  rig.Core->SetTextStyle(TTextStyle::tsNormal);
  rig.Core->SetDepth(1);
  rig.Core->SetAlignment(TTextAlignment::taCenter);
  rig.Core->SetItems({"ScrollText"});
  EXPECT_EQ(rig.Changes, 0);
  rig.Core->SetTextStyle(TTextStyle::tsRaised);
  rig.Core->SetDepth(3);
  rig.Core->SetAlignment(TTextAlignment::taRightJustify);
  rig.Core->SetItems({"a", "b"});
  EXPECT_EQ(rig.Changes, 4);
}

TEST(ScrollText, MeasuresTheBlockWithItsStyle) {
  struct TCase {
    TTextStyle Style;
    int LineHeight, BlockWidth;
  };
  for (const TCase& c :
       {TCase{TTextStyle::tsNormal, 16, 90}, TCase{TTextStyle::tsRaised, 22, 96},
        TCase{TTextStyle::tsLowered, 22, 96}, TCase{TTextStyle::tsShaddow, 19, 93}}) {
    const TScrollLayout layout = MeasureScrollText(16, {40, 90, 10}, c.Style, 3, 200, 101);
    EXPECT_EQ(layout.LineHeight, c.LineHeight);
    EXPECT_EQ(layout.BlockWidth, c.BlockWidth);
    EXPECT_EQ(layout.BlockHeight, 3 * c.LineHeight);
    EXPECT_EQ(layout.OffsetX, (200 - c.BlockWidth) / 2);
    EXPECT_EQ(layout.OffsetY, (101 - 3 * c.LineHeight) / 2);
  }
}

TEST(ScrollText, StartPointsAlongAPass) {
  // A block wider and taller than the control starts at 0 when static.
  const TScrollLayout wide = MeasureScrollText(20, {300}, TTextStyle::tsNormal, 1, 200, 10);
  EXPECT_EQ(ScrollStartPoint(wide, TScrollDirection::sdStatic, 0.3, 200, 10), (TScrollPoint{0, 0}));

  const TScrollLayout block = MeasureScrollText(10, {50, 50}, TTextStyle::tsNormal, 1, 150, 100);
  struct TCase {
    TScrollDirection Direction;
    double Progress;
    TScrollPoint Start;
  };
  for (const TCase& c : {
           TCase{TScrollDirection::sdRightToLeft, 0.0, {150, 40}},
           TCase{TScrollDirection::sdRightToLeft, 1.0, {-50, 40}},
           TCase{TScrollDirection::sdLeftToRight, 0.5, {50, 40}},
           TCase{TScrollDirection::sdTopToBottom, 0.25, {50, 10}},
           // 0.125 x 120 = 15 exactly; 0.0625 x 120 = 7.5 rounds to the even 8.
           TCase{TScrollDirection::sdBottomToTop, 0.875, {50, -5}},
           TCase{TScrollDirection::sdBottomToTop, 0.9375, {50, -12}},
       }) {
    EXPECT_EQ(ScrollStartPoint(block, c.Direction, c.Progress, 150, 100), c.Start)
        << static_cast<int>(c.Direction) << " at " << c.Progress;
  }
  EXPECT_EQ(LineIndent(TTextAlignment::taCenter, 100, 45), 28);  // 27.5 to even
  EXPECT_EQ(LineIndent(TTextAlignment::taRightJustify, 100, 45), 55);
  EXPECT_EQ(LineIndent(TTextAlignment::taLeftJustify, 100, 45), 0);
  EXPECT_EQ(StyleCopies(TTextStyle::tsLowered, 2),
            (std::vector<TStyleCopy>{{-2, -2, false}, {2, 2, true}}));
}

}  // namespace
}  // namespace fx
