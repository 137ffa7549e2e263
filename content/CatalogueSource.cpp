#include "content/CatalogueSource.h"

#include <fstream>

#include "content/JsonCatalogue.h"
#include "content/XmlCatalogue.h"

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
  std::ifstream in(location, std::ios::binary);
  if (!in) throw ECatalogue("'" + location.string() + "' cannot be read");
  std::string bytes(kMaxCatalogueBytes + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
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

}  // namespace fx
