#pragma once

// Executable entries: the game programs the user registers, with the memory switches each
// kind of engine understands, their registry form and how one is started.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CommandLine.h"
#include "platform/Registry.h"
#include "settings/FXSettings.h"

namespace fx {

// The ordinals are stored in the registry ("ExeType") and are the indexes of the type box.
enum class TExeType : std::uint8_t {
  DosQuake = 0,
  WinQuake = 1,
  OpenGLQuake = 2,
  Rendition = 3,
  Q95BatchFile = 4,
};

// The ordinals are stored in the registry ("AllocMethod") and are the indexes of the
// allocation radio group.
enum class TAllocMethod : std::uint8_t {
  Standard = 0,
  LockMemory = 1,
  LockAndUnlockMemory = 2,
};

// An entry's name is its registry sub-key below the executables key. A backslash would
// make it a nested key (and the list would read back a wrong entry on the next start), an
// empty name would put the values into the executables key itself, and a line break or a
// zero byte cannot be stored: such names are refused with this error.
class EExeNameError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Why `name` cannot name an entry ("" when it can): the text the user is shown.
std::string ExeNameProblem(std::string_view name);
inline bool IsValidExeName(std::string_view name) {
  return ExeNameProblem(name).empty();
}

// What to start for an entry.
struct TExeStart {
  std::string File;        // the program, full path
  std::string Parameters;  // the complete parameter string
  std::string Directory;   // working folder: the game folder as set
  // "Run through": the program that starts File (found on PATH) and its own arguments;
  // empty when File is started itself.
  std::vector<std::string> Wrapper;
  // The wrapper is the engine's own launcher ("flatpak run <app id>"): it receives the
  // parameters without File, which is then neither started nor checked.
  bool WrapperStartsEngine = false;
  TEnvironment Environment;
};

// The program that is started: the wrapper's program, or File.
std::string StartedProgram(const TExeStart& start);
// What it receives after its own path: the wrapper's arguments and File (not File when
// the wrapper starts the engine itself), then the parameters split by the Windows
// command-line rules.
std::vector<std::string> StartedArguments(const TExeStart& start);

class TQuakeExe {
 public:
  // Only the name is set; every other field is empty, zero or false (MemSize is 0 until a
  // value is loaded or edited). Throws EExeNameError for a name that cannot be a key.
  explicit TQuakeExe(std::string name);
  // The name, then LoadFromRegistry on the key the caller has opened at the entry.
  TQuakeExe(std::string name, TRegistry& registry);

  const std::string& Name() const { return FName; }
  // Throws EExeNameError, keeping the old name, for a name that cannot be a key.
  void SetName(std::string name);

  TExeType ExeType = TExeType::DosQuake;
  std::string ExeName;  // relative to the game folder, absolute, or a name found on PATH
  std::string CmdLine;  // put before the launch's own parameters
  TAllocMethod AllocMethod = TAllocMethod::Standard;
  std::int32_t MemSize = 0;  // megabytes
  bool SetMemSize = false;
  // A program and its arguments put in front of the engine ("gamemoderun", "prime-run"),
  // split by the Windows command-line rules; empty: the engine is started itself.
  std::string RunThrough;
  // RunThrough is the engine's own launcher, which takes the engine's place (TExeStart).
  bool WrapperStartsEngine = false;
  // "NAME=value" lines set in the engine's environment; blank lines are left out.
  std::vector<std::string> Environment;
  // Why the stored entry could not be read whole (the registry's error text); empty when
  // it could. The values that could be read are set, the others keep their defaults.
  std::string LoadError;

  // Read and write the key that is open in `registry`; neither opens nor closes keys.
  // Missing values: "AllocMethod" 0, "MemSize" 8, "SetMemSize" false, the others stay.
  // A value of the wrong type throws ERegistryException once every other value is read.
  // "RunThrough", "Environment" and "WrapperStartsEngine" are written only when they hold
  // something (the last one only when set), so an entry without them keeps the six values
  // older files have.
  void LoadFromRegistry(const TRegistry& registry);
  void SaveToRegistry(TRegistry& registry) const;

