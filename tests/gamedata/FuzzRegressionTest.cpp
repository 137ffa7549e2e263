#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fixtures/FileBuilder.h"
#include "gamedata/BSPUtil.h"
#include "gamedata/PackUtil.h"

// Inputs that once crashed or hung the readers (kept by the fuzz targets in
// fuzz/), run through the same paths as there. Under the sanitizers a
// regression shows as a report; without them, as a crash or a wrong answer.
namespace fx {
namespace {

void ReadEveryMapIn(const std::string& bytes) {
  TPackFile pak(std::make_unique<TMemoryStream>(bytes), "*");
  for (const TLibEntry& entry : pak.Entries()) {
    const std::string title = ReadMapTitle(*entry.Open());
    EXPECT_FALSE(title.empty());
  }
}

std::vector<std::filesystem::path> CorpusFiles(std::string_view prefix) {
  std::vector<std::filesystem::path> files;
  for (const auto& item : std::filesystem::directory_iterator(FX_GAMEDATA_CORPUS)) {
    if (item.path().filename().string().starts_with(prefix)) files.push_back(item.path());
  }
  return files;
}

TEST(FuzzRegressionTest, MapTitleInputs) {
  const auto files = CorpusFiles("map-");
  ASSERT_FALSE(files.empty());
  for (const auto& file : files) {
    TMemoryStream stream(test::ReadFileBytes(file));
    EXPECT_FALSE(ReadMapTitle(stream).empty()) << file;
  }
}

TEST(FuzzRegressionTest, PackInputs) {
  const auto files = CorpusFiles("pak-");
  ASSERT_FALSE(files.empty());
  for (const auto& file : files) {
    SCOPED_TRACE(file.string());
    ReadEveryMapIn(test::ReadFileBytes(file));
  }
}

}  // namespace
}  // namespace fx
