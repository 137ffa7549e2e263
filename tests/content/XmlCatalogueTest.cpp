#include <gtest/gtest.h>

#include <algorithm>

#include "content/CatalogueBuilder.h"
#include "content/ContentText.h"
#include "content/XmlCatalogue.h"

namespace fx {
namespace {

using test::TXmlRecord;

TEST(XmlCatalogue, ReadsEveryFieldOfARecord) {
  TXmlRecord r;
  r.Id = "100b4";
  r.Type = "2";
  r.Size = "46606";
  r.Date = "10.06.18";
  r.Tags = {"small", "base"};
  r.ZipBaseDir = "100b4/";
  r.CommandLine = "-quoth -game 100b4";
  r.StartMaps = {"start", "100b4_artistical01"};
  r.Requirements = {"quoth2pt2full_2"};
  r.Md5 = "A90A75A2903FD846EDC3DC8A7A3E0418";
  const TCatalogue c = ReadXmlCatalogue(test::XmlDatabase({r}));
  ASSERT_EQ(c.Packages.size(), 1u);
  const TContentPackage& p = c.Packages[0];
  EXPECT_EQ(p.Id, "100b4");
  EXPECT_EQ(p.Title, "A Test Map");
  EXPECT_EQ(p.Author, "Some Mapper");
  EXPECT_EQ(p.Types, std::vector<std::string>{"mod"});
  EXPECT_EQ(p.Rating, 4);
  EXPECT_DOUBLE_EQ(p.UsersRating.value_or(-1), 3.5);
  EXPECT_EQ(p.Bytes, 46606u * 1024);
  EXPECT_EQ(p.Md5, "a90a75a2903fd846edc3dc8a7a3e0418");
  EXPECT_EQ(p.Date, (TContentDate{2018, 6, 10}));
  EXPECT_EQ(p.Description, r.Description);
  EXPECT_EQ(p.Tags, r.Tags);
  EXPECT_EQ(p.ZipBaseDir, "100b4/");
  EXPECT_EQ(p.CommandLine, "-quoth -game 100b4");
  EXPECT_EQ(p.StartMaps, r.StartMaps);
  EXPECT_EQ(p.Requirements, r.Requirements);
  EXPECT_EQ(p.Urls.at(0), "https://www.quaddicted.com/filebase/100b4.zip");
  EXPECT_EQ(p.Sources, kFromXml);
}

TEST(XmlCatalogue, DatesOfBothLengthsAndTheCenturyRule) {
  const struct {
    const char* Text;
    std::optional<TContentDate> Date;
  } cases[] = {
      {"24.10.97", TContentDate{1997, 10, 24}},
      {"15.08.14", TContentDate{2014, 8, 15}},
      {"01.01.89", TContentDate{2089, 1, 1}},
      {"01.01.90", TContentDate{1990, 1, 1}},
      {"08.10.2022", TContentDate{2022, 10, 8}},
      {"1.2.03", TContentDate{2003, 2, 1}},
      {"29.02.2001", std::nullopt},
      {"29.02.2000", TContentDate{2000, 2, 29}},
      {"31.04.99", std::nullopt},
      {"10.13.99", std::nullopt},
      {"10.06.018", std::nullopt},
      {"2018-06-10", std::nullopt},
      {"", std::nullopt},
      {"10.06.", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseDottedDate(c.Text), c.Date) << c.Text;
}

// 100 records, 10 of them broken each in its own way: 90 load, 10 reasons are listed.
TEST(XmlCatalogue, SkipsMalformedRecordsWithTheirReasonAndLoadsTheRest) {
  const std::vector<std::pair<void (*)(TXmlRecord&), std::string>> breakages = {
      {[](TXmlRecord& r) { r.Date = "31.02.99"; }, "date '31.02.99'"},
      {[](TXmlRecord& r) { r.Date = "yesterday"; }, "date 'yesterday'"},
      {[](TXmlRecord& r) { r.Size = "12k"; }, "size '12k'"},
      {[](TXmlRecord& r) { r.Rating = "7"; }, "rating '7'"},
      {[](TXmlRecord& r) { r.UsersRating = "nan"; }, "users' rating 'nan'"},
      {[](TXmlRecord& r) { r.Md5 = "xyz"; }, "md5sum"},
      {[](TXmlRecord& r) { r.Id = ""; }, "no id"},
      {[](TXmlRecord& r) { r.Id = "../evil"; }, "not a plain file name"},
      {[](TXmlRecord& r) { r.Id = "pkg3"; }, "appears twice"},
      {[](TXmlRecord& r) { r.Id = ".."; }, "not a plain file name"},
  };
  std::vector<TXmlRecord> records(100);
  for (int i = 0; i < 100; ++i)
    records[i].Id = "pkg" + std::to_string(i);
  for (std::size_t b = 0; b < breakages.size(); ++b)
    breakages[b].first(records[10 + b * 9]);
  const TCatalogue c = ReadXmlCatalogue(test::XmlDatabase(records));
  EXPECT_EQ(c.Packages.size(), 90u);
  ASSERT_EQ(c.Skipped.size(), 10u);
  for (std::size_t b = 0; b < breakages.size(); ++b)
    EXPECT_NE(c.Skipped[b].Reason.find(breakages[b].second), std::string::npos)
        << c.Skipped[b].Record << ": " << c.Skipped[b].Reason;
  EXPECT_NE(c.Skipped[0].Record.find("(line "), std::string::npos);
}

TEST(XmlCatalogue, ASkippedRecordNamesTheLineItStartsOnWhateverEndsTheLines) {
  std::vector<TXmlRecord> records(3);
  records[1].Id = "bad";
  records[1].Date = "31.02.99";
  records[2].Id = "after";
  const std::string lf = test::XmlDatabase(records);
  const auto start = lf.find("<file id=\"bad\"");
  ASSERT_NE(start, std::string::npos);
  const std::string line =
      "(line " + std::to_string(1 + std::count(lf.begin(), lf.begin() + start, '\n')) + ")";
  for (const std::string ending : {"\n", "\r\n", "\r"}) {
    std::string text;
    for (const char c : lf)
      text += c == '\n' ? ending : std::string(1, c);
    const TCatalogue c = ReadXmlCatalogue(text);
    ASSERT_EQ(c.Skipped.size(), 1u);
    EXPECT_NE(c.Skipped[0].Record.find(line), std::string::npos)
        << c.Skipped[0].Record << " for " << line;
  }
}

TEST(XmlCatalogue, RefusesHostileDocuments) {
  const std::string laughs =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE files [<!ENTITY a \"aaaaaaaaaa\">"
      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]>"
      "<files><file id=\"x\"><title>&c;</title></file></files>";
  const std::string external =
      "<?xml version=\"1.0\"?><!DOCTYPE files SYSTEM \"file:///etc/passwd\"><files/>";
  std::string deep = "<files><file id=\"x\">";
  for (int i = 0; i < 40; ++i)
    deep += "<d>";
  for (int i = 0; i < 40; ++i)
    deep += "</d>";
  deep += "</file></files>";
  TXmlRecord longText;
  longText.Description = std::string(kMaxCatalogueString + 1, 'x');
  std::string huge = "<files>";
  huge.resize(kMaxCatalogueBytes + 1, ' ');
  const struct {
    std::string Name, Bytes, Reason;
  } cases[] = {
      {"billion laughs", laughs, "DOCTYPE"},
      {"external DTD", external, "DOCTYPE"},
      {"nesting over 32", deep, "deeper than 32"},
      {"a text over 1 MB", test::XmlDatabase({longText}), "longer than 1 MB"},
      {"a document over 64 MB", huge, "larger than 64 MB"},
      {"another root", "<rss><file id=\"x\"/></rss>", "not the XML database"},
      {"cut off", test::XmlDatabase({TXmlRecord{}}).substr(0, 200), "not well-formed"},
      {"empty", "", "not well-formed"},
  };
  for (const auto& c : cases) {
    try {
      ReadXmlCatalogue(c.Bytes);
      ADD_FAILURE() << c.Name << " was read";
    } catch (const ECatalogue& e) {
      EXPECT_NE(std::string(e.what()).find(c.Reason), std::string::npos)
          << c.Name << ": " << e.what();
    }
  }
}

}  // namespace
}  // namespace fx