  // The parameter string the program receives for the launch parameters `parameters`:
  // CmdLine, a blank, the parameters, and the memory switches of the entry's type, when
  // the engine's profile (by the program's name) takes them.
  std::string Parameters(std::string_view parameters) const;

  // Where the program lies, what runs it and what it receives; `pathVariable` is the PATH
  // to search for the program and the wrapper.
  TExeStart PlanStart(std::string_view parameters, const std::string& gameFolder,
                      std::string_view pathVariable) const;

 private:
  std::string FName;
};

// The program named by `name`: an absolute or relative path as it stands, a bare name
// found in the folders of `pathVariable`; nothing when a bare name is on none of them.
std::optional<std::filesystem::path> FindProgramOnPath(const std::string& name,
                                                       std::string_view pathVariable);

// The program file for `exeName`: an absolute name as it stands; else the file below the
// game folder, found whatever the case of its names; a bare name that is no file there is
// looked for in the folders of `pathVariable` (the engines of Linux distributions live
// there). When nothing is found, the game-folder path (the start then fails).
std::filesystem::path FindExeFile(const std::string& exeName, const std::string& gameFolder,
                                  std::string_view pathVariable);

// What an entry keeps of a program file the user picked: the bare name when the file lies
// in the game folder itself, as the launch finds it there; otherwise the full path, which
// the launch starts as it stands (Linux engines seldom live in the game folder).
std::string ExeNameForChosenFile(const std::string& chosenFile, const std::string& gameFolder);

// The list as the main window keeps it, in registry enumeration order.
using TQuakeExeList = std::vector<TQuakeExe>;

// "\Software\Bolsk\Fraxinel\Executables", below HKEY_LOCAL_MACHINE.
std::string ExeListKey();

// Reads every sub-key of the executables key (created when missing) as an entry. Sets the
// root to HKEY_LOCAL_MACHINE and leaves the registry closed. An entry with a damaged value
// is listed all the same, with LoadError set.
TQuakeExeList LoadExeList(TRegistry& registry);
// Replaces the executables key by exactly the entries of `list`, in list order. Names equal
// but for case end up as one sub-key holding the later entry. An entry with a LoadError
// keeps its stored sub-key as it is, so a damaged value is never lost unseen. The keys are
// switched without closing, so the file is written once, at the end.
void SaveExeList(TRegistry& registry, const TQuakeExeList& list);

// What the properties dialog shows, as plain values. The indexes are those of the type box
// and of the allocation group; -1 means nothing is selected.
struct TExePropState {
  std::string DisplayName;
  int TypeIndex = 0;
  std::string ExeName;
  std::string CmdLine;
  bool SetMemSize = false;
  long double MemSize = 0;
  int AllocIndex = 0;
  std::string RunThrough;
  bool WrapperStartsEngine = false;
  std::string Environment;  // the lines, "\n" between them
};

// The number of items of the type box and of the allocation group.
inline constexpr int kExeTypeCount = 5;
inline constexpr int kAllocMethodCount = 3;

TExePropState FillExeProps(const TQuakeExe& exe);
// Copies an accepted dialog back: ExeType, ExeName, CmdLine, SetMemSize, MemSize (rounded
// to the nearest integer, halves to even, held within 32 bits), AllocMethod (also while
// the group is hidden), RunThrough, the environment lines (blank ones left out). A type or
// method index outside its items (nothing selected) keeps the stored value. The entry now
// holds what the user confirmed, so a LoadError is cleared.
void ApplyExeProps(const TExePropState& state, TQuakeExe& exe);

// Why the "Environment" text cannot be used ("" when it can): each line that is not blank
// must be NAME=value with a NAME of letters, digits and "_", not starting with a digit.
std::string EnvironmentProblem(std::string_view text);
// The NAME=value pairs of the lines, blank and malformed lines left out.
TEnvironment EnvironmentPairs(const std::vector<std::string>& lines);

// Whether the allocation group applies to the type with this index (DOS Quake, Rendition,
// batch file).
bool AllocMethodVisible(int typeIndex);

// Rounds to the nearest integer, halves to the even one; NaN gives 0, values beyond the
// 32-bit range give its ends.
std::int32_t RoundMemSize(long double value);

}  // namespace fx
