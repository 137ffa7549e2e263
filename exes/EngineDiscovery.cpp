#include "exes/EngineDiscovery.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <system_error>

#include "exes/EngineProfiles.h"
#include "exes/ExeNames.h"
#include "platform/RegistryTypes.h"

#include <unistd.h>

namespace fx {

namespace {

namespace fs = std::filesystem;

bool IsProgram(const fs::path& file) {
  std::error_code ec;
  return fs::is_regular_file(file, ec) && ::access(file.c_str(), X_OK) == 0;
}

// The same file however it was reached; a path that cannot be resolved stands for itself.
fs::path Identity(const fs::path& file) {
  std::error_code ec;
  fs::path canonical = fs::canonical(file, ec);
  return ec ? file : canonical;
}

// "io.github.Novum.vkQuake" -> "vkQuake"; a name without dots is its own last part.
std::string_view LastDottedPart(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? name : name.substr(dot + 1);
}

bool IsFlatpakFolder(const fs::path& folder) {
  return folder.string().ends_with("flatpak/exports/bin");
}

// The program for `program` in `folder`: the file of that name, or in a Flatpak folder an
// application whose ID ends in it.
std::optional<fs::path> FindIn(const fs::path& folder, std::string_view program) {
  const fs::path direct = folder / program;
  if (IsProgram(direct)) return direct;
  if (!IsFlatpakFolder(folder)) return std::nullopt;
  std::error_code ec;
  std::vector<fs::path> matches;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.find('.') != std::string::npos && SameName(LastDottedPart(name), program) &&
        IsProgram(it->path()))
      matches.push_back(it->path());
  }
  if (matches.empty()) return std::nullopt;
  // Directory order is the file system's; the list must not depend on it.
  return *std::min_element(matches.begin(), matches.end());
}

std::string EnvOr(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : fallback;
}

}  // namespace

std::vector<fs::path> EngineFolders(std::string_view pathVariable, const fs::path& home) {
  std::vector<fs::path> folders;
  const auto add = [&folders](fs::path folder) {
    if (!folder.is_absolute()) return;
    if (std::find(folders.begin(), folders.end(), folder) == folders.end())
      folders.push_back(std::move(folder));
  };
  for (std::size_t begin = 0; begin <= pathVariable.size();) {
    const std::size_t end = std::min(pathVariable.find(':', begin), pathVariable.size());
    add(fs::path(pathVariable.substr(begin, end - begin)));
    begin = end + 1;
  }
  for (const std::string_view folder : kEngineFolders) {
    if (folder.starts_with("~/")) {
      if (!home.empty()) add(home / folder.substr(2));
    } else {
      add(fs::path(folder));
    }
  }
  return folders;
}

std::vector<TFoundEngine> FindInstalledEngines(const std::vector<fs::path>& folders) {
  std::vector<TFoundEngine> found;
  std::vector<fs::path> identities;
  std::vector<std::string> entries;
  const auto add = [&](std::string_view entryName, const fs::path& file) {
    const fs::path identity = Identity(file);
    if (std::find(identities.begin(), identities.end(), identity) != identities.end()) return;
    identities.push_back(identity);
    std::string entry(entryName);
    if (ExeNameTaken(entry, entries)) entry += " (" + file.filename().string() + ")";
    entry = UniqueExeName(entry, entries);
    entries.push_back(entry);
    found.push_back({entry, file});
  };
  for (const TEngineProfile& profile : EngineProfiles()) {
    for (const std::string_view program : profile.Programs) {
      for (const fs::path& folder : folders) {
        const auto file = FindIn(folder, program);
        if (!file) continue;
        add(profile.Entry, *file);
        break;  // the first folder that has the program is the one a shell would start
      }
    }
  }
  return found;
}

std::vector<TFoundEngine> FindInstalledEngines() {
  return FindInstalledEngines(EngineFolders(EnvOr("PATH", ""), EnvOr("HOME", "")));
}

TQuakeExe EngineEntry(const TFoundEngine& engine) {
  TQuakeExe exe(engine.Entry);
  exe.ExeName = engine.File.string();
  exe.ExeType = TExeType::OpenGLQuake;
  return exe;
}

TQuakeExeList MissingEngines(const TQuakeExeList& list, const std::vector<TFoundEngine>& found,
                             const std::string& gameFolder, std::string_view pathVariable) {
  std::vector<fs::path> started;
  std::vector<std::string> names;
  for (const TQuakeExe& exe : list) {
    started.push_back(Identity(FindExeFile(exe.ExeName, gameFolder, pathVariable)));
    names.push_back(exe.Name());
  }
  TQuakeExeList missing;
  for (const TFoundEngine& engine : found) {
    if (std::find(started.begin(), started.end(), Identity(engine.File)) != started.end()) continue;
    TFoundEngine named = engine;
    named.Entry = UniqueExeName(engine.Entry, names);
    names.push_back(named.Entry);
    missing.push_back(EngineEntry(named));
  }
  return missing;
}

}  // namespace fx
