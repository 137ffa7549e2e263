#include <gtest/gtest.h>

#include <fstream>

#include "content/ContentInstall.h"
#include "fixtures/TempDir.h"
#include "installer/Hashers.h"

namespace fx {
namespace {

TEST(ContentInstall, WhereEachArchivePathLands) {
  const TContentPackage p{.ZipBaseDir = "id1/maps/",
                          .Extract = "{base}/mymod/",
                          .ExtractMapping = {{"/xl4/", "/id1/maps/"},
                                             {"/xl4/deep/", "/other/"},
                                             {"/a/README.txt", "/id1/maps/a.txt"},
                                             {"/a/", "/id1/a/"},
                                             {"/x.pts", std::nullopt},
                                             {"/evil/", "/../outside/"}}};
  const struct {
    const char* Archive;
    std::optional<std::string> Installed;
  } cases[] = {
      {"xl4/start.bsp", "id1/maps/start.bsp"},
      {"xl4/deep/b.bsp", "other/b.bsp"},
      {"a/README.txt", "id1/maps/a.txt"},
      {"a/b.txt", "id1/a/b.txt"},
      {"x.pts", std::nullopt},
      {"readme.txt", "mymod/readme.txt"},
      {"evil/x", std::nullopt},
      {"../x", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(InstalledPathOf(p, c.Archive), c.Installed) << c.Archive;
  const TExplicitTarget target = InstallTargetOf(p);
  EXPECT_EQ(target.ZipBaseDir, "id1/maps/");
  EXPECT_EQ(target.Extract, "{base}/mymod/");
  EXPECT_EQ(target.ExtractMapping.size(), 6u);
}

TEST(ContentInstall, InstalledStateFromTheCataloguesHashes) {
  test::TTempDir dir;
  std::filesystem::create_directories(dir / "id1/maps");
  const std::string a = "first map", b = "second map";
  const TContentPackage p{.Extract = "{base}/id1/maps/",
                          .Files = {{"a.bsp", a.size(), Sha256Hex(a), {}},
                                    {"b.bsp", b.size(), Sha256Hex(b), {}},
                                    {"nohash.txt", 3, "", {}}}};
  const auto files = OpenInstallFiles(dir.Path());
  const auto write = [&](const char* name, const std::string& text) {
    std::ofstream(dir / "id1/maps" / name, std::ios::trunc) << text;
  };
  EXPECT_EQ(CheckInstalled(p, *files), TInstallState::NotInstalled);
  write("a.bsp", a);
  EXPECT_EQ(CheckInstalled(p, *files), TInstallState::Partly);
  write("b.bsp", b);
  EXPECT_EQ(CheckInstalled(p, *files), TInstallState::Installed);
  write("b.bsp", "SECOND MAP");  // the same size, another content
  EXPECT_EQ(CheckInstalled(p, *files), TInstallState::Modified);
  write("b.bsp", "longer than it was");
  EXPECT_EQ(CheckInstalled(p, *files), TInstallState::Modified);
  EXPECT_EQ(CheckInstalled(TContentPackage{}, *files), TInstallState::NotInstalled);
}

}  // namespace
}  // namespace fx

#include "content/SafeHtml.h"

namespace fx {
namespace {

TEST(SafeHtml, KeepsSimpleMarkupAndLinksOnly) {
  constexpr std::string_view kBase = "https://example.invalid/reviews/";
  const struct {
    const char *Html, *Safe;
  } cases[] = {
      {"<b>Bold</b> &amp; <i>it</i>", "<b>Bold</b> &amp; <i>it</i>"},
      {"a <script>alert(1)</script>b", "a b"},
      {"a <SCRIPT src=x>alert(1)</Script >b", "a b"},
      {"<style>p{}</style>x", "x"},
      {"<img src=\"https://tracker.invalid/p.gif\" alt=\"shot\">", "[shot]"},
      {"<img src=x onerror=alert(1)>", "[image]"},
      {"<a href=\"other.html\" onclick=\"x()\">Other</a>",
       "<a href=\"https://example.invalid/reviews/other.html\">Other</a>"},
      {"<a href='javascript:alert(1)'>x</a>", "x"},
      {"<a href=\"file:///etc/passwd\">x</a>", "x"},
      {"<a href=\"https://a.invalid/?q=\\\"><b>\">x",
       "<a href=\"https://a.invalid/?q=\\\"><b>&quot;&gt;x</a>"},
      {"<p style=\"color:red\" class=x>P</p><br/>", "<p>P</p><br>"},
      {"<iframe src=x></iframe><object>o</object>", "o"},
      {"1 < 2 & 3 > 2", "1 &lt; 2 &amp; 3 &gt; 2"},
      {"cut <b", "cut &lt;b"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SafeHtml(c.Html, kBase), c.Safe) << c.Html;
  EXPECT_EQ(PlainTextHtml("a<b>\nc"), "a&lt;b&gt;<br>c");
}

}  // namespace
}  // namespace fx

#include "content/CatalogueSource.h"

namespace fx {
namespace {

TEST(CatalogueSources, TheUsersListReadBackAndBadLinesNamed) {
  const std::vector<TCatalogueSource> sources = {
      {"mine", "http://127.0.0.1:8000/db.xml", TCatalogueFormat::XmlDatabase, true},
      {"records", "/home/me/data", TCatalogueFormat::JsonFolder, false},
      {"api", "https://example.invalid/api/v1/?q=*:*&rows=200", TCatalogueFormat::JsonPages, true},
      {"addons", "https://example.invalid/content.json", TCatalogueFormat::AddonList, true},
  };
  std::vector<std::string> problems;
  const auto back = ParseCatalogueSources(FormatCatalogueSources(sources), &problems);
  ASSERT_EQ(back.size(), sources.size());
  for (std::size_t i = 0; i < sources.size(); ++i) {
    EXPECT_EQ(back[i].Name, sources[i].Name);
    EXPECT_EQ(back[i].Location, sources[i].Location);
    EXPECT_EQ(back[i].Format, sources[i].Format);
    EXPECT_EQ(back[i].Enabled, sources[i].Enabled);
  }
  EXPECT_TRUE(problems.empty());
  ParseCatalogueSources(
      "a\txml\ton\n../x\txml\ton\tf\nb\tyaml\ton\tf\nc\txml\tmaybe\tf\n# fine\n\n", &problems);
  EXPECT_EQ(problems.size(), 4u);
  EXPECT_EQ(UserCatalogueSources("/nonexistent/catalogues.txt", nullptr).size(),
            BuiltInCatalogues().size());
  EXPECT_EQ(PageAddress("https://e.invalid/api/v1/?q=*:*&rows=200", 400),
            "https://e.invalid/api/v1/?q=*:*&rows=200&start=400");
  EXPECT_EQ(FormatAge(59), "0 minutes");
  EXPECT_EQ(FormatAge(3600), "1 hour");
  EXPECT_EQ(FormatAge(3 * 86400), "3 days");
}

}  // namespace
}  // namespace fx
