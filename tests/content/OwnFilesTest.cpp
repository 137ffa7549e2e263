// The program's own small files (played records, filter presets, the catalogue list, the
// installer's records and journals, the demo cache) and a local catalogue, each named by a FIFO:
// every reader answers at once, as for a file it cannot read, instead of waiting for a writer.

#include <gtest/gtest.h>

#include <functional>

#include "content/CatalogueSource.h"
#include "content/FilterPresetStore.h"
#include "content/PlayedRecords.h"
#include "demos/DemoCache.h"
#include "fixtures/Fifo.h"
#include "fixtures/TempDir.h"
#include "installer/Installer.h"
#include "installer/PackageStore.h"
#include "platform/InstallFiles.h"

namespace fx {
namespace {

TEST(OwnFiles, AFifoInPlaceOfOneIsNeverWaitedFor) {
  test::TTempDir dir;
  const struct {
    const char* Name;
    std::function<void(const std::filesystem::path&)> Read;
  } cases[] = {
      {"played.txt", [](const auto& f) { EXPECT_FALSE(TPlayedRecords::Load(f).Find("x")); }},
      {"content-filters.txt",
       [](const auto& f) {
         TFilterPresetStore store(f);
         store.Load();
         EXPECT_EQ(store.Problems().size(), 1u);
       }},
      {"catalogues.txt",
       [](const auto& f) {
         std::vector<std::string> problems;
         EXPECT_EQ(UserCatalogueSources(f, &problems).size(), BuiltInCatalogues().size());
         EXPECT_EQ(problems.size(), 1u);
       }},
      {"db.xml",
       [](const auto& f) {
         EXPECT_THROW(ReadLocalCatalogue(TCatalogueFormat::XmlDatabase, f), ECatalogue);
       }},
      {"packages/x.package",
       [](const auto& f) {
         const TPackageStore store(f.parent_path());
         EXPECT_TRUE(store.List().empty());
         EXPECT_FALSE(store.Find("x"));
       }},
      {"packages/journal/x.journal",
       [](const auto& f) {
         TPackageStore store(f.parent_path().parent_path());
         const auto lines = RecoverInstalls(
             store, [](const std::string& folder) { return OpenInstallFiles(folder); });
         ASSERT_EQ(lines.size(), 1u);
         EXPECT_NE(lines[0].find("(left as it is)"), std::string::npos) << lines[0];
       }},
      {"demos.cache",
       [](const auto& f) {
         TDemoCache cache;
         cache.Load(f);
         EXPECT_EQ(cache.Size(), 0u);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::filesystem::path file = dir / c.Name;
    std::filesystem::create_directories(file.parent_path());
    const test::TFifo fifo(file);
    EXPECT_LT(test::TimeOf([&] { c.Read(file); }), std::chrono::milliseconds(1000));
  }
}

}  // namespace
}  // namespace fx
