#include <gtest/gtest.h>

#include <fstream>

#include "content/CatalogueBuilder.h"
#include "content/CatalogueMerge.h"
#include "content/CatalogueSource.h"
#include "content/JsonCatalogue.h"
#include "content/JsonTags.h"
#include "content/XmlCatalogue.h"
#include "fixtures/TempDir.h"

namespace fx {
namespace {

using test::TJsonRecord;

TEST(JsonCatalogue, ReadsARecordWithTagsFilesAndInstall) {
  TJsonRecord r;
  r.Sha256 = std::string(64, 'C');
  r.Tags = {"filename=czg07.zip",
            "title=Insomnia",
            "author=czg",
            "author=a friend",
            "type=episode",
            "type=mod",
            "game_mode=singleplayer",
            "game_mode=deathmatch",
            "release_date=2000-05",
            "startmap=czg07",
            "commandline=-game czg07",
            "zipbasedir=czg07/",
            "dependency=quoth",
            "depends=('ad>=1.70', 'copper')",
            "provides='ad=1.71'",
            "version=1.71",
            "mod=ad",
            "exceeds_quake_limits=yes",
            "bsp_format=BSP2",
            "link:review=[Review](https://example.invalid/r)",
            "theme=base",
            "unknown_key=kept out"};
  r.Files = R"({"czg07.txt": {"bytes": 8657, "sha256": ")" + std::string(64, 'd') +
            R"(", "timestamp": "2001-01-01T19:23:52.000Z"}, "pak0.pak": {"bytes": 14526472,
            "sha256": ")" +
            std::string(64, 'e') + R"(", "files": {"maps/czg07.bsp":
            {"bytes": 2119692, "sha256": ")" +
            std::string(64, 'f') + R"("}}}})";
  r.Install =
      R"({"extract": "{base}/czg07/", "extractmapping": {"/xl4/": "/id1/maps/", "/x.pts": null}})";
  const TContentPackage p = ReadJsonRecord(test::JsonText(r));
  EXPECT_EQ(p.Id, "czg07");
  EXPECT_EQ(p.Sha256, std::string(64, 'c'));
  EXPECT_EQ(p.Bytes, 607813u);
  EXPECT_EQ(p.Title, "Insomnia");
  EXPECT_EQ(p.Author, "czg, a friend");
  EXPECT_EQ(p.Types, (std::vector<std::string>{"episode", "mod"}));
  EXPECT_TRUE(p.SinglePlayer && p.Deathmatch && !p.Coop);
  EXPECT_EQ(p.Date, (TContentDate{2000, 5, 0}));
  EXPECT_EQ(p.StartMaps, std::vector<std::string>{"czg07"});
  EXPECT_EQ(p.CommandLine, "-game czg07");
  EXPECT_EQ(p.ZipBaseDir, "czg07/");
  EXPECT_EQ(p.Requirements, std::vector<std::string>{"quoth"});
  EXPECT_EQ(p.Depends, (std::vector<std::string>{"ad>=1.70", "copper"}));
  EXPECT_EQ(p.Provides, std::vector<std::string>{"ad=1.71"});
  EXPECT_EQ(p.Version, "1.71");
  EXPECT_EQ(p.Mod, "ad");
  EXPECT_TRUE(p.ExceedsLimits && p.Bsp2);
  EXPECT_EQ(p.Links, std::vector<std::string>{"https://example.invalid/r"});
  EXPECT_EQ(p.Tags, std::vector<std::string>{"base"});
  ASSERT_EQ(p.Files.size(), 2u);
  EXPECT_EQ(p.Files[1].Path, "pak0.pak");
  ASSERT_EQ(p.Files[1].Inner.size(), 1u);
  EXPECT_EQ(p.Files[1].Inner[0].Bytes, 2119692u);
  EXPECT_EQ(p.Extract, "{base}/czg07/");
  ASSERT_EQ(p.ExtractMapping.size(), 2u);
  EXPECT_EQ(p.ExtractMapping[0].second, "/id1/maps/");
  EXPECT_FALSE(p.ExtractMapping[1].second.has_value());
}

