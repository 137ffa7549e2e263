#pragma once

// The launch: from the main window's choices to the scripts in id1/, the command line and
// the started game.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "exes/FXExes.h"
#include "exes/StartCheck.h"
#include "launcher/DiskNames.h"
#include "launcher/LaunchInput.h"
#include "launcher/ScriptPlace.h"
#include "launcher/ScriptText.h"
#include "platform/FormatSettings.h"
#include "platform/GamePaths.h"
#include "platform/ProgramWatch.h"
#include "plugins/FXIntf.h"
#include "settings/FXSettings.h"
#include "ui/UserDialogs.h"

namespace fx {

// Everything a launch needs besides the window's controls.
struct TLaunchContext {
  const TFXSettings& Machine;
  const TFXUserSettings& User;
  TQuakePlugin& Plugin;
  TPluginFeatures Features;
  const TQuakeExe& Exe;
  TUserDialogs& Dialogs;
  TDate Today;
  TFormatSettings Format;
  // Called after a successful start when the settings say to close on start (CloseOnExec).
  std::function<void()> CloseMainWindow;
  // Where the game's output goes, one file a launch; empty: it is not kept or watched.
  std::filesystem::path OutputFolder;
  // The player's homes, which place the engine's per-user folder.
  TUserHomes Homes = CurrentUserHomes();
};

// What a launch did.
struct TLaunchResult {
  bool ScriptWritten = false;            // false: a check or question ended the launch
  std::string CommandLine;               // the launch's own parameters handed to the entry
  bool Started = false;                  // the shell started the program
  std::optional<TStartProblem> Problem;  // why the program could not be started, when so
  TExeStart Start;                       // what was started: program, parameters, working folder
  std::filesystem::path OutputFile;      // the game's output, when it was kept
  TProgramWatch Watch;                   // reports an early end, when the output was kept
  std::filesystem::path MainScript;      // where the main script was written
};

// The map name the launch uses: "(None)" is empty, everything from the first ":" is cut,
// lower case.
std::string LaunchMapName(std::string_view mapText);
// Demo and patch names: "(None)" (any case) is empty. Demo names are also lower-cased.
std::string LaunchDemoName(std::string_view text);
std::string LaunchPatchName(std::string_view text);

// Step lines of the main script that need no question: "hostname" and "skill"; "sv_aim",
// the server rules and "connect".
TScriptLines HostLines(const TLaunchInput& input, const TPluginFeatures& features);
TScriptLines GameRuleLines(const TLaunchInput& input, const TPluginFeatures& features);
// The banner and the start line ("map", "record <demo> <map>") that end the main script.
TScriptLines BannerLines(bool dedicated);
std::optional<std::string> StartLine(const TLaunchInput& input, const TPluginFeatures& features);
// The same with the map and demo names given, as the launch finds them on disk.
std::optional<std::string> StartLine(const TLaunchInput& input, const TPluginFeatures& features,
                                     const TScriptNames& names);
// The map and demo names as the window has them (LaunchMapName, LaunchDemoName).
TScriptNames WindowScriptNames(const TLaunchInput& input);

// The server summary ("fx_svinf.cfg") shown by the console command "sv_info".
TScriptLines BuildServerSummary(const TLaunchInput& input, const TPluginFeatures& features);

// The launch's own parameters; `switches` are the plug-in's. Pieces are joined without trimming.
std::string BuildCommandLine(const TLaunchInput& input, std::string_view switches,
                             std::string_view cfgFileName);
// A command-line argument that the Windows rules split back into exactly this text:
// quoted when it holds a blank, a tab or a double quote, or is empty.
std::string CommandLineArgument(std::string_view text);

// Where the entry's engine looks in a launch of `input`: its build (the program file the
// launch starts) and the entry's and the player's parameters decide.
TEngineLooks EngineLooksFor(const TLaunchInput& input, const TFXSettings& machine,
                            const TQuakeExe& exe, const TUserHomes& homes);

// What the disk decides for a launch: the mod folder "-game" names, where the scripts go and
// the main script's name there. Throws EScriptWriteError as PlanScriptPlace.
struct TLaunchDisk {
  std::string GameDir;  // "" without a patch
  TScriptPlace Place;
  TEngineLooks Looks;
};
TLaunchDisk PlanLaunchDisk(const TLaunchInput& input, const TFXSettings& machine,
                           const TQuakeExe& exe, const TUserHomes& homes);

// The folders whose CONFIG.CFG (in id1 and the mod folder "-game" names) the clean-up removes:
// the engine's base folder, this program's own base folder when the engine may be given it
// and it exists, and the engine's per-user folder.
std::vector<std::string> ConfigFolders(const TEngineLooks& looks, const TUserHomes& homes);
// The same with the mod folder's name, for the clean-up when the program ends.
struct TConfigCleanUp {
  std::vector<std::string> Folders;
  std::string GameDir;
};
TConfigCleanUp ConfigCleanUpFor(const TLaunchInput& input, const TFXSettings& machine,
                                const TQuakeExe& exe, const TUserHomes& homes);

// What a launch starts for the window's choices: the entry's program and its complete
// parameter string with the launch's own command line (`switches` are the plug-in's).
// The launch and the command-line preview both use it, so the two cannot differ.
TExeStart PlanLaunchStart(const TLaunchInput& input, std::string_view switches,
                          const TFXSettings& machine, const TQuakeExe& exe,
                          const TUserHomes& homes = CurrentUserHomes());
// The same on a disk plan made already (the preview shows the plan's script place too).
TExeStart PlanLaunchStart(const TLaunchInput& input, std::string_view switches,
                          const TFXSettings& machine, const TQuakeExe& exe,
                          const TLaunchDisk& disk);
// The start as a shell user would type it: the environment's variables, the wrapper, the
// program and its arguments, quoted.
std::string CommandPreview(const TExeStart& start);
// What the preview adds when the scripts go to the engine's per-user folder: a shell comment
// naming the main script's file there; nothing when they go to the game folder.
std::string ScriptPlaceNote(const TScriptPlace& place);

class TLaunchPipeline {
 public:
  TLaunchPipeline(const TLaunchInput& input, TLaunchContext context);

  // Runs the whole launch: checks, scripts, clean-up, command line, start. File-system
  // errors while writing a script, and an empty game folder, throw EScriptWriteError and
  // nothing is started. A program that cannot be started (CheckStart), or a failed start,
  // leaves the scripts written and the Problem in the result.
  TLaunchResult Launch();

 private:
  bool ConfirmMap();
  bool ConfirmPatch();
  bool CheckModPlace();
  void PlanDisk();
  void CleanUpConfigFiles() const;
  bool Ask(const char* text, TMsgResult defaultButton);
  void WriteAuxiliaryScripts(TScriptLines& script);
  bool AddDemoLines(TScriptLines& script);
  void AddPluginLines(TScriptLines& script);
  void AddCommandLines(TScriptLines& script) const;
  void Start(TLaunchResult& result, std::string_view switches) const;
  std::string DateText() const;
  bool Dedicated() const { return FInput.PlayMode == kPlayDedicated; }

  const TLaunchInput& FInput;
  TLaunchContext FContext;
  std::filesystem::path FGameFolder;
  std::string FMap;
  std::string FPatch;
  TLaunchDisk FDisk;
  TScriptNames FNames;  // as found on the engine's search path
};

}  // namespace fx
