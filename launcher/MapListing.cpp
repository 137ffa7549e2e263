#include "launcher/MapListing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <exception>
#include <iterator>
#include <memory>
#include <system_error>
#include <utility>
#include <vector>

#include "gamedata/BSPUtil.h"
#include "gamedata/FrameStream.h"
#include "gamedata/PackUtil.h"
#include "platform/GamePaths.h"

namespace fx {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxTitle = 25;
constexpr std::size_t kShortTitle = 22;
// The width the map's name is padded to.
constexpr std::size_t kNameColumns = 10;
// The name field of a pack directory record.
constexpr std::size_t kMaxPackName = 56;

bool HasExtensionIgnoringCase(std::string_view name, std::string_view extension) {
  return name.size() > extension.size() &&
         EqualsIgnoringCase(name.substr(name.size() - extension.size()), extension);
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

using TFolderHandle = std::unique_ptr<DIR, int (*)(DIR*)>;

TFolderHandle OpenFolder(const fs::path& folder) {
  return {::opendir(folder.c_str()), ::closedir};
}

// The names of a folder's entries that end in `extension` (any case), sorted case-blind so
// the listing does not depend on the file system's order; names that differ only in case
// keep one order too. Pack names are listed whatever they are, so that one that cannot be
// opened shows up as an error rather than vanishing. The folder is read with readdir and
// each name folded once, as a listing of thousands of maps would otherwise spend as long
// on names as on reading the titles.
std::vector<std::string> NamesWithExtension(DIR* folder, std::string_view extension,
                                            bool regularOnly) {
  if (!folder) return {};
  std::vector<std::pair<std::string, std::string>> names;  // folded, as found
  while (const dirent* entry = ::readdir(folder)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == ".." || !HasExtensionIgnoringCase(name, extension)) continue;
    if (regularOnly && !IsRegularEntry(folder, *entry)) continue;
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
  // Case-blind order. The lines mostly come in that order already (a folder's names are
  // sorted, an archive's directory usually is), and two lines differ within their first
  // few bytes, so folding while comparing is cheaper than a folded copy of each line.
  if (!std::is_sorted(lines.begin(), lines.end(), LessIgnoringCase))
    std::stable_sort(lines.begin(), lines.end(), LessIgnoringCase);
  TScriptLines section;
  section.reserve(lines.size() + 4);
  section.push_back(RuleLine(TRulePlace::MapListing, dedicated));
  section.push_back(HighlightLine(heading));
  section.push_back("echo ");
  std::move(lines.begin(), lines.end(), std::back_inserter(section));
  section.push_back("echo ");
  return section;
}

std::vector<std::string> PackMapLines(const fs::path& packFile) {
  TPackFile pack(packFile, "maps*.bsp");
  std::vector<std::string> lines;
  for (const TLibEntry& entry : pack.Entries()) {
    const std::string name = FileNamePart(entry.Name());
    if (!IsListedMapName(name)) continue;
    // A window on the stack rather than OpenEntry's: one allocation less per map.
    pack.Stream().SetPosition(0);
    TFrameStream data(pack.Stream(), entry.FilePos(), entry.FileLen());
    const std::string title = ReadMapTitle(data);
    if (title == kNoEntityMarker) continue;
    lines.push_back(MapListLine(name, title));
  }
  return lines;
}

void Append(TScriptLines& lines, TScriptLines more) {
  std::move(more.begin(), more.end(), std::back_inserter(lines));
}

}  // namespace

std::string ShortenTitle(std::string_view title) {
  if (title.size() <= kMaxTitle) return std::string(title);
  return std::string(title.substr(0, kShortTitle)) + "...";
}

std::string MapListLine(std::string_view fileName, std::string_view title) {
  // Built in one piece: the same bytes as EchoLine(name + " " + ShortenTitle(title)),
  // without the four copies that would make for every map.
  const std::string_view name = fileName.substr(0, fileName.rfind('.'));
  const bool shortened = title.size() > kMaxTitle;
  const std::string_view shown = shortened ? title.substr(0, kShortTitle) : title;
  std::string line;
  line.reserve(6 + std::max(name.size(), kNameColumns) + 1 + shown.size() + 4);
  line += "echo \"";
  // Spelled as on disk: "map" with this name must find the file on a case-sensitive system.
  AppendQuotedValue(line, name);
  if (name.size() < kNameColumns) line.append(kNameColumns - name.size(), ' ');
  line += ' ';
  AppendQuotedValue(line, shown);
  if (shortened) line += "...";
  line += '"';
  return line;
}

bool IsListedMapName(std::string_view fileName) {
  return !(fileName.size() >= 2 && EqualsIgnoringCase(fileName.substr(0, 2), "b_"));
}

TScriptLines FolderMapSection(const fs::path& folder, std::string_view relative, bool dedicated) {
  const TFolderHandle dir = OpenFolder(folder);
  std::vector<std::string> lines;
  for (const std::string& name : NamesWithExtension(dir.get(), ".bsp", true)) {
    if (!IsListedMapName(name)) continue;
    // Opened within the open folder: one name to resolve per map, not the whole path.
    lines.push_back(MapListLine(name, ReadMapTitleInFolder(::dirfd(dir.get()), name)));
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
  for (const std::string& pack : NamesWithExtension(OpenFolder(patchFolder).get(), ".pak", false))
    Append(listing, PackMapSection(patchFolder / pack, patchName + "\\" + pack, dedicated));
  return listing;
}

}  // namespace fx
