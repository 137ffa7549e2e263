#include "content/Screenshot.h"

#include <algorithm>

#include "content/CatalogueSource.h"
#include "content/ContentText.h"
#include "installer/Hashers.h"

namespace fx {

namespace {

constexpr std::string_view kArchiveShots = "https://www.quaddicted.com/reviews/screenshots/";

bool IsPlainPath(std::string_view path) {
  if (path.empty()) return false;
  for (;;) {
    const std::size_t slash = path.find('/');
    if (!IsSafeName(path.substr(0, slash))) return false;
    if (slash == std::string_view::npos) return true;
    path.remove_prefix(slash + 1);
  }
}

void AddOnce(std::vector<std::string>& urls, std::string url) {
  if (!url.empty() && std::find(urls.begin(), urls.end(), url) == urls.end())
    urls.push_back(std::move(url));
}

}  // namespace

std::string ResolveRelativeUrl(std::string_view base, std::string_view relative) {
  if (!IsWebAddress(base) || !IsPlainPath(relative)) return {};
  base = base.substr(0, base.find_first_of("?#"));
  const std::size_t host = base.find("://") + 3;
  const std::size_t slash = base.rfind('/');
  const std::string folder =
      slash < host ? std::string(base) + "/" : std::string(base.substr(0, slash + 1));
  return folder + std::string(relative);
}

std::vector<std::string> ScreenshotUrls(const TContentPackage& p, std::string_view addonCatalogue) {
  std::vector<std::string> urls;
  for (const std::string& shot : p.Screenshots) {
    if (IsWebAddress(shot))
      AddOnce(urls, shot);
    else if (p.Sources & kFromAddons)
      AddOnce(urls, ResolveRelativeUrl(addonCatalogue, shot));
  }
  // The archive's screenshots are named after the package's id (its review pages do so).
  if ((p.Sources & (kFromXml | kFromJson)) && IsSafeName(p.Id)) {
    AddOnce(urls, std::string(kArchiveShots) + p.Id + "_injector.jpg");
    AddOnce(urls, std::string(kArchiveShots) + p.Id + ".jpg");
  }
  return urls;
}

std::filesystem::path ScreenshotCacheFile(const std::filesystem::path& cacheFolder,
                                          std::string_view id) {
  return cacheFolder / ((IsSafeName(id) ? std::string(id) : Sha256Hex(id)) + ".image");
}

TImageKind ImageKindOf(std::string_view head) {
  if (head.starts_with("\xFF\xD8\xFF")) return TImageKind::Jpeg;
  if (head.starts_with(std::string_view("\x89PNG\r\n\x1A\n", 8))) return TImageKind::Png;
  return TImageKind::None;
}

}  // namespace fx