TEST(JsonCatalogue, PageSkipsMalformedRecordsWithTheirReason) {
  const auto with = [](auto change) {
    TJsonRecord r;
    change(r);
    return test::JsonText(r);
  };
  std::vector<std::string> records;
  for (int i = 0; i < 5; ++i)
    records.push_back(with([i](TJsonRecord& r) {
      r.Sha256 = test::HexOf(i);
      r.Tags[0] = "filename=good" + std::to_string(i) + ".zip";
    }));
  const std::pair<std::string, std::string> broken[] = {
      {with([](TJsonRecord& r) { r.Sha256 = "abc"; }), "sha256 is not 64"},
      {with([](TJsonRecord& r) { r.Bytes = "-5"; }), "bytes is not a whole number"},
      {with([](TJsonRecord& r) { r.Bytes = "0"; }), "no size"},
      {with([](TJsonRecord& r) { r.Tags.push_back("release_date=2000-13-01"); }), "release_date"},
      {with([](TJsonRecord& r) { r.Tags[0] = "filename=../../x.zip"; }), "not a plain file name"},
      {with([](TJsonRecord& r) { r.Files = "[1]"; }), "files is not an object"},
      {"42", "not an object"},
      {with([](TJsonRecord& r) { r.Sha256 = test::HexOf(0); }), "appears twice"},
  };
  for (const auto& [text, reason] : broken)
    records.push_back(text);
  const TCatalogue c = ReadJsonPage(test::JsonArray(records));
  EXPECT_EQ(c.Packages.size(), 5u);
  ASSERT_EQ(c.Skipped.size(), std::size(broken));
  for (std::size_t i = 0; i < std::size(broken); ++i)
    EXPECT_NE(c.Skipped[i].Reason.find(broken[i].second), std::string::npos) << c.Skipped[i].Reason;
}

TEST(JsonCatalogue, RefusesDocumentsThatAreNotPagesOrTooDeep) {
  const struct {
    std::string Bytes, Reason;
  } cases[] = {
      {"{\"a\": 1}", "not a list"},
      {std::string(40, '[') + std::string(40, ']'), "deeper than 32"},
      {std::string(33, '[') + std::string(33, ']'), "deeper than 32"},
      {"[{\"sha256\": ", "refused"},
      {"[{}, ]", "refused"},
      {"[, {}]", "refused"},
      {"[{} {}]", "refused"},
      {"[{}] []", "refused"},
      {"[{}}]", "refused"},
      {" ", "refused"},
      {std::string(kMaxCatalogueBytes + 1, ' '), "larger than 64 MB"},
  };
  for (const auto& c : cases) {
    try {
      ReadJsonPage(c.Bytes);
      ADD_FAILURE() << c.Reason;
    } catch (const ECatalogue& e) {
      EXPECT_NE(std::string(e.what()).find(c.Reason), std::string::npos) << e.what();
    }
  }
}

