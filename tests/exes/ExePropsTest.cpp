#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "exes/FXExes.h"

namespace fx {
namespace {

TQuakeExe Sample() {
  TQuakeExe exe("Rendition");
  exe.ExeType = TExeType::Rendition;
  exe.ExeName = "vquake.exe";
  exe.CmdLine = "-nocdaudio";
  exe.MemSize = 24;
  exe.SetMemSize = true;
  exe.AllocMethod = TAllocMethod::LockAndUnlockMemory;
  return exe;
}

TEST(ExeProps, FillShowsEveryField) {
  const TExePropState state = FillExeProps(Sample());
  EXPECT_EQ(state.DisplayName, "Rendition");
  EXPECT_EQ(state.TypeIndex, 3);
  EXPECT_EQ(state.ExeName, "vquake.exe");
  EXPECT_EQ(state.CmdLine, "-nocdaudio");
  EXPECT_TRUE(state.SetMemSize);
  EXPECT_EQ(state.MemSize, 24);
  EXPECT_EQ(state.AllocIndex, 2);
}

TEST(ExeProps, ANewEntryShowsZeroMegabytes) {
  EXPECT_EQ(FillExeProps(TQuakeExe("New")).MemSize, 0);
}

TEST(ExeProps, ApplyStoresEveryFieldButTheName) {
  TQuakeExe exe = Sample();
  TExePropState state;
  state.DisplayName = "ignored";
  state.TypeIndex = 1;
  state.ExeName = "";
  state.CmdLine = "+set a b";
  state.SetMemSize = false;
  state.MemSize = 15.7L;
  // Kept even though WinQuake hides the group.
  state.AllocIndex = 1;
  ApplyExeProps(state, exe);
  EXPECT_EQ(exe.Name(), "Rendition");
  EXPECT_EQ(exe.ExeType, TExeType::WinQuake);
  EXPECT_EQ(exe.ExeName, "");
  EXPECT_EQ(exe.CmdLine, "+set a b");
  EXPECT_FALSE(exe.SetMemSize);
  EXPECT_EQ(exe.MemSize, 16);
  EXPECT_EQ(exe.AllocMethod, TAllocMethod::LockMemory);
}

TEST(ExeProps, NothingSelectedKeepsTheStoredTypeAndMethod) {
  TQuakeExe exe = Sample();
  exe.ExeType = static_cast<TExeType>(7);  // from an edited registry
  TExePropState state = FillExeProps(exe);
  state.TypeIndex = -1;
  state.AllocIndex = -1;
  ApplyExeProps(state, exe);
  EXPECT_EQ(static_cast<int>(exe.ExeType), 7);
  EXPECT_EQ(exe.AllocMethod, TAllocMethod::LockAndUnlockMemory);
}

TEST(ExeProps, MemorySizeRoundsHalvesToEven) {
  EXPECT_EQ(RoundMemSize(2.5L), 2);
  EXPECT_EQ(RoundMemSize(3.5L), 4);
  EXPECT_EQ(RoundMemSize(12.5L), 12);
  EXPECT_EQ(RoundMemSize(12.500001L), 13);
  EXPECT_EQ(RoundMemSize(12.499999L), 12);
  EXPECT_EQ(RoundMemSize(-2.5L), -2);
  EXPECT_EQ(RoundMemSize(-3.5L), -4);
  EXPECT_EQ(RoundMemSize(-0.4L), 0);
  EXPECT_EQ(RoundMemSize(7), 7);
}

TEST(ExeProps, MemorySizeBeyondThirtyTwoBitsIsHeldAtTheEnds) {
  using TLimits = std::numeric_limits<std::int32_t>;
  EXPECT_EQ(RoundMemSize(1e12L), TLimits::max());
  EXPECT_EQ(RoundMemSize(-1e12L), TLimits::min());
  EXPECT_EQ(RoundMemSize(std::numeric_limits<long double>::infinity()), TLimits::max());
  EXPECT_EQ(RoundMemSize(std::nanl("")), 0);
  EXPECT_EQ(RoundMemSize(2147483646.5L), 2147483646);
}

TEST(ExeProps, AllocationGroupBelongsToTheWinmemTypes) {
  EXPECT_TRUE(AllocMethodVisible(0));
  EXPECT_FALSE(AllocMethodVisible(1));
  EXPECT_FALSE(AllocMethodVisible(2));
  EXPECT_TRUE(AllocMethodVisible(3));
  EXPECT_TRUE(AllocMethodVisible(4));
  EXPECT_FALSE(AllocMethodVisible(-1));
  EXPECT_FALSE(AllocMethodVisible(5));
}

}  // namespace
}  // namespace fx
