// The JSON readers on arbitrary bytes: a page of records, one record and the add-on list.
// Each either refuses the document or returns records with plain-name ids, whose screenshot
// addresses are web addresses that stay below the add-on list's folder and whose cache files
// stay in the cache folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
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
  try {
    Check(fx::ReadJsonPage(bytes));
  } catch (const fx::ECatalogue&) {
  }
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
