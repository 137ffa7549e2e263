#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/Memory.h"
#include "platform/Version.h"

namespace fx {
namespace {

TEST(SystemInfoTest, VersionComesFromTheBuild) {
  // The project's version as CMake knows it, handed to this test separately.
  EXPECT_EQ(ProgramVersion().ToString(), FX_PROJECT_VERSION);
  EXPECT_EQ((TVersion{1, 20, 3, 400}).ToString(), "1.20.3.400");
}

TEST(SystemInfoTest, TotalMemoryMatchesTheKernelsFigure) {
  std::ifstream meminfo("/proc/meminfo");
  std::string key;
  std::uint64_t kib = 0;
  while (meminfo >> key && key != "MemTotal:")
    meminfo.ignore(256, '\n');
  if (!(meminfo >> kib)) GTEST_SKIP() << "/proc/meminfo not readable";
  EXPECT_EQ(TotalPhysicalMemory(), kib * 1024);
}

}  // namespace
}  // namespace fx
