#include "exes/StartCheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <limits>

#include "exes/EngineProfiles.h"
#include "exes/ExeNames.h"
#include "platform/ProgramInterpreter.h"
#include "platform/RegistryTypes.h"
#include "platform/RegularFile.h"
#include "platform/Shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fx {

namespace {

namespace fs = std::filesystem;

constexpr const char* kNotFound = "The file does not exist.";
constexpr const char* kFolder = "It is a folder, not a program.";
constexpr const char* kNoExecuteBit =
    "It is not marked as a program: its execute permission is not set (chmod +x).";
constexpr const char* kWindows =
    "It is a Windows program and nothing is set to run it. Enter a program that runs it, such "
    "as wine, under \"Run through\" in the entry's Properties.";
constexpr const char* kNoExecMount =
    "It lies on a file system mounted with noexec, where no program may be run. Move it, or "
    "mount that file system without noexec.";
constexpr const char* kWrapperNotFound =
    "It is given under \"Run through\" but was found neither as a file nor on the PATH.";

enum class TFileKind { Missing, Folder, Other, Program };

// Special files count as "other": a FIFO named like a program must not be opened.
TFileKind KindOf(const std::string& file, struct stat& st) {
  if (file.empty() || ::stat(file.c_str(), &st) != 0) return TFileKind::Missing;
  if (S_ISDIR(st.st_mode)) return TFileKind::Folder;
  if (!S_ISREG(st.st_mode)) return TFileKind::Other;
  return ::access(file.c_str(), X_OK) == 0 ? TFileKind::Program : TFileKind::Other;
}

bool HasWindowsExtension(const std::string& file) {
  const std::string extension = fs::path(file).extension().string();
  return SameName(extension, ".exe") || SameName(extension, ".bat") ||
         SameName(extension, ".com") || SameName(extension, ".cmd");
}

bool StartsWithMZ(const std::string& file) {
  try {
    return ReadRegularFile(file, 2) == "MZ";
  } catch (const EFileOpenError&) {
    return false;
  }
}

TStartProblem Problem(const std::string& file, const std::string& reason, bool missing = false) {
  return {file, reason, missing};
}

bool HasExecuteBit(const struct stat& st) {
  return S_ISREG(st.st_mode) && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
}

// An executable file that still cannot run: a noexec mount refuses it (access() says so as
// well), a missing interpreter or loader makes exec() fail with ENOENT.
std::optional<TStartProblem> ProgramProblem(const std::string& file, const struct stat& st) {
  if (HasExecuteBit(st) && OnNoExecMount(file)) return Problem(file, kNoExecMount);
  if (const auto interpreter = MissingInterpreter(file))
    return Problem(file, "The program's interpreter " + *interpreter + " does not exist");
  return std::nullopt;
}

std::optional<TStartProblem> CheckWrapper(const std::string& wrapper) {
  struct stat st {};
  switch (KindOf(wrapper, st)) {
    case TFileKind::Missing:
      return Problem(wrapper, kWrapperNotFound, true);
    case TFileKind::Folder:
      return Problem(wrapper, kFolder);
    case TFileKind::Other:
      if (auto problem = ProgramProblem(wrapper, st)) return problem;
      return Problem(wrapper, kNoExecuteBit);
    case TFileKind::Program:
      return ProgramProblem(wrapper, st);
  }
  return std::nullopt;
}

TExeType TypeOfWindowsProgram(const std::string& file) {
  const std::string name = fs::path(file).filename().string();
  if (SameName(name, "winquake.exe")) return TExeType::WinQuake;
  if (SameName(name, "glquake.exe")) return TExeType::OpenGLQuake;
  if (SameName(name, "vquake.exe")) return TExeType::Rendition;
  if (SameName(fs::path(file).extension().string(), ".bat")) return TExeType::Q95BatchFile;
  return TExeType::DosQuake;
}

}  // namespace

std::string ExeItemTip(const TQuakeExe& exe, const TExeStart& start,
                       const std::optional<TStartProblem>& problem) {
  std::string tip;
  if (!exe.LoadError.empty())
    tip = "This entry is damaged in the settings file (" + exe.LoadError +
          "). It stays there as it is until OK in its Properties stores it anew.\n";
  if (problem && problem->Missing) return tip + "File not found: " + problem->File;
  if (problem) return tip + problem->Reason + "\n" + problem->File;
  if (start.WrapperStartsEngine)
    return tip + "Starts " +
           ShellCommandText(start.Wrapper.front(),
                            {start.Wrapper.begin() + 1, start.Wrapper.end()});
  tip += "Starts " + start.File;
  if (!start.Wrapper.empty()) tip += " through " + start.Wrapper.front();
  return tip;
}

