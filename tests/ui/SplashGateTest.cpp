#include "ui/SplashGate.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/Clock.h"

namespace fx {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(SplashGate, HoldsForTwoSecondsAfterItWasShown) {
  TManualClock clock;
  TSplashGate gate(clock);
  clock.Advance(5s);  // time before the showing does not count
  gate.Shown();
  EXPECT_FALSE(gate.MinimumTimePassed());
  EXPECT_EQ(gate.Remaining(), 2000ms);

  clock.Advance(1999ms);
  EXPECT_FALSE(gate.MinimumTimePassed());
  EXPECT_EQ(gate.Remaining(), 1ms);

  clock.Advance(1ms);
  EXPECT_TRUE(gate.MinimumTimePassed());
  EXPECT_EQ(gate.Remaining(), 0ms);

  clock.Advance(1h);
  EXPECT_TRUE(gate.MinimumTimePassed());
  EXPECT_EQ(gate.Remaining(), 0ms);
}

TEST(SplashGate, NeverPassesBeforeItWasShown) {
  TManualClock clock;
  TSplashGate gate(clock);
  clock.Advance(10s);
  EXPECT_FALSE(gate.HasBeenShown());
  EXPECT_FALSE(gate.MinimumTimePassed());
  EXPECT_EQ(gate.Remaining(), 2000ms);
}

TEST(SplashGate, ShowingAgainDoesNotRestartTheTime) {
  TManualClock clock;
  TSplashGate gate(clock);
  gate.Shown();
  clock.Advance(1500ms);
  gate.Shown();
  EXPECT_EQ(gate.Remaining(), 500ms);
}

TEST(SplashGate, RoundsTheRemainderUpSoAWaiterNeverWakesTooEarly) {
  TManualClock clock;
  TSplashGate gate(clock);
  gate.Shown();
  clock.Advance(1500ms + 200us);
  EXPECT_EQ(gate.Remaining(), 500ms);
  clock.Advance(499ms + 700us);
  EXPECT_FALSE(gate.MinimumTimePassed());
  EXPECT_EQ(gate.Remaining(), 1ms);
}

TEST(SplashGate, TakesAnotherMinimum) {
  TManualClock clock;
  TSplashGate gate(clock, 250ms);
  gate.Shown();
  clock.Advance(250ms);
  EXPECT_TRUE(gate.MinimumTimePassed());
}

TEST(SplashGate, WaitHandsOutTheRemainingTimeUntilItHasPassed) {
  TManualClock clock;
  TSplashGate gate(clock);
  gate.Shown();
  clock.Advance(800ms);
  std::vector<std::chrono::milliseconds> waits;
  // Events end each wait after at most 500 ms.
  gate.Wait([&](std::chrono::milliseconds most) {
    waits.push_back(most);
    clock.Advance(std::min(most, std::chrono::milliseconds(500)));
  });
  EXPECT_THAT(waits, ElementsAre(1200ms, 700ms, 200ms));
  EXPECT_TRUE(gate.MinimumTimePassed());
}

TEST(SplashGate, WaitDoesNothingOnceTheTimeHasPassedOrBeforeTheShowing) {
  TManualClock clock;
  TSplashGate gate(clock);
  std::vector<std::chrono::milliseconds> waits;
  const auto record = [&](std::chrono::milliseconds most) { waits.push_back(most); };
  gate.Wait(record);
  gate.Shown();
  clock.Advance(2s);
  gate.Wait(record);
  EXPECT_THAT(waits, IsEmpty());
}

}  // namespace
}  // namespace fx
