// The presets' file (kept whole, a malformed one never lost) and where a screenshot is
// fetched from and kept (only plain names, only JPEG and PNG).

#include <gtest/gtest.h>

#include <fstream>

#include "content/FilterPresetStore.h"
#include "content/Screenshot.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"

namespace fx {
namespace {

TEST(FilterPresetStore, SurvivesAReloadAndNamesWhatItCannotRead) {
  test::TTempDir dir;
  const auto file = dir / "settings/content-filters.txt";
  TFilterPresetStore store(file);
  store.Load();  // no file yet: nothing, and nothing wrong
  EXPECT_TRUE(store.Presets().empty());
  EXPECT_TRUE(store.Problems().empty());
  store.Save("Strong maps", {.MinRating = 4, .YearFrom = 2005, .MaxBytes = 3u << 20});
  store.Save("co[op]\nnight", {.NeedsMod = TTriState::No, .Coop = true});
  store.Save("gone", {});
  store.Remove("gone");
  TFilterPresetStore again(file);
  again.Load();
  EXPECT_EQ(again.Presets(), store.Presets());
  ASSERT_EQ(again.Presets().count("co[op  night"), 1u);  // as the file spells it
  EXPECT_TRUE(again.Presets().at("co[op  night").Coop);
  EXPECT_TRUE(again.Problems().empty());

  std::vector<std::string> problems;
  ParseFilterPresets("[a]\nrating=4\n\nrating=nine\nyears=2000\nwhat\n[b]\ncolour=red\n",
                     &problems);
  EXPECT_EQ(problems, (std::vector<std::string>{"line 4 not read", "line 5 not read",
                                                "line 6 not read", "line 8 not read"}));
}

TEST(FilterPresetStore, KeepsAMalformedFileUntilASaveAndThenBesideIt) {
  test::TTempDir dir;
  const auto file = dir / "content-filters.txt";
  const std::string old = "[mine]\nrating=4\nrating=lots\n";
  std::ofstream(file) << old;
  TFilterPresetStore store(file);
  store.Load();
  EXPECT_EQ(store.Problems(), std::vector<std::string>{"line 3 not read"});
  EXPECT_EQ(store.Presets().at("mine").MinRating, 4);  // what could be read is there
  EXPECT_EQ(test::ReadFileBytes(file), old);
  store.Save("new", {.Deathmatch = true});
  EXPECT_EQ(test::ReadFileBytes(dir / "content-filters.txt.malformed"), old);
  EXPECT_TRUE(store.Problems().empty());
  TFilterPresetStore again(file);
  again.Load();
  EXPECT_EQ(again.Presets().size(), 2u);
  EXPECT_TRUE(again.Problems().empty());

  std::ofstream(file, std::ios::trunc) << std::string(kMaxPresetFileBytes + 1, 'x');
  again.Load();
  EXPECT_TRUE(again.Presets().empty());
  EXPECT_EQ(again.Problems().size(), 1u);
}

TEST(Screenshot, RelativeAddressesStayBelowTheCatalogue) {
  const struct {
    const char* Base;
    const char* Relative;
    const char* Want;
  } cases[] = {
      {"https://h.example/a/content.json", "shots/x.jpg", "https://h.example/a/shots/x.jpg"},
      {"https://h.example/content.json?v=2#top", "x.jpg", "https://h.example/x.jpg"},
      {"http://h.example", "x.png", "http://h.example/x.png"},
      {"https://h.example/a/", "../x.jpg", ""},
      {"https://h.example/a/", "/etc/passwd", ""},
      {"https://h.example/a/", "x.jpg?q=1", ""},
      {"https://h.example/a/", "https://evil.example/x.jpg", ""},
      {"https://h.example/a/", "a//b.jpg", ""},
      {"https://h.example/a/", "", ""},
      {"/home/me/content.json", "x.jpg", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ResolveRelativeUrl(c.Base, c.Relative), c.Want) << c.Base << " + " << c.Relative;
}

TEST(Screenshot, AddressesComeFromThePackageThenTheArchivesPattern) {
  const std::string shots = "https://www.quaddicted.com/reviews/screenshots/";
  TContentPackage addon{.Id = "mg9",
                        .Screenshots = {"s/a.jpg", "../b.jpg", "https://c.example/c.png"},
                        .Sources = kFromAddons};
  EXPECT_EQ(ScreenshotUrls(addon, "https://h.example/content.json"),
            (std::vector<std::string>{"https://h.example/s/a.jpg", "https://c.example/c.png"}));
  EXPECT_EQ(ScreenshotUrls(addon, ""), std::vector<std::string>{"https://c.example/c.png"});
  const TContentPackage xml{
      .Id = "czg07", .Screenshots = {shots + "czg07_injector.jpg"}, .Sources = kFromXml};
  EXPECT_EQ(ScreenshotUrls(xml, ""),
            (std::vector<std::string>{shots + "czg07_injector.jpg", shots + "czg07.jpg"}));
  // A relative address of an archive record is not the add-on list's, and an id that is not
  // a plain name makes no address.
  const TContentPackage json{.Id = "x?y", .Screenshots = {"a.jpg"}, .Sources = kFromJson};
  EXPECT_TRUE(ScreenshotUrls(json, "https://h.example/content.json").empty());
}

TEST(Screenshot, CacheNamesAndImageKinds) {
  EXPECT_EQ(ScreenshotCacheFile("/c", "czg07"), std::filesystem::path("/c/czg07.image"));
  const auto hashed = ScreenshotCacheFile("/c", "../../etc/x");
  EXPECT_EQ(hashed.parent_path(), std::filesystem::path("/c"));
  EXPECT_EQ(hashed.filename().string().size(), 64u + 6u);
  EXPECT_EQ(ImageKindOf("\xFF\xD8\xFF\xE0rest"), TImageKind::Jpeg);
  EXPECT_EQ(ImageKindOf(std::string_view("\x89PNG\r\n\x1A\n\0\0", 10)), TImageKind::Png);
  for (const std::string_view other : {"\x89PNG\r\n", "GIF89a", "<html>", "", "\xFF\xD8"})
    EXPECT_EQ(ImageKindOf(other), TImageKind::None) << other;
}

}  // namespace
}  // namespace fx
