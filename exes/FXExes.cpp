#include "exes/FXExes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <system_error>
#include <utility>

#include "exes/EngineProfiles.h"
#include "exes/ExeNames.h"
#include "platform/CommandLine.h"
#include "platform/GamePaths.h"

namespace fx {

namespace {

namespace fs = std::filesystem;

constexpr const char* kExeNameValue = "ExeName";
constexpr const char* kCmdLineValue = "CmdLine";
constexpr const char* kExeTypeValue = "ExeType";
constexpr const char* kAllocMethodValue = "AllocMethod";
constexpr const char* kMemSizeValue = "MemSize";
constexpr const char* kSetMemSizeValue = "SetMemSize";
// Added on Linux: a program to start the engine through, and variables for its environment
// (the lines joined by CR LF, as multi-line texts are stored elsewhere).
constexpr const char* kRunThroughValue = "RunThrough";
constexpr const char* kWrapperStartsEngineValue = "WrapperStartsEngine";
constexpr const char* kEnvironmentValue = "Environment";

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
std::optional<fs::path> FindOnPath(std::string_view name, std::string_view pathVariable) {
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

std::string JoinLines(const std::vector<std::string>& lines, std::string_view separator) {
  std::string text;
  for (const std::string& line : lines) {
    if (!text.empty()) text += separator;
    text += line;
  }
  return text;
}

// Lines broken at CR LF, LF or CR; lines holding only blanks are left out.
std::vector<std::string> NonBlankLines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
    const std::string_view line = text.substr(0, end);
    if (line.find_first_not_of(" \t") != std::string_view::npos) lines.emplace_back(line);
    text.remove_prefix(end);
    if (text.starts_with("\r\n")) text.remove_prefix(1);
    if (!text.empty()) text.remove_prefix(1);
  }
  return lines;
}

bool IsVariableName(std::string_view name) {
  if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
  });
}

// Reads the values in turn; a value of the wrong type is left at its default and the first
// such error is thrown once the others are read.
class TValueReader {
 public:
  explicit TValueReader(const TRegistry& registry) : FRegistry(registry) {}
  template <typename TRead>
  void operator()(const char* name, TRead read) {
    if (!FRegistry.ValueExists(name)) return;
    try {
      read();
    } catch (const ERegistryException& e) {
      if (!FFirstError) FFirstError = e.what();
    }
  }
  void ThrowFirstError() const {
    if (FFirstError) throw ERegistryException(*FFirstError);
  }

 private:
  const TRegistry& FRegistry;
  std::optional<std::string> FFirstError;
};

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
  MemSize = kDefaultMemSize;
  SetMemSize = false;
  AllocMethod = TAllocMethod::Standard;
  TValueReader read(registry);
  read(kExeNameValue, [&] { ExeName = registry.ReadString(kExeNameValue); });
  read(kCmdLineValue, [&] { CmdLine = registry.ReadString(kCmdLineValue); });
  // The fields are bytes: a larger stored number keeps its low byte.
  read(kExeTypeValue, [&] {
    ExeType = static_cast<TExeType>(static_cast<std::uint8_t>(registry.ReadInteger(kExeTypeValue)));
  });
  read(kMemSizeValue, [&] { MemSize = registry.ReadInteger(kMemSizeValue); });
  read(kSetMemSizeValue, [&] { SetMemSize = registry.ReadBool(kSetMemSizeValue); });
  read(kAllocMethodValue, [&] {
    AllocMethod = static_cast<TAllocMethod>(
        static_cast<std::uint8_t>(registry.ReadInteger(kAllocMethodValue)));
  });
  read(kRunThroughValue, [&] { RunThrough = registry.ReadString(kRunThroughValue); });
  WrapperStartsEngine = false;
  read(kWrapperStartsEngineValue,
       [&] { WrapperStartsEngine = registry.ReadBool(kWrapperStartsEngineValue); });
  read(kEnvironmentValue,
       [&] { Environment = NonBlankLines(registry.ReadString(kEnvironmentValue)); });
  read.ThrowFirstError();
}

void TQuakeExe::SaveToRegistry(TRegistry& registry) const {
  registry.WriteString(kExeNameValue, ExeName);
  registry.WriteString(kCmdLineValue, CmdLine);
  registry.WriteInteger(kExeTypeValue, static_cast<int>(ExeType));
  registry.WriteInteger(kAllocMethodValue, static_cast<int>(AllocMethod));
  registry.WriteInteger(kMemSizeValue, MemSize);
  registry.WriteBool(kSetMemSizeValue, SetMemSize);
  if (!RunThrough.empty()) registry.WriteString(kRunThroughValue, RunThrough);
  if (WrapperStartsEngine) registry.WriteBool(kWrapperStartsEngineValue, true);
  if (!Environment.empty()) registry.WriteString(kEnvironmentValue, JoinLines(Environment, "\r\n"));
}