TEST(JsonCatalogue, APageReadInPiecesIsReadAsAWhole) {
  // Texts holding the list's punctuation, escaped quotes and a backslash before a closing
  // quote, so that a piece ends anywhere in them.
  TJsonRecord tricky;
  tricky.Sha256 = test::HexOf(1);
  tricky.Description = R"(a \"quoted\" [x], {y}, and a backslash \\)";
  tricky.Tags = {"filename=tricky.zip", R"(title=Ends in \\)", R"(author=\\\"q\\\")"};
  TJsonRecord plain;
  plain.Sha256 = test::HexOf(2);
  const std::string page =
      test::JsonArray({test::JsonText(tricky), "[[1]]", test::JsonText(plain)});
  // 32 levels in all are allowed: the second element is only no record.
  EXPECT_EQ(ReadJsonPage("[" + std::string(31, '[') + std::string(32, ']')).Skipped.size(), 1u);
  const TCatalogue whole = ReadJsonPage(page);
  ASSERT_EQ(whole.Packages.size(), 2u);
  ASSERT_EQ(whole.Skipped.size(), 1u);
  EXPECT_EQ(whole.Packages[0].Description, R"(a "quoted" [x], {y}, and a backslash \)");
  EXPECT_EQ(whole.Packages[0].Title, R"(Ends in \)");
  EXPECT_EQ(whole.Packages[0].Author, R"(\"q\")");
  for (const std::size_t size : {1, 2, 3, 7, 64}) {
    TJsonPageReader reader;
    for (std::size_t at = 0; at < page.size(); at += size)
      reader.Feed(std::string_view(page).substr(at, size));
    const TCatalogue c = reader.Finish();
    ASSERT_EQ(c.Packages.size(), 2u) << size;
    EXPECT_EQ(c.Skipped.size(), 1u) << size;
    for (std::size_t i = 0; i < 2; ++i) {
      EXPECT_EQ(c.Packages[i].Description, whole.Packages[i].Description) << size;
      EXPECT_EQ(c.Packages[i].Title, whole.Packages[i].Title) << size;
      EXPECT_EQ(c.Packages[i].Author, whole.Packages[i].Author) << size;
    }
  }
}

TEST(JsonCatalogue, APageFileIsReadInPiecesAsItsBytesWould) {
  std::vector<std::string> records;
  for (int i = 0; i < 700; ++i) {  // over 192 KiB: several pieces
    TJsonRecord r;
    r.Sha256 = test::HexOf(static_cast<unsigned>(i));
    r.Tags = {"filename=p" + std::to_string(i) + ".zip", "title=Title \\\"" + std::to_string(i)};
    records.push_back(test::JsonText(r));
  }
  const std::string page = test::JsonArray(records);
  ASSERT_GT(page.size(), 3u << 16);
  test::TTempDir dir;
  std::ofstream(dir / "page.json", std::ios::binary) << page;
  const TCatalogue fromFile = ReadLocalCatalogue(TCatalogueFormat::JsonPages, dir / "page.json");
  const TCatalogue fromBytes = ReadJsonPage(page);
  ASSERT_EQ(fromFile.Packages.size(), 700u);
  for (std::size_t i = 0; i < 700; ++i)
    EXPECT_EQ(fromFile.Packages[i].Title, fromBytes.Packages[i].Title);
  EXPECT_EQ(fromFile.Packages[699].Title, "Title \"699");
}

TEST(JsonCatalogue, FolderReadsOnlyRecordsNamedByTheirHash) {
  test::TTempDir dir;
  const auto write = [&](const std::string& relative, const std::string& text) {
    const auto path = dir / ("json/by-sha256/" + relative);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text;
    return path;
  };
  TJsonRecord good;
  good.Sha256 = test::HexOf(1);
  write(good.Sha256.substr(0, 2) + "/" + good.Sha256 + ".json", test::JsonText(good));
  TJsonRecord misnamed;
  misnamed.Sha256 = test::HexOf(2);
  write(good.Sha256.substr(0, 2) + "/" + test::HexOf(3) + ".json", test::JsonText(misnamed));
  const auto elsewhere = write(misnamed.Sha256.substr(0, 2) + "/notes.txt", "hello");
  std::filesystem::create_symlink(
      dir / "json/by-sha256" / good.Sha256.substr(0, 2) / (good.Sha256 + ".json"),
      elsewhere.parent_path() / (test::HexOf(4) + ".json"));
  const TCatalogue c = ReadJsonFolder(dir.Path());
  ASSERT_EQ(c.Packages.size(), 1u);
  EXPECT_EQ(c.Packages[0].Sha256, good.Sha256);
  EXPECT_EQ(c.Skipped.size(), 3u);  // misnamed, not a record, a symbolic link
  EXPECT_THROW(ReadJsonFolder(dir / "missing"), ECatalogue);
}