std::string ProcessPathVariable() {
  const char* path = std::getenv("PATH");
  return path != nullptr ? path : "";
}

bool IsWindowsProgram(const std::string& file) {
  if (HasWindowsExtension(file)) return true;
  struct stat st {};
  return ::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && StartsWithMZ(file);
}

std::optional<TStartProblem> CheckStart(const TExeStart& start) {
  if (!start.Wrapper.empty())
    if (auto problem = CheckWrapper(start.Wrapper.front())) return problem;
  // The engine is the wrapper's to find ("flatpak run <app id>"): no file of ours names it.
  if (start.WrapperStartsEngine) return std::nullopt;
  struct stat st {};
  switch (KindOf(start.File, st)) {
    case TFileKind::Missing:
      return Problem(start.File, kNotFound, true);
    case TFileKind::Folder:
      return Problem(start.File, kFolder);
    case TFileKind::Other:
      // A wrapper (wine, an emulator) reads the file; it need not be executable itself.
      if (!start.Wrapper.empty() && S_ISREG(st.st_mode)) return std::nullopt;
      if (auto problem = ProgramProblem(start.File, st)) return problem;
      return Problem(start.File, IsWindowsProgram(start.File) ? kWindows : kNoExecuteBit);
    case TFileKind::Program:
      if (start.Wrapper.empty()) return ProgramProblem(start.File, st);
      break;
  }
  return std::nullopt;
}

TStartProblem StartFailure(const TExeStart& start, int shellResult) {
  const std::string file = StartedProgram(start);
  // The program may have changed since CheckStart; what stands in its way now is named.
  struct stat st {};
  if ((shellResult == kShellFileNotFound || shellResult == kShellAccessDenied) &&
      ::stat(file.c_str(), &st) == 0)
    if (auto problem = ProgramProblem(file, st)) return *problem;
  switch (shellResult) {
    case kShellFileNotFound:
      return Problem(file, kNotFound, true);
    case kShellPathNotFound:
      return Problem(file, "The file, or the game folder it is started in, does not exist.");
    case kShellAccessDenied:
      return Problem(file, "It may not be run: permission denied.");
    case kShellOutOfMemory:
      return Problem(file, "No process could be made: the system is out of memory.");
    case kShellBadFormat:
      if (start.Wrapper.empty() && IsWindowsProgram(file)) return Problem(file, kWindows);
      return Problem(file, "It is not a program this system can run.");
    default:
      return Problem(file, "It could not be started.");
  }
}

TMessage StartProblemMessage(const TStartProblem& problem, const std::string& entryName) {
  TMessage message;
  message.Text = "Quake could not be started.\n\nFile: " + problem.File +
                 "\nReason: " + problem.Reason + "\n\nDo you want to open the Properties of \"" +
                 entryName + "\"?";
  message.Caption = "Error";
  message.Icon = TMsgIcon::Error;
  message.Buttons = TMsgButtons::YesNo;
  message.DefaultButton = TMsgResult::Yes;
  return message;
}

int PreferredExe(const TQuakeExeList& list, const std::string& gameFolder,
                 std::string_view pathVariable) {
  int preferred = -1;
  std::size_t bestRank = std::numeric_limits<std::size_t>::max();
  for (std::size_t i = 0; i < list.size(); ++i) {
    const TQuakeExe& exe = list[i];
    if (CheckStart(exe.PlanStart("", gameFolder, pathVariable))) continue;
    const std::size_t rank = EngineProfileRank(EngineProfileFor(exe.ExeName));
    if (rank < bestRank) {
      bestRank = rank;
      preferred = static_cast<int>(i);
    }
  }
  return preferred;
}

TQuakeExe EntryForProgram(const std::string& chosenFile, const std::string& gameFolder,
                          const std::vector<std::string>& names) {
  const fs::path file(chosenFile);
  const TEngineProfile& profile = EngineProfileFor(file.filename().string());
  std::string base = profile.Entry.empty() ? file.stem().string() : std::string(profile.Entry);
  if (!IsValidExeName(base)) base = kNewExeName;
  TQuakeExe exe(UniqueExeName(base, names));
  exe.ExeName = ExeNameForChosenFile(chosenFile, gameFolder);
  exe.ExeType =
      IsWindowsProgram(chosenFile) ? TypeOfWindowsProgram(chosenFile) : TExeType::OpenGLQuake;
  return exe;
}

}  // namespace fx
