#include "gamedata/MapBrowse.h"

#include <algorithm>
#include <cctype>
#include <numeric>
#include <system_error>
#include <utility>

#include "gamedata/BSPUtil.h"
#include "gamedata/DocumentList.h"
#include "gamedata/PackUtil.h"
#include "platform/GamePaths.h"
#include "platform/PackDirectory.h"
#include "settings/PathUtils.h"

namespace fx {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPackMapPattern = "maps*.bsp";
constexpr std::string_view kFolderMapMask = "*.bsp";
constexpr std::string_view kPackMask = "*.pak";
constexpr std::string_view kNoPatch = "(None)";

std::string UpperCase(std::string_view text) {
  std::string result(text);
  for (char& c : result)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return result;
}

bool SameText(std::string_view a, std::string_view b) {
  return UpperCase(a) == UpperCase(b);
}

bool IsBrushModelName(std::string_view fileName) {
  return fileName.size() >= 2 && SameText(fileName.substr(0, 2), "b_");
}

// The archive stores "\" between folders; either separator ends the folder part.
std::string_view EntryFileName(std::string_view storedName) {
  const std::size_t slash = storedName.find_last_of("\\/");
  return slash == std::string_view::npos ? storedName : storedName.substr(slash + 1);
}

// Regular files of a folder (or links to them) whose names match the mask, sorted by name:
// a pipe or device named like a map or an archive is none. The
// names are sorted as strings: comparing the paths would split them into components at every
// comparison, which holds a big folder's first rows back.
std::vector<fs::path> MatchingFiles(const fs::path& folder, std::string_view mask) {
  std::vector<std::pair<std::string, fs::path>> files;
  std::error_code error;
  fs::directory_iterator it(folder, error), end;
  for (; !error && it != end; it.increment(error)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    std::string name = it->path().filename().string();
    if (MatchesFileMask(name, mask)) files.emplace_back(std::move(name), it->path());
  }
  std::sort(files.begin(), files.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<fs::path> paths;
  paths.reserve(files.size());
  for (auto& file : files)
    paths.push_back(std::move(file.second));
  return paths;
}

}  // namespace

bool IsPackSource(std::string_view source) {
  return HasExtension(source, ".pak");
}

fs::path SourceFolder(std::string_view source) {
  const fs::path path{std::string(source)};
  return IsPackSource(source) ? path.parent_path() : path;
}

std::string ChosenMapText(const TMapRow& row) {
  if (row.Title.empty() || SameText(row.Title, kUntitledTitle)) return row.Caption;
  return row.Caption + ": " + row.Title;
}

std::optional<fs::path> FindMapDocument(std::string_view source, std::string_view caption,
                                        std::span<const std::string_view> extensions) {
  const fs::path folder = SourceFolder(source);
  for (const std::string_view extension : extensions) {
    // The caption is a file name, never a path: a map called "..\x" must not lead out.
    const std::string name = std::string(caption) + std::string(extension);
    if (name.find_first_of("\\/") != std::string::npos) return std::nullopt;
    const fs::path candidate = ResolveGamePath(folder, name);
    std::error_code error;
    if (fs::is_regular_file(candidate, error)) return candidate;
  }
  return std::nullopt;
}

namespace {

// The re-release's mission packs, each in a folder of its own beside id1.
constexpr std::string_view kMissionPackFolders[] = {"hipnotic", "rogue"};

bool IsFolder(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

// The sources the main window offers, in groups, each source once.
class TSourceGroups {
 public:
  // Adds a folder's archives, then its "maps" folder when there is one; returns the group.
  std::vector<std::string> AddFolder(const fs::path& folder) {
    std::vector<std::string> group;
    for (const fs::path& pack : MatchingFiles(folder, kPackMask))
      Add(group, pack.string());
    if (const fs::path maps = ResolveGamePath(folder, "maps"); IsFolder(maps))
      Add(group, maps.string());
    return group;
  }
  void Add(std::vector<std::string>& group, std::string source) {
    if (std::find(FAll.begin(), FAll.end(), source) != FAll.end()) return;
    FAll.push_back(source);
    group.push_back(std::move(source));
  }
  std::vector<std::string> All() const { return FAll; }

 private:
  std::vector<std::string> FAll;
};

void Append(std::vector<std::string>& to, const std::vector<std::string>& more) {
  to.insert(to.end(), more.begin(), more.end());
}

}  // namespace

bool SourceHoldsMaps(std::string_view source) {
  if (!IsPackSource(source))
    return std::ranges::any_of(
        MatchingFiles(fs::path(std::string(source)), kFolderMapMask),
        [](const fs::path& file) { return !IsBrushModelName(file.filename().string()); });
  // The directory only: this is asked of the sources before the browser opens.
  for (const std::string& name : PackEntryNames(fs::path(std::string(source))))
    if (MatchesPackPattern(name, kPackMapPattern) && !IsBrushModelName(EntryFileName(name)))
      return true;
  return false;
}

TMapSources MapBrowserSources(const std::string& gameFolder, const std::string& patchText) {
  TSourceGroups groups;
  const std::string id1Maps = ResolveGamePath(gameFolder, "id1\\maps").string();
  std::vector<std::string> id1;
  groups.Add(id1, id1Maps);
  for (const fs::path& pack : MatchingFiles(ResolveGamePath(gameFolder, "id1"), kPackMask))
    groups.Add(id1, pack.string());
  std::vector<std::string> patch;
  if (!patchText.empty() && !SameText(patchText, kNoPatch))
    patch = groups.AddFolder(ResolveModFolder(gameFolder, patchText));
  std::vector<std::string> missionPacks;
  for (const std::string_view pack : kMissionPackFolders)
    if (const fs::path folder = ResolveGamePath(gameFolder, pack); IsFolder(folder))
      Append(missionPacks, groups.AddFolder(folder));

  TMapSources sources;
  sources.Items = groups.All();
  // The patch's maps folder comes last in its group and is looked at first.
  std::vector<std::string> preferred(patch.rbegin(), patch.rend());
  Append(preferred, id1);
  Append(preferred, missionPacks);
  const auto holding =
      std::find_if(preferred.begin(), preferred.end(),
                   [](const std::string& source) { return SourceHoldsMaps(source); });
  if (holding != preferred.end())
    sources.Initial = *holding;
  else if (!patch.empty() && !IsPackSource(patch.back()))
    sources.Initial = patch.back();
  else
    sources.Initial = id1Maps;
  return sources;
}

TMapRowReader::TMapRowReader(std::string_view source, TFormatSettings format)
    : FFormat(std::move(format)) {
  if (IsPackSource(source)) {
    FPack = std::make_unique<TPackFile>(fs::path(std::string(source)), kPackMapPattern);
  } else {
    FFiles = MatchingFiles(fs::path(std::string(source)), kFolderMapMask);
  }
}

TMapRowReader::~TMapRowReader() = default;

std::size_t TMapRowReader::Total() const {
  return FPack ? FPack->Entries().size() : FFiles.size();
}

std::vector<TMapRow> TMapRowReader::Next(std::size_t count) {
  std::vector<TMapRow> rows;
  for (; count > 0 && !Done(); --count, ++FPosition) {
    std::optional<TMapRow> row = FPack ? ReadPackEntry(FPosition) : ReadFolderFile(FPosition);
    if (row) rows.push_back(std::move(*row));
  }
  return rows;
}

std::optional<TMapRow> TMapRowReader::ReadPackEntry(std::size_t index) {
  const TLibEntry& entry = FPack->Entries()[index];
  const std::string name = entry.Name();
  const std::string_view fileName = EntryFileName(name);
  if (IsBrushModelName(fileName)) return std::nullopt;
  std::string title = TranslateTitle(ReadMapTitle(*FPack->OpenEntry(entry)));
  // A map that has no world in it is not a level one could start.
  if (title == kNoEntityMarker) return std::nullopt;
  return MakeRow(std::string(fileName), entry.FileLen(), std::move(title));
}

std::optional<TMapRow> TMapRowReader::ReadFolderFile(std::size_t index) const {
  const fs::path& file = FFiles[index];
  const std::string fileName = file.filename().string();
  if (IsBrushModelName(fileName)) return std::nullopt;
  std::error_code error;
  const std::uintmax_t size = fs::file_size(file, error);
  // A file removed since the folder was listed counts as empty, as an unreadable map does.
  const std::int64_t bytes = error ? 0 : static_cast<std::int64_t>(size);
  return MakeRow(fileName, bytes, TranslateTitle(ReadMapTitleFromFile(file)));
}

TMapRow TMapRowReader::MakeRow(std::string fileName, std::int64_t size, std::string title) const {
  TMapRow row;
  row.Caption = UpperCase(ExtractFileTitle(fileName));
  row.SizeText = FormatKB(size, FFormat);
  row.Title = std::move(title);
  row.FileName = std::move(fileName);
  row.Size = size;
  return row;
}

std::vector<std::size_t> SortedMapRowOrder(const std::vector<TMapRow>& rows) {
  std::vector<std::size_t> order(rows.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&rows](std::size_t a, std::size_t b) {
    return rows[a].Caption < rows[b].Caption;
  });
  return order;
}

void SortMapRows(std::vector<TMapRow>& rows) {
  std::stable_sort(rows.begin(), rows.end(),
                   [](const TMapRow& a, const TMapRow& b) { return a.Caption < b.Caption; });
}

bool ReadMapRowsInBatches(TMapRowReader& reader, std::size_t batchSize,
                          const std::atomic<bool>& cancel,
                          const std::function<void(std::vector<TMapRow>, std::size_t position,
                                                   std::size_t total)>& deliver) {
  while (!reader.Done()) {
    if (cancel.load(std::memory_order_relaxed)) return false;
    std::vector<TMapRow> rows = reader.Next(std::max<std::size_t>(batchSize, 1));
    deliver(std::move(rows), reader.Position(), reader.Total());
  }
  return true;
}

std::vector<TMapRow> ReadMapRows(std::string_view source, TFormatSettings format) {
  TMapRowReader reader(source, std::move(format));
  std::vector<TMapRow> rows;
  while (!reader.Done()) {
    std::vector<TMapRow> batch = reader.Next(256);
    std::move(batch.begin(), batch.end(), std::back_inserter(rows));
  }
  SortMapRows(rows);
  return rows;
}

}  // namespace fx
