#include "content/CatalogueBuilder.h"

#include <cstdio>

#include "installer/Hashers.h"

namespace fx::test {

namespace {

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

std::string List(const std::vector<std::string>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i)
    out += (i ? ", " : "") + Quoted(items[i]);
  return out + "]";
}

}  // namespace

std::string HexOf(unsigned long long number, std::size_t digits) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex(digits, '0');
  // Spread the number over the whole text so that prefixes differ too.
  unsigned long long mixed = number * 0x9E3779B97F4A7C15ull + 1;
  for (std::size_t i = 0; i < digits; ++i) {
    hex[i] = kHex[(mixed >> ((i % 16) * 4)) & 15];
    if (i % 16 == 15) mixed = mixed * 6364136223846793005ull + 1442695040888963407ull;
  }
  return hex;
}

std::string XmlText(const TXmlRecord& r) {
  std::string out = "<file id=\"" + r.Id + "\" type=\"" + r.Type + "\" rating=\"" + r.Rating +
                    "\" normalized_users_rating=\"" + r.UsersRating + "\">\n";
  out += "\t<author>" + r.Author + "</author>\n\t<title>" + r.Title + "</title>\n";
  out += "\t<md5sum>" + r.Md5 + "</md5sum>\n\t<size>" + r.Size + "</size>\n";
  out += "\t<date>" + r.Date + "</date>\n";
  out += "\t<description><![CDATA[" + r.Description + "]]></description>\n";
  if (!r.Tags.empty()) {
    out += "\t<tags>";
    for (const std::string& tag : r.Tags)
      out += "<tag>" + tag + "</tag>";
    out += "</tags>\n";
  }
  out += "\t<techinfo>\n";
  if (!r.ZipBaseDir.empty()) out += "\t\t<zipbasedir>" + r.ZipBaseDir + "</zipbasedir>\n";
  if (!r.CommandLine.empty()) out += "\t\t<commandline>" + r.CommandLine + "</commandline>\n";
  for (const std::string& map : r.StartMaps)
    out += "\t\t<startmap>" + map + "</startmap>\n";
  if (!r.Requirements.empty()) {
    out += "\t\t<requirements>\n";
    for (const std::string& id : r.Requirements)
      out += "\t\t\t<file id=\"" + id + "\" />\n";
    out += "\t\t</requirements>\n";
  }
  return out + "\t</techinfo>\n</file>\n";
}

std::string XmlDatabase(const std::vector<TXmlRecord>& records) {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<files>\n";
  for (const TXmlRecord& record : records)
    out += XmlText(record);
  return out + "</files>\n";
}

std::string JsonText(const TJsonRecord& r) {
  std::string out = "{\"bytes\": " + r.Bytes + ", \"description\": " + Quoted(r.Description);
  if (!r.Files.empty()) out += ", \"files\": " + r.Files;
  if (!r.Install.empty()) out += ", \"install\": " + r.Install;
  out += ", \"json_version\": \"2025.09.27\", \"sha256\": " + Quoted(r.Sha256);
  out += ", \"tags\": " + List(r.Tags) + ", \"urls\": " + List(r.Urls) + "}";
  return out;
}

std::string JsonArray(const std::vector<std::string>& records) {
  std::string out = "[";
  for (std::size_t i = 0; i < records.size(); ++i)
    out += (i ? ",\n" : "") + records[i];
  return out + "]";
}

std::string ArchiveRecord(const std::string& id, const std::string& zip,
                          const std::vector<std::pair<std::string, std::string>>& entries,
                          const std::vector<std::string>& tags, const std::string& extract,
                          const std::string& url) {
  TJsonRecord r;
  r.Sha256 = Sha256Hex(zip);
  r.Bytes = std::to_string(zip.size());
  r.Tags = {"filename=" + id + ".zip", "title=" + id, "type=map"};
  r.Tags.insert(r.Tags.end(), tags.begin(), tags.end());
  r.Files = "{";
  for (std::size_t i = 0; i < entries.size(); ++i)
    r.Files += std::string(i ? ", " : "") + Quoted(entries[i].first) +
               ": {\"bytes\": " + std::to_string(entries[i].second.size()) +
               ", \"sha256\": " + Quoted(Sha256Hex(entries[i].second)) + "}";
  r.Files += "}";
  r.Install = "{\"extract\": " + Quoted(extract) + "}";
  r.Urls = {url};
  return JsonText(r);
}

std::string GeneratedXml(int count) {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<files>\n";
  for (int i = 0; i < count; ++i) {
    TXmlRecord r;
    r.Id = "pkg" + std::to_string(i);
    r.Type = std::to_string(1 + i % 2);
    r.Rating = std::to_string(1 + i % 5);
    r.Md5 = HexOf(static_cast<unsigned>(i), 32);
    r.Size = std::to_string(100 + i * 37 % 90000);
    r.Date = std::to_string(10 + i % 18) + ".0" + std::to_string(1 + i % 9) + "." +
             std::to_string(1996 + i % 30);
    r.Title = "Generated Package Number " + std::to_string(i);
    r.Description = "A generated description of package " + std::to_string(i) +
                    " with some <b>markup</b> and words to search through, long enough to weigh "
                    "as much as the real ones do on average.";
    r.Tags = {"medium", "base"};
    r.ZipBaseDir = "id1/maps/";
    r.StartMaps = {"pkg" + std::to_string(i) + "_start"};
    out += XmlText(r);
  }
  return out + "</files>\n";
}

std::string GeneratedJsonPage(int count, int files) {
  std::string out = "[";
  for (int i = 0; i < count; ++i) {
    TJsonRecord r;
    r.Sha256 = HexOf(static_cast<unsigned>(i));
    r.Bytes = std::to_string(34935 + i * 9973);
    r.Tags = {"filename=pkg" + std::to_string(i) + ".zip",
              "title=Generated " + std::to_string(i),
              "author=Author " + std::to_string(i % 97),
              "type=map",
              "game_mode=singleplayer",
              "release_date=20" + std::to_string(10 + i % 15) + "-05-25",
              "theme=base",
              "map_size=medium",
              "startmap=pkg" + std::to_string(i)};
    r.Files = "{";
    for (int f = 0; f < files; ++f) {
      char name[64];
      std::snprintf(name, sizeof name, "maps/pkg%d_part%02d.bsp", i, f);
      r.Files += std::string(f ? ", " : "") + Quoted(name) +
                 ": {\"bytes\": " + std::to_string(1000 + f * 7919) +
                 ", \"sha256\": " + Quoted(HexOf(static_cast<unsigned long long>(i) * 1000 + f)) +
                 ", \"timestamp\": \"2001-01-01T19:23:52.000Z\"}";
    }
    r.Files += "}";
    out += (i ? ",\n" : "") + JsonText(r);
  }
  return out + "]";
}

}  // namespace fx::test
