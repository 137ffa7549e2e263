#include "settings/SetupPlacement.h"

#include <gtest/gtest.h>

namespace fx {
namespace {

const TWindowRect kScreen{0, 0, 1920, 1080};

TEST(SetupDialogPosition, OverlapsTheSplashsBottomRightCorner) {
  // The splash centred on a full-HD screen.
  const TWindowRect splash{750, 383, 420, 315};
  EXPECT_EQ(SetupDialogPosition(splash, 400, 260, kScreen),
            (TWindowPos{750 + 420 - 400 + 80, 383 + 315 - 260 + 80}));
}

TEST(SetupDialogPosition, MovesInsideTheScreenWhenItWouldPassTheRightEdge) {
  const TWindowRect splash{1500, 100, 420, 315};
  // Right edge 1500 + 420 + 80 = 2000 > 1920; the bottom would fit, but both move.
  EXPECT_EQ(SetupDialogPosition(splash, 400, 260, kScreen),
            (TWindowPos{1920 - 400 - 40, 1080 - 260 - 40}));
}

TEST(SetupDialogPosition, MovesInsideTheScreenWhenItWouldPassTheBottomEdge) {
  const TWindowRect splash{100, 700, 420, 315};
  EXPECT_EQ(SetupDialogPosition(splash, 400, 260, kScreen),
            (TWindowPos{1920 - 400 - 40, 1080 - 260 - 40}));
}

TEST(SetupDialogPosition, StaysWhenItEndsExactlyAtTheScreenEdge) {
  // Right edge: 1420 + 420 - 400 + 80 + 400 = 1920, bottom: 685 + 315 + 80 = 1080.
  const TWindowRect splash{1420, 685, 420, 315};
  EXPECT_EQ(SetupDialogPosition(splash, 400, 260, kScreen), (TWindowPos{1520, 820}));
}

TEST(SetupDialogPosition, WorksOnAScreenThatDoesNotStartAtTheOrigin) {
  const TWindowRect second{1920, 0, 1280, 1024};
  const TWindowRect splash{1920 + 430, 354, 420, 315};
  EXPECT_EQ(SetupDialogPosition(splash, 400, 260, second), (TWindowPos{2450, 489}));
  const TWindowRect nearEdge{1920 + 1000, 600, 420, 315};
  EXPECT_EQ(SetupDialogPosition(nearEdge, 400, 260, second),
            (TWindowPos{1920 + 1280 - 400 - 40, 1024 - 260 - 40}));
}

TEST(SetupDialogPosition, ADialogLargerThanTheScreenStartsAtItsTopLeft) {
  const TWindowRect small{0, 0, 640, 480};
  const TWindowRect splash{110, 82, 420, 315};
  EXPECT_EQ(SetupDialogPosition(splash, 700, 520, small), (TWindowPos{0, 0}));
}

}  // namespace
}  // namespace fx
