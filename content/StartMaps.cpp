#include "content/StartMaps.h"

#include <algorithm>
#include <string_view>
#include <system_error>
#include <unordered_map>

#include "content/ContentText.h"
#include "gamedata/BSPUtil.h"
#include "platform/AsciiCase.h"

namespace fx {

namespace {

namespace fs = std::filesystem;

// "<folder>/maps/<name>.bsp" of a manifest: the name, or empty. The engine opens
// "maps/<name>.bsp" exactly so, so other spellings of "maps" or ".bsp" are no start map.
std::string_view MapNameOf(std::string_view path) {
  const std::size_t slash = path.find('/');
  if (slash == std::string_view::npos || !IsSafeName(path.substr(0, slash))) return {};
  std::string_view rest = path.substr(slash + 1);
  if (!rest.starts_with("maps/") || !rest.ends_with(".bsp")) return {};
  rest = rest.substr(5, rest.size() - 9);
  return IsSafeName(rest) ? rest : std::string_view();
}

// The title of a map file: read only from a regular file (a FIFO would block the read), the
// game's special characters as text, on one line.
std::string TitleOf(const fs::path& file) {
  std::error_code error;
  if (!fs::is_regular_file(file, error)) return {};
  std::string title = TranslateTitle(ReadMapTitleFromFile(file));
  if (title == kUntitledTitle) return {};
  std::replace_if(
      title.begin(), title.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
  return std::string(TrimBlanks(title));
}

}  // namespace

std::vector<std::string> InstalledMapNames(const TPackageManifest& manifest) {
  std::vector<std::string> names;
  for (const TManifestFile& file : manifest.Files)
    if (const std::string_view name = MapNameOf(file.Path); !name.empty())
      if (std::find(names.begin(), names.end(), name) == names.end()) names.emplace_back(name);
  return names;
}

std::vector<TStartMapChoice> StartMapChoices(const std::vector<std::string>& maps,
                                             const TPackageManifest* manifest,
                                             const fs::path& gameFolder) {
  // The installed files by their names folded, the first of each.
  std::unordered_map<std::string, std::pair<std::string, std::string>> installed;
  if (manifest != nullptr)
    for (const TManifestFile& file : manifest->Files)
      if (const std::string_view name = MapNameOf(file.Path); !name.empty())
        installed.try_emplace(LowerAscii(name), std::string(name), file.Path);
  std::vector<TStartMapChoice> choices;
  for (const std::string& map : maps) {
    const auto found = installed.find(LowerAscii(map));
    TStartMapChoice choice{found == installed.end() ? map : found->second.first, {}};
    if (std::any_of(choices.begin(), choices.end(),
                    [&](const TStartMapChoice& c) { return c.Map == choice.Map; }))
      continue;
    if (found != installed.end()) choice.Title = TitleOf(gameFolder / found->second.second);
    choices.push_back(std::move(choice));
  }
  return choices;
}

std::string StartMapCaption(const TStartMapChoice& choice) {
  return choice.Title.empty() ? choice.Map : choice.Map + " - " + choice.Title;
}

}  // namespace fx
