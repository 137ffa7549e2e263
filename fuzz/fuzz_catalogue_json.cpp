// The JSON readers on arbitrary bytes: a page of records, one record and the add-on list.
// Each either refuses the document or returns records with plain-name ids, whose screenshot
// addresses are web addresses that stay below the add-on list's folder and whose cache files
// stay in the cache folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "content/ContentText.h"
#include "content/JsonCatalogue.h"
#include "content/Screenshot.h"

namespace {

bool IsWeb(std::string_view url) {
  return url.starts_with("http://") || url.starts_with("https://");
}

void Check(const fx::TCatalogue& catalogue) {
  constexpr std::string_view folder = "https://addons.example/list/";
  for (const fx::TContentPackage& p : catalogue.Packages) {
    if (!fx::IsSafeName(p.Id)) std::abort();
    for (const std::string& shot : p.Screenshots) {
      if (IsWeb(shot)) continue;
      const std::string url = fx::ResolveRelativeUrl("https://addons.example/list/c.json", shot);
      if (url.empty()) continue;
      if (!url.starts_with(folder)) std::abort();
      const std::string_view rest = std::string_view(url).substr(folder.size());
      if (rest.find_first_of("?#%:\\") != std::string_view::npos ||
          ("/" + std::string(rest) + "/").find("/../") != std::string::npos)
        std::abort();
    }
    for (const std::string& url : fx::ScreenshotUrls(p, "https://addons.example/list/c.json"))
      if (!IsWeb(url)) std::abort();
    if (fx::ScreenshotCacheFile("/cache", p.Id).parent_path() != "/cache") std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // The page whole, and fed in two pieces split where the input's first byte says: both
  // read the same records, or both refuse.
  std::optional<std::size_t> whole, pieces;
  try {
    const fx::TCatalogue c = fx::ReadJsonPage(bytes);
    Check(c);
    whole = c.Packages.size() + c.Skipped.size();
  } catch (const fx::ECatalogue&) {
  }
  try {
    const std::size_t split = size ? data[0] % (size + 1) : 0;
    fx::TJsonPageReader reader;
    reader.Feed(bytes.substr(0, split));
    reader.Feed(bytes.substr(split));
    const fx::TCatalogue c = reader.Finish();
    pieces = c.Packages.size() + c.Skipped.size();
  } catch (const fx::ECatalogue&) {
  }
  if (whole != pieces) std::abort();
  try {
    Check({{fx::ReadJsonRecord(bytes)}, {}});
  } catch (const fx::ECatalogue&) {
  }
  try {
    Check(fx::ReadAddonList(bytes));
  } catch (const fx::ECatalogue&) {
  }
  return 0;
}
