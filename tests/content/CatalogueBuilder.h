#pragma once

// Catalogues made at test time with the records' structure (made-up texts): the XML
// database, the JSON records and pages, and generated catalogues at the real sizes for the
// benchmark.

#include <string>
#include <vector>

namespace fx::test {

struct TXmlRecord {
  std::string Id = "testmap";
  std::string Type = "1";
  std::string Rating = "4";
  std::string UsersRating = "3.50";
  std::string Author = "Some Mapper";
  std::string Title = "A Test Map";
  std::string Md5 = "0123456789abcdef0123456789abcdef";
  std::string Size = "593";
  std::string Date = "24.10.97";
  std::string Description = "A <b>short</b> map with a <a href=\"other.html\">link</a>.";
  std::vector<std::string> Tags;
  std::string ZipBaseDir;
  std::string CommandLine;
  std::vector<std::string> StartMaps;
  std::vector<std::string> Requirements;
};

std::string XmlText(const TXmlRecord& record);
std::string XmlDatabase(const std::vector<TXmlRecord>& records);

struct TJsonRecord {
  std::string Sha256 = std::string(64, 'a');
  std::string Bytes = "607813";
  std::string Description = "Plain text.";
  std::vector<std::string> Tags = {"filename=testmap.zip",   "title=A Test Map",
                                   "author=Someone",         "type=map",
                                   "game_mode=singleplayer", "release_date=2022-10-08"};
  std::string Files;  // the JSON text of "files", or empty for none
  std::string Install = "{\"extract\": \"{base}/id1/maps/\"}";
  std::vector<std::string> Urls = {"https://example.invalid/testmap.zip"};
};

std::string JsonText(const TJsonRecord& record);
std::string JsonArray(const std::vector<std::string>& records);

// The JSON record of an archive `zip` named `id`.zip: its entries (name, bytes) with their
// hashes, `tags` besides filename, title and type, the install folder `extract`, one URL.
std::string ArchiveRecord(const std::string& id, const std::string& zip,
                          const std::vector<std::pair<std::string, std::string>>& entries,
                          const std::vector<std::string>& tags, const std::string& extract,
                          const std::string& url);

// A 64-digit hexadecimal text made from a number.
std::string HexOf(unsigned long long number, std::size_t digits = 64);

// Generated catalogues of `count` packages: the XML about 590 bytes a record (1.18 MB
// for 2,000), the JSON page with file trees of `files` entries (about 20 MB for 2,000 with 60).
std::string GeneratedXml(int count);
std::string GeneratedJsonPage(int count, int files);

}  // namespace fx::test
