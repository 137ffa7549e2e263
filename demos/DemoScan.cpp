#include "demos/DemoScan.h"

#include <sys/stat.h>

#include <algorithm>
#include <system_error>
#include <unordered_map>

#include "demos/ZipDemos.h"
#include "gamedata/PackUtil.h"

namespace fx {

namespace fs = std::filesystem;

namespace {

// Engines find a demo by its path below the game directory, so demos in sub-folders
// ("demos/run1") play too; deeper than this nobody keeps them.
constexpr int kDeepest = 3;
// A game folder with more than this many demos is listed up to it.
constexpr std::size_t kMostDemos = 100000;

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lowered(std::string_view text) {
  std::string lower(text);
  std::ranges::transform(lower, lower.begin(), Lower);
  return lower;
}

bool EndsWithLower(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         Lowered(text.substr(text.size() - suffix.size())) == suffix;
}

bool IsDemoName(std::string_view name) {
  return EndsWithLower(name, ".dem") || EndsWithLower(name, ".qwd") || EndsWithLower(name, ".mvd");
}

// playdemo adds ".dem" itself (quakespasm Quake/cl_demo.c CL_PlayDemo_f: COM_AddExtension);
// a QuakeWorld demo is named with its extension, which FTE's player then keeps.
std::string EngineName(std::string_view relative) {
  if (EndsWithLower(relative, ".dem")) relative.remove_suffix(4);
  return std::string(relative);
}

std::int64_t ModifiedNs(const fs::directory_entry& entry) {
  std::error_code error;
  const auto time = entry.last_write_time(error);
  return error ? 0
               : std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch())
                     .count();
}

std::int64_t ModifiedNs(const fs::path& path) {
  return ModifiedNs(fs::directory_entry(path));
}

struct TFound {
  std::string Relative;  // below the game directory, '/' separated
  TDemoPlace Place;
};

class TLister {
 public:
  TLister(const fs::path& gameFolder, const fs::path& home) : FGame(gameFolder), FHome(home) {}

  std::vector<TFound> Folder(const fs::path& folder, TDemoArchiveRule rule) {
    std::vector<TFound> found;
    for (const fs::path& archive : ArchivesSearchedFirst(folder, rule))
      Archive(archive, found);
    Loose(folder, folder, 0, found);
    return found;
  }

 private:
  std::vector<fs::path> ArchivesSearchedFirst(const fs::path& folder, TDemoArchiveRule rule) const {
    std::vector<fs::path> archives;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
      const std::string name = it->path().filename().string();
      const bool pak = EndsWithLower(name, ".pak") && !rule.NumberedPaksOnly;
      const bool pk3 = EndsWithLower(name, ".pk3") && rule.LoadsPk3;
      if ((pak || pk3) && it->is_regular_file(error)) archives.push_back(it->path());
    }
    std::ranges::sort(archives, [](const fs::path& a, const fs::path& b) {
      return Lowered(a.filename().string()) > Lowered(b.filename().string());
    });
    // Each numbered archive goes ahead of the ones before it, so the highest is searched first.
    std::vector<fs::path> numbered;
    for (int number = 0; rule.NumberedPaksOnly; ++number) {
      fs::path pak = folder / ("pak" + std::to_string(number) + ".pak");
      if (!fs::is_regular_file(pak, error)) break;
      numbered.insert(numbered.begin(), std::move(pak));
    }
    archives.insert(archives.begin(), numbered.begin(), numbered.end());
    return archives;
  }

  void Archive(const fs::path& archive, std::vector<TFound>& found) const {
    const bool zip = EndsWithLower(archive.filename().string(), ".pk3");
    const std::string where = DemoWhere(archive, FGame, FHome);
    const std::int64_t modified = ModifiedNs(archive);
    const auto add = [&](std::string name, std::int64_t offset, std::int64_t size) {
      std::string relative = name;
      std::ranges::replace(relative, '\\', '/');
      found.push_back({relative,
                       {.File = archive,
                        .Entry = std::move(name),
                        .Container = zip ? TDemoContainer::Pk3 : TDemoContainer::Pak,
                        .Where = where,
                        .Offset = offset,
                        .Size = size,
                        .Modified = modified}});
    };
    if (zip) {
      for (const TZipEntry& entry : ZipEntries(archive))
        if (IsDemoName(entry.Name) && !entry.Name.ends_with('/')) add(entry.Name, 0, entry.Size);
      return;
    }
    try {
      TPackFile pack(archive, "*");
      for (const TLibEntry& entry : pack.Entries())
        if (IsDemoName(entry.Name()) && entry.FileLen() >= 0)
          add(entry.Name(), entry.FilePos(), entry.FileLen());
    } catch (const std::exception&) {
      // An archive that cannot be opened holds no demo the engine could play either.
    }
  }

