#include "exes/FXExes.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <system_error>
#include <utility>

#include "platform/GamePaths.h"
#include "platform/Shell.h"

namespace fx {

namespace {

namespace fs = std::filesystem;

constexpr const char* kExeNameValue = "ExeName";
constexpr const char* kCmdLineValue = "CmdLine";
constexpr const char* kExeTypeValue = "ExeType";
constexpr const char* kAllocMethodValue = "AllocMethod";
constexpr const char* kMemSizeValue = "MemSize";
constexpr const char* kSetMemSizeValue = "SetMemSize";

constexpr std::int32_t kDefaultMemSize = 8;

std::string CheckedName(std::string name) {
  const std::string problem = ExeNameProblem(name);
  if (!problem.empty()) throw EExeNameError(problem);
  return name;
}

bool IsRegularFile(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

bool IsExecutableFile(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return false;
  const fs::perms perms = fs::status(path, ec).permissions();
  if (ec) return false;
  return (perms & (fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec)) !=
         fs::perms::none;
}

bool HasSeparator(std::string_view name) {
  return name.find_first_of("/\\") != std::string_view::npos;
}

// Empty PATH entries (the current folder by POSIX) are skipped: which program starts must
// not depend on the folder the launcher itself was started from.
std::optional<fs::path> FindOnPath(const std::string& name, std::string_view pathVariable) {
  while (!pathVariable.empty()) {
    const std::size_t colon = pathVariable.find(':');
    const std::string_view folder = pathVariable.substr(0, colon);
    if (!folder.empty()) {
      fs::path candidate = fs::path(folder) / name;
      if (IsExecutableFile(candidate)) return candidate;
    }
    if (colon == std::string_view::npos) break;
    pathVariable.remove_prefix(colon + 1);
  }
  return std::nullopt;
}

std::string EntryKey(const std::string& listKey, const std::string& name) {
  return listKey + "\\" + name;
}

}  // namespace

std::string ExeNameProblem(std::string_view name) {
  if (name.empty()) return "The name of an executable must not be empty.";
  if (name.find('\\') != std::string_view::npos)
    return "The name of an executable must not contain a backslash (\\).";
  if (name.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
    return "The name of an executable must not contain a line break.";
  return {};
}

TQuakeExe::TQuakeExe(std::string name) : FName(CheckedName(std::move(name))) {}

TQuakeExe::TQuakeExe(std::string name, TRegistry& registry) : TQuakeExe(std::move(name)) {
  LoadFromRegistry(registry);
}

void TQuakeExe::SetName(std::string name) {
  FName = CheckedName(std::move(name));
}

void TQuakeExe::LoadFromRegistry(const TRegistry& registry) {
  if (registry.ValueExists(kExeNameValue)) ExeName = registry.ReadString(kExeNameValue);
  if (registry.ValueExists(kCmdLineValue)) CmdLine = registry.ReadString(kCmdLineValue);
  // The fields are bytes: a larger stored number keeps its low byte.
  if (registry.ValueExists(kExeTypeValue))
    ExeType = static_cast<TExeType>(static_cast<std::uint8_t>(registry.ReadInteger(kExeTypeValue)));
  MemSize =
      registry.ValueExists(kMemSizeValue) ? registry.ReadInteger(kMemSizeValue) : kDefaultMemSize;
  SetMemSize = registry.ValueExists(kSetMemSizeValue) && registry.ReadBool(kSetMemSizeValue);
  AllocMethod = registry.ValueExists(kAllocMethodValue)
                    ? static_cast<TAllocMethod>(
                          static_cast<std::uint8_t>(registry.ReadInteger(kAllocMethodValue)))
                    : TAllocMethod::Standard;
}

void TQuakeExe::SaveToRegistry(TRegistry& registry) const {
  registry.WriteString(kExeNameValue, ExeName);
  registry.WriteString(kCmdLineValue, CmdLine);
  registry.WriteInteger(kExeTypeValue, static_cast<int>(ExeType));
  registry.WriteInteger(kAllocMethodValue, static_cast<int>(AllocMethod));
  registry.WriteInteger(kMemSizeValue, MemSize);
  registry.WriteBool(kSetMemSizeValue, SetMemSize);
}

std::string TQuakeExe::Parameters(std::string_view parameters) const {
  std::string result = CmdLine + " ";
  result += parameters;
  if (!SetMemSize) return result;
  switch (ExeType) {
    case TExeType::WinQuake:
    case TExeType::OpenGLQuake: {
      // Kilobytes as the engines' 32-bit shift gives them: wraps instead of overflowing.
      const auto kilobytes = static_cast<std::int32_t>(static_cast<std::uint32_t>(MemSize) << 10);
      return "-heapsize " + std::to_string(kilobytes) + " " + result;
    }
    case TExeType::DosQuake:
    case TExeType::Rendition:
    case TExeType::Q95BatchFile:
      result += " -winmem " + std::to_string(MemSize);
      if (AllocMethod == TAllocMethod::LockMemory) result += " -winlock";
      if (AllocMethod == TAllocMethod::LockAndUnlockMemory) result += " -winlockunlock";
      return result;
  }
  return result;
}

fs::path FindExeFile(const std::string& exeName, const std::string& gameFolder,
                     std::string_view pathVariable) {
  if (fs::path(exeName).is_absolute()) return exeName;
  fs::path inGameFolder = ResolveGamePath(gameFolder, exeName);
  if (IsRegularFile(inGameFolder) || exeName.empty() || HasSeparator(exeName)) return inGameFolder;
  if (auto onPath = FindOnPath(exeName, pathVariable)) return *onPath;
  return inGameFolder;
}

TExeStart TQuakeExe::PlanStart(std::string_view parameters, const std::string& gameFolder,
                               std::string_view pathVariable) const {
  return {FindExeFile(ExeName, gameFolder, pathVariable).string(), Parameters(parameters),
          gameFolder};
}

bool TQuakeExe::Execute(std::string_view parameters, const std::string& gameFolder,
                        bool closeOnExec, const std::function<void()>& closeMainWindow) const {
  const char* path = std::getenv("PATH");
  const TExeStart start = PlanStart(parameters, gameFolder, path ? path : "");
  if (!ShellSucceeded(ShellExecute("open", start.File, start.Parameters, start.Directory)))
    return false;
  if (closeOnExec && closeMainWindow) closeMainWindow();
  return true;
}

bool TQuakeExe::Execute(std::string_view parameters, const TFXSettings& settings,
                        const std::function<void()>& closeMainWindow) const {
  return Execute(parameters, settings.QPath(), settings.CloseOnExec(), closeMainWindow);
}

std::string ExeListKey() {
  return std::string("\\") + kProgramKey + "\\Executables";
}

TQuakeExeList LoadExeList(TRegistry& registry) {
  registry.SetRootKey(HKEY_LOCAL_MACHINE);
  const std::string key = ExeListKey();
  TQuakeExeList list;
  WithKeysClosedAfter(registry, [&] {
    if (!registry.OpenKey(key, true)) throw ERegistryException("Failed to create key " + key);
    for (const std::string& name : registry.GetKeyNames()) {
      const std::string entryKey = EntryKey(key, name);
      if (!registry.OpenKey(entryKey, true))
        throw ERegistryException("Failed to create key " + entryKey);
      list.emplace_back(name, registry);
    }
  });
  return list;
}

void SaveExeList(TRegistry& registry, const TQuakeExeList& list) {
  // Every name is checked before anything is deleted (an entry's name is valid by
  // construction; this guards the key against a future way round that).
  for (const TQuakeExe& exe : list)
    CheckedName(exe.Name());
  registry.SetRootKey(HKEY_LOCAL_MACHINE);
  const std::string key = ExeListKey();
  WithKeysClosedAfter(registry, [&] {
    if (registry.KeyExists(key)) registry.DeleteKey(key);
    if (!registry.OpenKey(key, true)) throw ERegistryException("Failed to create key " + key);
    for (const TQuakeExe& exe : list) {
      const std::string entryKey = EntryKey(key, exe.Name());
      if (!registry.OpenKey(entryKey, true))
        throw ERegistryException("Failed to create key " + entryKey);
      exe.SaveToRegistry(registry);
    }
  });
}

TExePropState FillExeProps(const TQuakeExe& exe) {
  TExePropState state;
  state.DisplayName = exe.Name();
  state.TypeIndex = static_cast<int>(exe.ExeType);
  state.ExeName = exe.ExeName;
  state.CmdLine = exe.CmdLine;
  state.SetMemSize = exe.SetMemSize;
  state.MemSize = exe.MemSize;
  state.AllocIndex = static_cast<int>(exe.AllocMethod);
  return state;
}

void ApplyExeProps(const TExePropState& state, TQuakeExe& exe) {
  if (state.TypeIndex >= 0 && state.TypeIndex < kExeTypeCount)
    exe.ExeType = static_cast<TExeType>(state.TypeIndex);
  exe.ExeName = state.ExeName;
  exe.CmdLine = state.CmdLine;
  exe.SetMemSize = state.SetMemSize;
  exe.MemSize = RoundMemSize(state.MemSize);
  if (state.AllocIndex >= 0 && state.AllocIndex < kAllocMethodCount)
    exe.AllocMethod = static_cast<TAllocMethod>(state.AllocIndex);
}

bool AllocMethodVisible(int typeIndex) {
  switch (typeIndex) {
    case static_cast<int>(TExeType::DosQuake):
    case static_cast<int>(TExeType::Rendition):
    case static_cast<int>(TExeType::Q95BatchFile):
      return true;
    default:
      return false;
  }
}

std::int32_t RoundMemSize(long double value) {
  using TLimits = std::numeric_limits<std::int32_t>;
  if (std::isnan(value)) return 0;
  if (value >= TLimits::max()) return TLimits::max();
  if (value <= TLimits::min()) return TLimits::min();
  long double rounded = std::floor(value);
  const long double fraction = value - rounded;
  if (fraction > 0.5L || (fraction == 0.5L && std::fmod(rounded, 2.0L) != 0)) rounded += 1;
  return static_cast<std::int32_t>(rounded);
}

std::string ExeNameForChosenFile(const std::string& chosenFile, const std::string& gameFolder) {
  namespace fs = std::filesystem;
  const fs::path chosen(chosenFile);
  std::error_code ec;
  const bool inGameFolder =
      !gameFolder.empty() && fs::equivalent(chosen.parent_path(), fs::path(gameFolder), ec);
  return inGameFolder ? chosen.filename().string() : chosen.string();
}

}  // namespace fx
