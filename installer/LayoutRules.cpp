#include "installer/LayoutRules.h"

#include <algorithm>
#include <set>

#include "installer/EntryNames.h"

namespace fx {

namespace {

std::string FirstPart(const std::string& path) {
  return path.substr(0, path.find('/'));
}
std::string AfterFirst(const std::string& path) {
  const auto slash = path.find('/');
  return slash == std::string::npos ? "" : path.substr(slash + 1);
}
std::string FileName(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}
std::string Extension(const std::string& path) {
  const std::string name = FileName(path);
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? "" : LowerAscii(name.substr(dot));
}

// What marks a folder (or the archive's root) as a mod: the game code or an archive of data.
bool IsModMarker(const std::string& fileName) {
  const std::string lower = LowerAscii(fileName);
  const std::string ext = Extension(lower);
  return lower == "progs.dat" || lower == "csprogs.dat" || ext == ".pak" || ext == ".pk3";
}

// The files that travel with a map in maps/.
bool IsMapFile(const std::string& fileName) {
  static const std::set<std::string> kMapFiles{".bsp", ".lit", ".ent", ".vis", ".loc", ".rtlights"};
  return kMapFiles.count(Extension(fileName)) != 0;
}

struct TRootView {
  std::set<std::string> TopFolders;  // first parts of paths with a "/"
  std::vector<std::string> RootFiles;
};

TRootView ViewRoot(const std::vector<std::string>& paths) {
  TRootView view;
  for (const std::string& p : paths) {
    if (p.find('/') == std::string::npos)
      view.RootFiles.push_back(p);
    else
      view.TopFolders.insert(FirstPart(p));
  }
  return view;
}

bool FolderIsMod(const std::vector<std::string>& paths, const std::string& folder) {
  for (const std::string& p : paths)
    if (FirstPart(p) == folder && p.find('/', folder.size() + 1) == std::string::npos &&
        IsModMarker(FileName(p)))
      return true;
  return false;
}

std::string DefaultFolder(const std::string& into) {
  return into.empty() ? "id1" : into;
}

}  // namespace

TLayoutResult DecideLayout(const TLayoutInput& input) {
  TLayoutResult result;
  std::vector<std::string> paths = input.Paths;
  std::string stripped;  // the wrapper folders taken off, to put back in no target
  // A single top folder that is neither a mod nor a folder the engines look for, with
  // nothing beside it, only wraps what is inside it.
  for (int depth = 0; depth < 4; ++depth) {
    const TRootView view = ViewRoot(paths);
    if (!view.RootFiles.empty() || view.TopFolders.size() != 1) break;
    const std::string top = *view.TopFolders.begin();
    if (IsEngineFolder(top) || FolderIsMod(paths, top) || LowerAscii(top) == "id1") break;
    // A wrapper around maps/ and the like: unwrap. Around folders that are mods: unwrap.
    // Around anything else (no engine folder inside, no mod marker): the folder is a mod
    // folder of its own (a map pack's "mymod/maps/...").
    bool holdsEngineFolders = false, holdsModFolders = false;
    for (const std::string& p : paths) {
      const std::string rest = AfterFirst(p);
      if (rest.find('/') != std::string::npos && IsEngineFolder(FirstPart(rest)))
        holdsEngineFolders = true;
    }
    std::vector<std::string> inner;
    for (const std::string& p : paths)
      inner.push_back(AfterFirst(p));
    for (const std::string& f : ViewRoot(inner).TopFolders)
      if (!IsEngineFolder(f) && FolderIsMod(inner, f)) holdsModFolders = true;
    const TRootView innerView = ViewRoot(inner);
    bool innerHasMarkers = false;
    for (const std::string& f : innerView.RootFiles)
      if (IsModMarker(f) || IsMapFile(f)) innerHasMarkers = true;
    if (!holdsEngineFolders && !holdsModFolders && !innerHasMarkers) break;
    paths = std::move(inner);
    stripped += top + "/";
  }

  const TRootView view = ViewRoot(paths);
  bool rootMod = false, rootMaps = false;
  for (const std::string& f : view.RootFiles) {
    rootMod = rootMod || IsModMarker(f);
    rootMaps = rootMaps || IsMapFile(f);
  }
  bool engineTree = false;
  std::vector<std::string> modFolders;
  for (const std::string& top : view.TopFolders) {
    if (IsEngineFolder(top))
      engineTree = true;
    else
      modFolders.push_back(top);
  }

  std::string docsFolder;  // where documents at the root go
  if (rootMod) {
    result.Layout = TLayout::NamedMod;
    result.Folder = input.Into.empty() ? input.ArchiveStem : input.Into;
    docsFolder = result.Folder;
  } else if (!modFolders.empty() && !engineTree) {
    result.Layout = TLayout::ModFolder;
    result.Folder = modFolders.front();
    docsFolder = result.Folder;
  } else if (engineTree) {
    result.Layout = TLayout::GameTree;
    result.Folder = DefaultFolder(input.Into);
    docsFolder = result.Folder + "/maps";
  } else if (rootMaps) {
    result.Layout = TLayout::BareMaps;
    result.Folder = DefaultFolder(input.Into);
    docsFolder = result.Folder + "/maps";
  } else {
    result.Refusal = "no maps, mod folder or game files in it: its layout is not recognised";
    return result;
  }

  for (const std::string& p : paths) {
    const bool atRoot = p.find('/') == std::string::npos;
    std::string target;
    switch (result.Layout) {
      case TLayout::NamedMod:
        target = result.Folder + "/" + p;
        break;
      case TLayout::ModFolder:
        // Mod folders stand as they are; files beside them go into the (first) mod.
        target = atRoot ? docsFolder + "/" + p : p;
        break;
      case TLayout::GameTree:
        if (atRoot)
          target = (IsMapFile(p) ? result.Folder + "/maps" : docsFolder) + "/" + p;
        else if (IsEngineFolder(FirstPart(p)))
          target = result.Folder + "/" + p;
        else
          target = p;  // a mod folder beside the game tree keeps its place
        break;
      default:  // BareMaps
        target = result.Folder + "/maps/" + p;
        break;
    }
    result.Targets.emplace_back(std::move(target));
  }
  return result;
}

TLayoutResult ApplyExplicitTarget(const std::vector<std::string>& paths,
                                  const TExplicitTarget& target) {
  TLayoutResult result;
  result.Layout = TLayout::Explicit;
  std::string base;
  if (target.Extract) {
    std::string extract = *target.Extract;
    if (!extract.starts_with("{base}")) {
      result.Refusal = "its install target " + extract + " is not below the game folder";
      return result;
    }
    base = extract.substr(6);
  } else if (target.ZipBaseDir) {
    base = *target.ZipBaseDir;
  }
  // A base is a folder below the game folder: checked as an entry name would be.
  auto checkFolder = [&](const std::string& folder) -> std::optional<std::string> {
    std::string trimmed = folder;
    while (!trimmed.empty() && (trimmed.front() == '/' || trimmed.front() == '\\'))
      trimmed.erase(0, 1);
    if (trimmed.empty()) return std::string();
    const TCheckedName checked = CheckEntryName(trimmed);
    if (!checked.Refusal.empty()) return std::nullopt;
    return checked.Path + "/";
  };
  const auto baseFolder = checkFolder(base);
  if (!baseFolder) {
    result.Refusal = "its install target " + base + " is not below the game folder";
    return result;
  }
  for (const std::string& p : paths) {
    const std::string key = "/" + p;
    const std::pair<std::string, std::optional<std::string>>* best = nullptr;
    for (const auto& mapping : target.ExtractMapping) {
      const std::string& from = mapping.first;
      if (from == key) {
        best = &mapping;
        break;
      }
      if (!from.empty() && from.back() == '/' && key.starts_with(from) &&
          (best == nullptr || from.size() > best->first.size()))
        best = &mapping;
    }
    if (best == nullptr) {
      result.Targets.emplace_back(*baseFolder + p);
      continue;
    }
    if (!best->second) {
      result.Targets.emplace_back(std::nullopt);  // "do not install"
      continue;
    }
    const std::string& to = *best->second;
    std::string mapped;
    if (best->first == key)
      mapped = !to.empty() && to.back() == '/' ? to + FileName(p) : to;
    else
      mapped = to + key.substr(best->first.size());
    while (!mapped.empty() && mapped.front() == '/')
      mapped.erase(0, 1);
    const TCheckedName checked = CheckEntryName(mapped);
    if (!checked.Refusal.empty() || checked.Folder) {
      result.Refusal =
          "its mapping sends " + p + " to " + to + ", which is not below the game folder";
      return result;
    }
    result.Targets.emplace_back(checked.Path);
  }
  for (const auto& t : result.Targets)
    if (t) {
      result.Folder = FirstPart(*t);
      break;
    }
  return result;
}

}  // namespace fx
