#include "launcher/MapListing.h"

#include <algorithm>
#include <exception>
#include <system_error>
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

bool HasExtensionIgnoringCase(const std::string& name, std::string_view extension) {
  return name.size() > extension.size() &&
         EqualsIgnoringCase(std::string_view(name).substr(name.size() - extension.size()),
                            extension);
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

// The entries of a folder whose names end in `extension` (any case), sorted case-blind so
// the listing does not depend on the file system's order. Pack names are listed whatever
// they are, so that one that cannot be opened shows up as an error rather than vanishing.
std::vector<fs::path> FilesWithExtension(const fs::path& folder, std::string_view extension,
                                         bool regularOnly) {
  std::vector<fs::path> files;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    std::error_code typeError;
    if (HasExtensionIgnoringCase(name, extension) &&
        (!regularOnly || it->is_regular_file(typeError)))
      files.push_back(it->path());
  }
  std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
    return LessIgnoringCase(a.filename().string(), b.filename().string());
  });
  return files;
}

TScriptLines FramedSection(std::vector<std::string> lines, std::string_view heading,
                           bool dedicated) {
  if (lines.empty()) return {};
  std::stable_sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
    return LessIgnoringCase(a, b);
  });
  TScriptLines section{RuleLine(TRulePlace::MapListing, dedicated), HighlightLine(heading),
                       "echo "};
  section.insert(section.end(), lines.begin(), lines.end());
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
  for (const fs::path& file : FilesWithExtension(folder, ".bsp", true)) {
    const std::string name = file.filename().string();
    if (!IsListedMapName(name)) continue;
    lines.push_back(MapListLine(name, ReadMapTitleFromFile(file)));
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
  for (const fs::path& pack :
       FilesWithExtension(ResolveGamePath(gameFolder, patchName), ".pak", false))
    Append(listing, PackMapSection(pack, patchName + "\\" + pack.filename().string(), dedicated));
  return listing;
}

}  // namespace fx