std::string TQuakeExe::Parameters(std::string_view parameters) const {
  std::string result = CmdLine + " ";
  result += parameters;
  if (!SetMemSize) return result;
  // An engine that reads a switch of its own name otherwise would take the number for
  // something else, and one that refuses unknown switches would not start.
  const TEngineProfile& profile = EngineProfileFor(ExeName);
  switch (ExeType) {
    case TExeType::WinQuake:
    case TExeType::OpenGLQuake: {
      if (!profile.HeapSize) return result;
      // Kilobytes as the engines' 32-bit shift gives them: wraps instead of overflowing.
      const auto kilobytes = static_cast<std::int32_t>(static_cast<std::uint32_t>(MemSize) << 10);
      return "-heapsize " + std::to_string(kilobytes) + " " + result;
    }
    case TExeType::DosQuake:
    case TExeType::Rendition:
    case TExeType::Q95BatchFile:
      if (!profile.WinMem) return result;
      result += " -winmem " + std::to_string(MemSize);
      if (AllocMethod == TAllocMethod::LockMemory) result += " -winlock";
      if (AllocMethod == TAllocMethod::LockAndUnlockMemory) result += " -winlockunlock";
      return result;
  }
  return result;
}

std::optional<fs::path> FindProgramOnPath(const std::string& name, std::string_view pathVariable) {
  if (name.empty()) return std::nullopt;
  if (HasSeparator(name)) return fs::path(name);
  return FindOnPath(name, pathVariable);
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
  TExeStart start;
  start.File = FindExeFile(ExeName, gameFolder, pathVariable).string();
  start.Parameters = Parameters(parameters);
  start.Directory = gameFolder;
  start.Wrapper = SplitCommandLine(RunThrough);
  // A wrapper that is on no PATH folder stays as typed; the start then says it is missing.
  if (!start.Wrapper.empty())
    if (const auto program = FindProgramOnPath(start.Wrapper.front(), pathVariable))
      start.Wrapper.front() = program->string();
  start.WrapperStartsEngine = WrapperStartsEngine && !start.Wrapper.empty();
  start.Environment = EnvironmentPairs(Environment);
  return start;
}

std::string StartedProgram(const TExeStart& start) {
  return start.Wrapper.empty() ? start.File : start.Wrapper.front();
}

std::vector<std::string> StartedArguments(const TExeStart& start) {
  std::vector<std::string> arguments;
  if (!start.Wrapper.empty()) {
    arguments.assign(start.Wrapper.begin() + 1, start.Wrapper.end());
    if (!start.WrapperStartsEngine) arguments.push_back(start.File);
  }
  for (std::string& argument : SplitCommandLine(start.Parameters))
    arguments.push_back(std::move(argument));
  return arguments;
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
      list.emplace_back(name);
      try {
        list.back().LoadFromRegistry(registry);
      } catch (const ERegistryException& e) {
        list.back().LoadError = e.what();
      }
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
  std::vector<std::string> kept;
  for (const TQuakeExe& exe : list)
    if (!exe.LoadError.empty()) kept.push_back(exe.Name());
  WithKeysClosedAfter(registry, [&] {
    if (kept.empty()) {
      if (registry.KeyExists(key)) registry.DeleteKey(key);
    } else if (registry.OpenKey(key, false)) {
      for (const std::string& name : registry.GetKeyNames())
        if (!ExeNameTaken(name, kept)) registry.DeleteKey(EntryKey(key, name));
      for (const std::string& value : registry.GetValueNames())
        registry.DeleteValue(value);
    }
    if (!registry.OpenKey(key, true)) throw ERegistryException("Failed to create key " + key);
    for (const TQuakeExe& exe : list) {
      if (!exe.LoadError.empty()) continue;
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
  state.RunThrough = exe.RunThrough;
  state.WrapperStartsEngine = exe.WrapperStartsEngine;
  state.Environment = JoinLines(exe.Environment, "\n");
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
  exe.RunThrough = state.RunThrough;
  exe.WrapperStartsEngine = state.WrapperStartsEngine;
  exe.Environment = NonBlankLines(state.Environment);
  exe.LoadError.clear();
}

std::string EnvironmentProblem(std::string_view text) {
  for (const std::string& line : NonBlankLines(text)) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos || !IsVariableName(line.substr(0, equals)))
      return "\"" + line +
             "\" is no variable. Write one per line as NAME=value; a NAME holds letters, digits "
             "and \"_\" and does not start with a digit.";
  }
  return {};
}

TEnvironment EnvironmentPairs(const std::vector<std::string>& lines) {
  TEnvironment pairs;
  for (const std::string& line : lines) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos || !IsVariableName(line.substr(0, equals))) continue;
    pairs.emplace_back(line.substr(0, equals), line.substr(equals + 1));
  }
  return pairs;
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