  void Loose(const fs::path& root, const fs::path& folder, int depth,
             std::vector<TFound>& found) const {
    std::vector<fs::directory_entry> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error),
         end;
         !error && it != end; it.increment(error))
      entries.push_back(*it);
    std::ranges::sort(entries, {},
                      [](const fs::directory_entry& e) { return e.path().filename(); });
    const std::string where = DemoWhere(folder, FGame, FHome);
    for (const fs::directory_entry& entry : entries) {
      if (found.size() >= kMostDemos) return;
      const std::string name = entry.path().filename().string();
      // Linked folders are not followed, so a link back up cannot loop the walk.
      if (entry.is_directory(error) && !entry.is_symlink(error)) {
        if (depth < kDeepest) Loose(root, entry.path(), depth + 1, found);
        continue;
      }
      // One stat gives the kind, size and time (a link to a file counts as the file).
      struct stat info {};
      if (!IsDemoName(name) || ::stat(entry.path().c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        continue;
      found.push_back({entry.path().lexically_relative(root).generic_string(),
                       {.File = entry.path(),
                        .Entry = "",
                        .Container = TDemoContainer::Loose,
                        .Where = where,
                        .Offset = 0,
                        .Size = static_cast<std::int64_t>(info.st_size),
                        .Modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 +
                                    info.st_mtim.tv_nsec}});
    }
  }

  fs::path FGame;
  fs::path FHome;
};

bool IsDirectory(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

void AddSubfolderNames(const fs::path& folder, std::vector<std::string>& names) {
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
    if (it->is_directory(error)) names.push_back(it->path().filename().string());
}

}  // namespace

std::vector<TDemoGameDir> DemoGameDirs(const fs::path& gameFolder, const fs::path& userFolder,
                                       const fs::path& patchFolder,
                                       const TSearchFolders& searchFolders,
                                       TDemoArchiveRule archives) {
  std::vector<std::string> names;
  AddSubfolderNames(gameFolder, names);
  if (!userFolder.empty()) AddSubfolderNames(userFolder, names);
  // id1 first, then the mods by name; each once, whatever its case in either place.
  std::ranges::sort(names, [](const std::string& a, const std::string& b) {
    const bool aBase = Lowered(a) == "id1";
    const bool bBase = Lowered(b) == "id1";
    if (aBase != bBase) return aBase;
    return Lowered(a) < Lowered(b);
  });
  std::vector<TDemoGameDir> dirs;
  for (const std::string& name : names) {
    if (!dirs.empty() && Lowered(dirs.back().Name) == Lowered(name)) continue;
    dirs.push_back({name, searchFolders(name), archives});
  }
  const fs::path patch = patchFolder.lexically_normal();
  if (!patch.empty() && IsDirectory(patch) &&
      patch.parent_path() != (gameFolder / "").lexically_normal().parent_path())
    dirs.push_back({patch.filename().string(), {patch}, archives});
  return dirs;
}

std::string DemoWhere(const fs::path& path, const fs::path& gameFolder, const fs::path& home) {
  const auto below = [&](const fs::path& base) -> std::string {
    if (base.empty()) return {};
    const fs::path relative = path.lexically_normal().lexically_relative(base.lexically_normal());
    const std::string text = relative.generic_string();
    return relative.empty() || text.starts_with("..") ? std::string() : text;
  };
  if (std::string inGame = below(gameFolder); !inGame.empty()) return inGame;
  if (std::string inHome = below(home); !inHome.empty()) return "~/" + inHome;
  return path.generic_string();
}

std::vector<TDemoRow> ListDemos(const std::vector<TDemoGameDir>& dirs, const fs::path& gameFolder,
                                const fs::path& home) {
  std::vector<TDemoRow> rows;
  std::unordered_map<std::string, std::size_t> byName;
  TLister lister(gameFolder, home);
  for (const TDemoGameDir& dir : dirs) {
    byName.clear();
    for (const fs::path& folder : dir.Folders) {
      for (TFound& found : lister.Folder(folder, dir.Archives)) {
        const std::string name = EngineName(found.Relative);
        const auto [at, added] = byName.try_emplace(Lowered(name), rows.size());
        if (!added) {
          rows[at->second].AlsoIn.push_back(found.Place.Where);
          continue;
        }
        const std::size_t slash = found.Relative.find_last_of('/');
        rows.push_back(
            {.Name = name,
             .FileName = found.Relative.substr(slash == std::string::npos ? 0 : slash + 1),
             .GameDir = dir.Name,
             .Place = std::move(found.Place),
             .AlsoIn = {},
             .Info = {},
             .Read = false});
        if (rows.size() >= kMostDemos) return rows;
      }
    }
  }
  return rows;
}

TDemoInfo ReadDemoAt(const TDemoPlace& place) {
  const TDemoFormat format =
      DemoFormatOfName(place.Entry.empty() ? place.File.filename().string() : place.Entry);
  if (place.Container == TDemoContainer::Pk3) return ReadZipDemo(place.File, place.Entry, format);
  TFileDemoSource source(place.File, place.Offset,
                         place.Container == TDemoContainer::Pak ? place.Size : -1);
  if (!source.Opened()) {
    TDemoInfo info;
    info.Format = format;
    info.Problem = "cannot be opened";
    return info;
  }
  return ReadDemo(source, format);
}

}  // namespace fx
