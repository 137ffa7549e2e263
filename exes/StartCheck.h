#pragma once

// Whether an entry's program can be started, and what to tell the user when it cannot: a
// missing file, one without the execute bit, a Windows program with nothing to run it.

#include <optional>
#include <string>
#include <string_view>

#include "exes/FXExes.h"
#include "ui/UserDialogs.h"

namespace fx {

// A start that cannot happen: the file at fault and why, in the user's words.
struct TStartProblem {
  std::string File;
  std::string Reason;
  bool Missing = false;  // the file does not exist
  friend bool operator==(const TStartProblem&, const TStartProblem&) = default;
};

// What the file system says before a start: the wrapper must be a program, the engine a
// file; without a wrapper the engine must also be marked executable. A Windows program or
// batch file that is marked executable may have a handler registered with the kernel, so
// only its start can tell.
std::optional<TStartProblem> CheckStart(const TExeStart& start);

// Why a start failed, from the shell port's result (32 or less).
TStartProblem StartFailure(const TExeStart& start, int shellResult);

// The error box for a problem: names the file and the reason and asks whether to open the
// Properties of entry `entryName` (Yes, No).
TMessage StartProblemMessage(const TStartProblem& problem, const std::string& entryName);

// The tool tip of an entry in the executable list: a damaged stored entry says so first;
// then why its program cannot start ("File not found: ..."), or what it starts.
std::string ExeItemTip(const TQuakeExe& exe, const TExeStart& start,
                       const std::optional<TStartProblem>& problem);

// The process's PATH, where bare program names are looked for.
std::string ProcessPathVariable();

// A Windows program or batch file by its name (".exe", ".bat", ".com", ".cmd") or by the
// "MZ" its programs begin with.
bool IsWindowsProgram(const std::string& file);

// The entry a list selects when no configuration names one: the first whose program can
// be started, known engines in the order of their profiles (the order the setup finds
// them in), then any other; -1 when none can.
int PreferredExe(const TQuakeExeList& list, const std::string& gameFolder,
                 std::string_view pathVariable);

// A new entry for a program the user picked: its name (the engine's, else the file name
// without extension, unique among `names`), the program as ExeNameForChosenFile keeps it,
// and its type: OpenGL Quake for a Linux program, for a Windows one the type its usual
// name says ("winquake.exe", "glquake.exe", "vquake.exe", a batch file), else DOS Quake.
TQuakeExe EntryForProgram(const std::string& chosenFile, const std::string& gameFolder,
                          const std::vector<std::string>& names);

}  // namespace fx