TEST(JsonCatalogue, AddOnList) {
  const std::string list = R"({"addons": [
    {"id": "q64", "name": "Quake 64", "author": "A Maker", "date": "1998/3/24", "size": 101636600,
     "description": {"fr": "Texte", "en": "Text"}, "gamedir": "q64", "download": "dl/q64.pak",
     "screenshots": ["screenshots/q64/1.jpg"]},
    {"id": "xmen", "name": "X", "date": "1997", "size": 5, "gamedir": "xmen", "download": "dl/x.pak"},
    {"id": "bad", "gamedir": "../id1"},
    {"id": "late", "gamedir": "late", "date": "24.03.1998"}]})";
  const TCatalogue c = ReadAddonList(list);
  ASSERT_EQ(c.Packages.size(), 2u);
  EXPECT_EQ(c.Packages[0].Title, "Quake 64");
  EXPECT_EQ(c.Packages[0].Description, "Text");
  EXPECT_EQ(c.Packages[0].Date, (TContentDate{1998, 3, 24}));
  EXPECT_EQ(c.Packages[0].Mod, "q64");
  EXPECT_EQ(c.Packages[0].Urls, std::vector<std::string>{"dl/q64.pak"});
  EXPECT_EQ(c.Packages[1].Date, (TContentDate{1997, 0, 0}));
  ASSERT_EQ(c.Skipped.size(), 2u);
  EXPECT_NE(c.Skipped[0].Reason.find("gamedir"), std::string::npos);
  EXPECT_NE(c.Skipped[1].Reason.find("date"), std::string::npos);
  EXPECT_THROW(ReadAddonList("[]"), ECatalogue);
}

TEST(CatalogueMerge, OnePackageFromTwoCataloguesOnce) {
  test::TXmlRecord xml;
  xml.Id = "czg07";
  xml.StartMaps = {"start"};
  test::TXmlRecord other;
  other.Id = "other";
  other.Md5 = std::string(32, 'b');
  TJsonRecord json;
  json.Tags = {"filename=czg07.zip", "title=From JSON", "startmap=czg07"};
  TJsonRecord copy = json;  // the same archive in a second JSON source, under another name
  copy.Tags = {"filename=renamed.zip"};
  TJsonRecord alone;
  alone.Sha256 = test::HexOf(9);
  alone.Tags = {"filename=alone.zip"};
  std::vector<TCatalogue> sources;
  sources.push_back(ReadXmlCatalogue(test::XmlDatabase({xml, other})));
  sources.push_back(ReadJsonPage(test::JsonArray({test::JsonText(json), test::JsonText(alone)})));
  sources.push_back(ReadJsonPage(test::JsonArray({test::JsonText(copy)})));
  const TCatalogue merged = MergeCatalogues(std::move(sources));
  ASSERT_EQ(merged.Packages.size(), 3u);
  const TContentPackage& p = merged.Packages[0];
  EXPECT_EQ(p.Id, "czg07");
  EXPECT_EQ(p.Title, "A Test Map");  // the first catalogue's text wins
  EXPECT_EQ(p.Rating, 4);            // only the XML has ratings
  EXPECT_EQ(p.Sha256, json.Sha256);  // only the JSON has the archive's SHA-256
  EXPECT_EQ(p.StartMaps, (std::vector<std::string>{"start", "czg07"}));
  EXPECT_EQ(p.Sources, kFromXml | kFromJson);
  EXPECT_EQ(merged.Packages[1].Id, "other");
  EXPECT_EQ(merged.Packages[2].Id, "alone");
}

TEST(JsonTags, ConstraintLists) {
  const struct {
    const char* Text;
    std::vector<std::string> Items;
  } cases[] = {
      {"('quoth>=2.0')", {"quoth>=2.0"}},
      {"( 'ad>=1.70' , \"copper\" )", {"ad>=1.70", "copper"}},
      {"quoth", {"quoth"}},
      {"'ad=1.71'", {"ad=1.71"}},
      {"()", {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SplitConstraintList(c.Text), c.Items) << c.Text;
}

}  // namespace
}  // namespace fx
