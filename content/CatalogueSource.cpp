#include "content/CatalogueSource.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include "content/ContentText.h"
#include "content/JsonCatalogue.h"
#include "content/Screenshot.h"
#include "content/XmlCatalogue.h"
#include "platform/RegularFile.h"

namespace fx {

std::vector<TCatalogueSource> BuiltInCatalogues() {
  return {
      {"xml-database", "https://www.quaddicted.com/reviews/quaddicted_database.xml",
       TCatalogueFormat::XmlDatabase, true},
      {"xml-archive", "https://www.quaddicted.com/static/archive/quaddicted_database.xml",
       TCatalogueFormat::XmlDatabase, false},
      {"json-api", "https://www.quaddicted.com/api/v1/?q=*:*&rows=200", TCatalogueFormat::JsonPages,
       true},
      {"addons", "https://kexquake.s3.amazonaws.com/content.json", TCatalogueFormat::AddonList,
       true},
  };
}

bool IsWebAddress(std::string_view location) {
  return location.starts_with("http://") || location.starts_with("https://");
}

namespace {

constexpr std::pair<TCatalogueFormat, std::string_view> kFormatNames[] = {
    {TCatalogueFormat::XmlDatabase, "xml"},
    {TCatalogueFormat::JsonPages, "json-api"},
    {TCatalogueFormat::JsonFolder, "json-folder"},
    {TCatalogueFormat::AddonList, "addons"},
};

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t i = 0; i < 3; ++i) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) break;
    fields.push_back(line.substr(0, tab));
    line.remove_prefix(tab + 1);
  }
  fields.push_back(line);
  return fields;
}

}  // namespace

std::vector<TCatalogueSource> ParseCatalogueSources(std::string_view text,
                                                    std::vector<std::string>* problems) {
  std::vector<TCatalogueSource> sources;
  for (int number = 1; !text.empty(); ++number) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (TrimBlanks(line).empty() || TrimBlanks(line).starts_with('#')) continue;
    const std::vector<std::string_view> fields = Fields(line);
    const auto format = std::find_if(
        std::begin(kFormatNames), std::end(kFormatNames),
        [&](const auto& entry) { return fields.size() == 4 && entry.second == fields[1]; });
    std::string problem;
    if (fields.size() != 4)
      problem = "it does not have four fields separated by tabs";
    else if (!IsSafeName(fields[0]))
      problem = "the name is not a plain name";
    else if (format == std::end(kFormatNames))
      problem = "the format is not xml, json-api, json-folder or addons";
    else if (fields[2] != "on" && fields[2] != "off")
      problem = "the third field is not on or off";
    else if (fields[3].empty())
      problem = "it names no address or file";
    if (!problem.empty()) {
      if (problems) problems->push_back("line " + std::to_string(number) + ": " + problem);
      continue;
    }
    sources.push_back(
        {std::string(fields[0]), std::string(fields[3]), format->first, fields[2] == "on"});
  }
  return sources;
}

std::string FormatCatalogueSources(const std::vector<TCatalogueSource>& sources) {
  std::string out = "# name\tformat\ton|off\taddress or file\n";
  for (const TCatalogueSource& s : sources) {
    std::string_view format;
    for (const auto& [value, name] : kFormatNames)
      if (value == s.Format) format = name;
    out += s.Name + "\t" + std::string(format) + "\t" + (s.Enabled ? "on" : "off") + "\t" +
           s.Location + "\n";
  }
  return out;
}

std::vector<TCatalogueSource> UserCatalogueSources(const std::filesystem::path& file,
                                                   std::vector<std::string>* problems) {
  std::string text;
  try {
    text = ReadRegularFile(file, 1u << 20);
  } catch (const EFileOpenError& e) {
    if (e.Error() == ENOENT) return BuiltInCatalogues();
    if (problems) problems->push_back("is not read: " + e.Reason());
    return BuiltInCatalogues();
  }
  return ParseCatalogueSources(text, problems);
}

std::string PageAddress(std::string_view location, std::size_t start) {
  std::string address(location);
  address += address.find('?') == std::string::npos ? '?' : '&';
  return address + "start=" + std::to_string(start);
}

TCatalogue ReadCatalogueBytes(TCatalogueFormat format, std::string_view bytes) {
  switch (format) {
    case TCatalogueFormat::XmlDatabase:
      return ReadXmlCatalogue(bytes);
    case TCatalogueFormat::AddonList:
      return ReadAddonList(bytes);
    case TCatalogueFormat::JsonPages:
      return ReadJsonPage(bytes);
    case TCatalogueFormat::JsonFolder:
      break;
  }
  throw ECatalogue("a folder of records is not read from bytes");
}

TCatalogue ReadLocalCatalogue(TCatalogueFormat format, const std::filesystem::path& location) {
  if (format == TCatalogueFormat::JsonFolder) return ReadJsonFolder(location);
  TFileHandle file;
  try {
    file = OpenRegularFile(location, O_RDONLY);
  } catch (const EFileOpenError& e) {
    throw ECatalogue("'" + location.string() + "' cannot be read: " + e.Reason());
  }
  // Read on to one byte over the limit, so a file that grew since it was opened is still
  // refused by the readers' size checks.
  std::array<char, 1 << 16> chunk;
  ssize_t got = 0;
  const auto read = [&] {
    do {
      got = ::read(file.Get(), chunk.data(), chunk.size());
    } while (got < 0 && errno == EINTR);
    if (got < 0) throw ECatalogue("'" + location.string() + "' cannot be read");
    return got > 0;
  };
  const auto piece = [&] { return std::string_view(chunk.data(), static_cast<std::size_t>(got)); };
  // A page of the API is read a record at a time as the file comes in.
  if (format == TCatalogueFormat::JsonPages) {
    TJsonPageReader page;
    while (read())
      page.Feed(piece());
    return page.Finish();
  }
  // The others as one text of the file's size (a buffer of the largest size allowed would be
  // memory held for nothing).
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(location, error);
  std::string bytes;
  bytes.reserve(
      static_cast<std::size_t>(std::min<std::uintmax_t>(error ? 0 : size, kMaxCatalogueBytes)) + 1);
  while (bytes.size() <= kMaxCatalogueBytes && read())
    bytes.append(piece());
  return ReadCatalogueBytes(format, bytes);  // over 64 MB it refuses
}

std::string FormatAge(std::int64_t seconds) {
  const auto unit = [](std::int64_t n, const char* name) {
    return std::to_string(n) + " " + name + (n == 1 ? "" : "s");
  };
  if (seconds < 3600) return unit(std::max<std::int64_t>(seconds / 60, 0), "minute");
  if (seconds < 2 * 86400) return unit(seconds / 3600, "hour");
  return unit(seconds / 86400, "day");
}

void ResolveAddonAddresses(TCatalogue& catalogue, std::string_view location) {
  const auto resolve = [location](std::vector<std::string>& addresses) {
    std::vector<std::string> resolved;
    for (const std::string& address : addresses) {
      std::string absolute =
          IsWebAddress(address) ? address : ResolveRelativeUrl(location, address);
      if (!absolute.empty()) resolved.push_back(std::move(absolute));
    }
    addresses = std::move(resolved);
  };
  for (TContentPackage& p : catalogue.Packages) {
    resolve(p.Urls);
    resolve(p.Screenshots);
  }
}

}  // namespace fx
