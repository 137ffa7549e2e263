#include "installer/Download.h"

#include <algorithm>
#include <cctype>

namespace fx {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        out += static_cast<char>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

}  // namespace

std::filesystem::path DownloadCacheFolder(const std::filesystem::path& cacheHome) {
  return cacheHome / "fraxinel" / "downloads";
}

std::filesystem::path DownloadCacheFile(const std::filesystem::path& folder,
                                        const std::string& url) {
  std::string_view rest = url;
  if (const auto scheme = rest.find("://"); scheme != std::string_view::npos)
    rest.remove_prefix(scheme + 3);
  rest = rest.substr(0, rest.find_first_of("?#"));
  const auto slash = rest.find('/');
  rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
  std::string name = PercentDecoded(rest.substr(rest.find_last_of('/') + 1));
  std::ranges::replace_if(
      name,
      [](unsigned char c) {
        return !(std::isalnum(c) && c < 0x80) && c != '.' && c != '_' && c != '+' && c != '-';
      },
      '_');
  // Well below the 255 bytes of a name, with room for ".part".
  if (name.size() > 200) name.erase(0, name.size() - 200);
  if (name.empty() || name == "." || name == "..") name = "download";
  return folder / name;
}

}  // namespace fx
