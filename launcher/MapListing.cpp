#include "launcher/MapListing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <system_error>
#include <utility>
#include <vector>

#include "gamedata/BSPUtil.h"
#include "gamedata/PackUtil.h"
#include "platform/GamePaths.h"

namespace fx {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxTitle = 25;
constexpr std::size_t kShortTitle = 22;
// The name field of a pack directory record.
constexpr std::size_t kMaxPackName = 56;

bool HasExtensionIgnoringCase(std::string_view name, std::string_view extension) {
  return name.size() > extension.size() &&
         EqualsIgnoringCase(name.substr(name.size() - extension.size()), extension);
}

std::string WithoutExtension(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  return std::string(dot == std::string_view::npos ? fileName : fileName.substr(0, dot));
}

std::string FileNamePart(std::string_view storedName) {
  const std::size_t slash = storedName.find_last_of("\\/");
  const std::string_view name =
      slash == std::string_view::npos ? storedName : storedName.substr(slash + 1);
  return std::string(name.substr(0, kMaxPackName));
}

// Whether a folder entry is a regular file, or a link to one.
bool IsRegularEntry(DIR* folder, const dirent& entry) {
  if (entry.d_type == DT_REG) return true;
  if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK) return false;
  struct stat info {};
  return ::fstatat(::dirfd(folder), entry.d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
}

// The names of a folder's entries that end in `extension` (any case), sorted case-blind so
// the listing does not depend on the file system's order; names that differ only in case
// keep one order too. Pack names are listed whatever they are, so that one that cannot be
// opened shows up as an error rather than vanishing. The folder is read with readdir and
// each name folded once, as a listing of thousands of maps would otherwise spend as long
// on names as on reading the titles.
std::vector<std::string> NamesWithExtension(const fs::path& folder, std::string_view extension,
                                            bool regularOnly) {
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return {};
  std::vector<std::pair<std::string, std::string>> names;  // folded, as found
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == ".." || !HasExtensionIgnoringCase(name, extension)) continue;
    if (regularOnly && !IsRegularEntry(dir.get(), *entry)) continue;
    names.emplace_back(LowerAscii(name), std::string(name));
  }
  std::sort(names.begin(), names.end());
  std::vector<std::string> sorted;
  sorted.reserve(names.size());
  for (auto& name : names)
    sorted.push_back(std::move(name.second));
  return sorted;
}

TScriptLines FramedSection(std::vector<std::string> lines, std::string_view heading,
                           bool dedicated) {
  if (lines.empty()) return {};
  // Case-blind order, each line folded once rather than at every comparison.
  std::vector<std::pair<std::string, std::size_t>> keys;
  keys.reserve(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i)
    keys.emplace_back(LowerAscii(lines[i]), i);
  std::stable_sort(keys.begin(), keys.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  TScriptLines section{RuleLine(TRulePlace::MapListing, dedicated), HighlightLine(heading),
                       "echo "};
  section.reserve(lines.size() + 4);
  for (const auto& key : keys)
    section.push_back(std::move(lines[key.second]));
  section.push_back("echo ");
  return section;
}

std::vector<std::string> PackMapLines(const fs::path& packFile) {
  TPackFile pack(packFile, "maps*.bsp");
  std::vector<std::string> lines;
  for (const TLibEntry& entry : pack.Entries()) {
    const std::string name = FileNamePart(entry.Name());
    if (!IsListedMapName(name)) continue;
    const std::string title = ReadMapTitle(*pack.OpenEntry(entry));
    if (title == kNoEntityMarker) continue;
    lines.push_back(MapListLine(name, title));
  }
  return lines;
}

void Append(TScriptLines& lines, const TScriptLines& more) {
  lines.insert(lines.end(), more.begin(), more.end());
}

}  // namespace

std::string ShortenTitle(std::string_view title) {
  if (title.size() <= kMaxTitle) return std::string(title);
  return std::string(title.substr(0, kShortTitle)) + "...";
}

std::string MapListLine(std::string_view fileName, std::string_view title) {
  std::string name = LowerAscii(WithoutExtension(fileName));
  if (name.size() < 10) name.resize(10, ' ');
  return EchoLine(name + " " + ShortenTitle(title));
}

bool IsListedMapName(std::string_view fileName) {
  return !(fileName.size() >= 2 && EqualsIgnoringCase(fileName.substr(0, 2), "b_"));
}

TScriptLines FolderMapSection(const fs::path& folder, std::string_view relative, bool dedicated) {
  std::vector<std::string> lines;
  for (const std::string& name : NamesWithExtension(folder, ".bsp", true)) {
    if (!IsListedMapName(name)) continue;
    lines.push_back(MapListLine(name, ReadMapTitleFromFile(folder / name)));
  }
  return FramedSection(std::move(lines), "Maps in path: " + std::string(relative), dedicated);
}

TScriptLines PackMapSection(const fs::path& packFile, std::string_view relative, bool dedicated) {
  std::vector<std::string> lines;
  try {
    lines = PackMapLines(packFile);
  } catch (const std::exception&) {
    // The open quote is how the listing has always shown this line.
    return {"echo ", "echo \"\x02" + QuotedValue("Error on opening: " + std::string(relative)),
            "echo "};
  }
  return FramedSection(std::move(lines), "Maps in pack file: " + std::string(relative), dedicated);
}

TScriptLines BuildMapListing(const fs::path& gameFolder, std::string_view patch, bool dedicated,
                             std::string_view dateText) {
  TScriptLines listing = ScriptHeader(dateText);
  Append(listing,
         FolderMapSection(ResolveGamePath(gameFolder, "id1\\maps"), "id1\\maps", dedicated));
  if (patch.empty()) return listing;
  const std::string patchName(patch);
  const std::string patchMaps = patchName + "\\maps";
  Append(listing, FolderMapSection(ResolveGamePath(gameFolder, patchMaps), patchMaps, dedicated));
  const fs::path patchFolder = ResolveGamePath(gameFolder, patchName);
  for (const std::string& pack : NamesWithExtension(patchFolder, ".pak", false))
    Append(listing, PackMapSection(patchFolder / pack, patchName + "\\" + pack, dedicated));
  return listing;
}

}  // namespace fx
