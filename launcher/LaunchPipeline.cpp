#include "launcher/LaunchPipeline.h"

#include <cstdlib>
#include <system_error>

#include "exes/EngineProfiles.h"
#include "launcher/BaseFolder.h"
#include "launcher/GameOutput.h"
#include "launcher/MapListing.h"
#include "platform/CommandLine.h"
#include "platform/GamePaths.h"
#include "platform/Shell.h"
#include "ui/FormatFloat.h"

namespace fx {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kNone = "(None)";

constexpr const char* kNoMapText =
    "No map were selected.\n\nAre you sure you want to start the server?";
constexpr const char* kNoPatchText =
    "The selected patch directory does not exist.\n\nAre you sure you want to start the Game";
constexpr const char* kNoRecordNameText =
    "You selected the demo record option but did not give a demo name.\n\n"
    "Are you sure you want to start the Game?";
constexpr const char* kNoPlayNameText =
    "You did not give a demo name.\n\nType one in the Playback Demo Field or use the Browse "
    "Button.";

std::string ModPlaceText(std::string_view patch, const fs::path& gameFolder) {
  return "The engine can only load mods that lie directly in the game folder.\n\n\"" +
         std::string(patch) + "\" does not lie directly in \"" + gameFolder.string() +
         "\". Move the mod's folder there, or set the patch folder (Options, Settings) to the "
         "game folder.";
}

std::string WholeNumber(double value) {
  // Halves round away from zero, as the launcher's number formats always have.
  return FormatFloat("0", value, TFormatSettings{});
}

std::string Numbered(const char* command, int value) {
  return std::string(command) + " " + std::to_string(value);
}

std::string QuotedCommand(const char* command, std::string_view value) {
  return std::string(command) + " \"" + QuotedValue(value) + "\"";
}

void Append(TScriptLines& lines, const TScriptLines& more) {
  lines.insert(lines.end(), more.begin(), more.end());
}

bool IsDirectory(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

bool IsFile(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error);
}

}  // namespace

std::string LaunchMapName(std::string_view mapText) {
  if (EqualsIgnoringCase(mapText, kNone)) return "";
  return LowerAscii(mapText.substr(0, mapText.find(':')));
}

std::string LaunchDemoName(std::string_view text) {
  return EqualsIgnoringCase(text, kNone) ? "" : LowerAscii(text);
}

std::string LaunchPatchName(std::string_view text) {
  return EqualsIgnoringCase(text, kNone) ? "" : std::string(text);
}

TScriptLines HostLines(const TLaunchInput& input, const TPluginFeatures& features) {
  TScriptLines lines;
  if (!IsServerMode(input.PlayMode) && input.PlayMode != kPlaySingle) return lines;
  lines.push_back(QuotedCommand("hostname", input.Hostname));
  // A game type with its own skill list may still want the host's line.
  if (!(features.NoSkill && features.OwnSkillLine)) lines.push_back(Numbered("skill", input.Skill));
  return lines;
}

TScriptLines GameRuleLines(const TLaunchInput& input, const TPluginFeatures& features) {
  TScriptLines lines;
  if (!input.AutoAim) lines.push_back("sv_aim 1");
  if (IsServerMode(input.PlayMode)) {
    if (!features.NoPlayMode && !features.OwnDeathmatchLine)
      lines.push_back(Numbered("deathmatch", input.PlayModeRule));
    if (!features.NoTeamplay && !features.OwnTeamplayLine)
      lines.push_back(Numbered("teamplay", input.Teamplay));
    if (!features.NoClientExit && !features.OwnNoExitLine)
      lines.push_back(Numbered("noexit", input.ClientExit));
    lines.push_back(Numbered("pausable", input.Pausable ? 1 : 0));
    if (input.FragLimitOn) lines.push_back("fraglimit " + WholeNumber(input.FragLimit));
    if (input.TimeLimitOn) lines.push_back("timelimit " + WholeNumber(input.TimeLimit));
  }
  if (input.PlayMode == kPlayClient) {
    if (!input.Server.empty() && !EqualsIgnoringCase(input.Server, kNone))
      lines.push_back(QuotedCommand("connect", input.Server));
    else
      lines.push_back("connect");
  }
  return lines;
}

TScriptLines BannerLines(bool dedicated) {
  const std::string rule = RuleLine(TRulePlace::Banner, dedicated);
  return {rule, "echo ", HighlightLine("Fraxinel - have a good game!"), "echo ", rule};
}

TScriptNames WindowScriptNames(const TLaunchInput& input) {
  return {LaunchMapName(input.MapText), LaunchDemoName(input.DemoRecord),
          LaunchDemoName(input.DemoPlay)};
}

std::optional<std::string> StartLine(const TLaunchInput& input, const TPluginFeatures& features) {
  return StartLine(input, features, WindowScriptNames(input));
}

std::optional<std::string> StartLine(const TLaunchInput& input, const TPluginFeatures& features,
                                     const TScriptNames& names) {
  const std::string& map = names.Map;
  if (features.NoMap || map.empty()) return std::nullopt;
  const std::string& demo = names.DemoRecord;
  if (input.RecordDemo && (input.PlayMode == kPlaySingle || input.PlayMode == kPlayListen) &&
      !demo.empty())
    return "record " + BareValue(demo) + " " + BareValue(map);
  if (input.PlayMode == kPlaySingle || IsServerMode(input.PlayMode)) return "map " + BareValue(map);
  return std::nullopt;
}

TScriptLines BuildServerSummary(const TLaunchInput& input, const TPluginFeatures& features) {
  if (!IsServerMode(input.PlayMode)) return {HighlightLine("You are in Client mode")};
  const std::string rule = RuleLine(TRulePlace::ServerSummary, input.PlayMode == kPlayDedicated);
  TScriptLines lines{rule, HighlightLine("The follwing Settings are active:"), "timelimit",
                     "fraglimit", "hostname"};
  const auto addValue = [&lines](const char* label, const std::string& text) {
    lines.push_back(EchoLine(label));
    lines.push_back(EchoLine(" " + text));
  };
  if (!features.NoPlayMode) addValue("Playmode: ", input.PlayModeRuleText);
  if (!features.NoTeamplay) addValue("Teamplay: ", input.TeamplayText);
  if (!features.NoClientExit) addValue("Clients may exit a map: ", input.ClientExitText);
  lines.push_back(EchoLine(input.Pausable ? "The game is pausable." : "The game is not pausable."));
  lines.push_back(rule);
  return lines;
}

std::string CommandLineArgument(std::string_view text) {
  if (!text.empty() && text.find_first_of(" \t\"") == std::string_view::npos)
    return std::string(text);
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (const char c : text) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count only before a quote; there they are doubled to stay literal.
    out.append(c == '"' ? backslashes * 2 : backslashes, '\\');
    backslashes = 0;
    out += c == '"' ? std::string("\"\"") : std::string(1, c);
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
}

std::string BuildCommandLine(const TLaunchInput& input, std::string_view switches,
                             std::string_view cfgFileName) {
  std::string line;
  if (input.PlayMode == kPlayListen) line = Numbered("-listen", input.MaxPlayers);
  if (input.PlayMode == kPlayDedicated) line = Numbered("-dedicated", input.MaxPlayers);
  // The same rule as the patch checks: "(none)" typed in any case is no folder called so.
  if (const std::string patch = LaunchPatchName(input.Patch); !patch.empty())
    line += " -game " + CommandLineArgument(patch);
  if (input.SaveLog) line += " -condebug";
  line += " " + input.ExtraParams;
  line += " " + std::string(switches) + " +exec " + CommandLineArgument(cfgFileName);
  return line;
}

TEngineLooks EngineLooksFor(const TLaunchInput& input, const TFXSettings& machine,
                            const TQuakeExe& exe, const TUserHomes& homes) {
  const char* path = std::getenv("PATH");
  const fs::path program = FindExeFile(exe.ExeName, machine.QPath(), path != nullptr ? path : "");
  return WhereEngineLooks(EngineProfileFor(exe.ExeName), program,
                          exe.CmdLine + " " + input.ExtraParams, machine.QPath(), homes);
}

TLaunchDisk PlanLaunchDisk(const TLaunchInput& input, const TFXSettings& machine,
                           const TQuakeExe& exe, const TUserHomes& homes) {
  TLaunchDisk disk;
  disk.Looks = EngineLooksFor(input, machine, exe, homes);
  const fs::path& game = disk.Looks.GameFolder;
  if (const std::string patch = LaunchPatchName(input.Patch); !patch.empty())
    disk.GameDir = GameDirName(game, patch, disk.Looks.SureUserFolder());
  // The game type's switches are asked for last in a launch, so only the player's own
  // parameters name mission packs here.
  const std::vector<std::string> dirs = EngineGameDirs(disk.GameDir, input.ExtraParams);
  disk.Place =
      PlanScriptPlace(disk.Looks, machine.CfgFileName(), dirs, OwnBaseFolder(homes), homes);
  return disk;
}

std::vector<std::string> ConfigFolders(const TEngineLooks& looks, const TUserHomes& homes) {
  std::vector<std::string> folders = {looks.GameFolder.string()};
  if (const fs::path own = OwnBaseFolder(homes); looks.TakesBaseDir && IsDirectory(own))
    folders.push_back(own.string());
  if (!looks.UserFolder.empty()) folders.push_back(looks.UserFolder.string());
  return folders;
}

TConfigCleanUp ConfigCleanUpFor(const TLaunchInput& input, const TFXSettings& machine,
                                const TQuakeExe& exe, const TUserHomes& homes) {
  const TEngineLooks looks = EngineLooksFor(input, machine, exe, homes);
  TConfigCleanUp cleanUp{ConfigFolders(looks, homes), ""};
  if (const std::string patch = LaunchPatchName(input.Patch); !patch.empty())
    cleanUp.GameDir = GameDirName(looks.GameFolder, patch, looks.SureUserFolder());
  return cleanUp;
}

namespace {

// The command line with the names the disk gives: "-game" the mod folder's, "+exec" the
// main script's.
std::string DiskCommandLine(const TLaunchInput& input, std::string_view switches,
                            const TLaunchDisk& disk) {
  TLaunchInput named = input;
  named.Patch = disk.GameDir;
  std::string line = BuildCommandLine(named, switches, disk.Place.MainScript);
  if (!disk.Place.BaseDir.empty())
    line = "-basedir " + CommandLineArgument(disk.Place.BaseDir.string()) + " " + line;
  return line;
}

}  // namespace

TExeStart PlanLaunchStart(const TLaunchInput& input, std::string_view switches,
                          const TFXSettings& machine, const TQuakeExe& exe,
                          const TUserHomes& homes) {
  return PlanLaunchStart(input, switches, machine, exe, PlanLaunchDisk(input, machine, exe, homes));
}

TExeStart PlanLaunchStart(const TLaunchInput& input, std::string_view switches,
                          const TFXSettings& machine, const TQuakeExe& exe,
                          const TLaunchDisk& disk) {
  const char* path = std::getenv("PATH");
  return exe.PlanStart(DiskCommandLine(input, switches, disk), machine.QPath(),
                       path != nullptr ? path : "");
}

std::string CommandPreview(const TExeStart& start) {
  return ShellCommandText(StartedProgram(start), StartedArguments(start), start.Environment);
}

std::string ScriptPlaceNote(const TScriptPlace& place) {
  if (!place.InUserFolder && place.BaseDir.empty()) return "";
  return "  # script: " + place.MainScriptPath().string();
}

TLaunchPipeline::TLaunchPipeline(const TLaunchInput& input, TLaunchContext context)
    : FInput(input),
      FContext(std::move(context)),
      FGameFolder(FContext.Machine.QPath()),
      FMap(LaunchMapName(input.MapText)),
      FPatch(LaunchPatchName(input.Patch)) {}

bool TLaunchPipeline::Ask(const char* text, TMsgResult defaultButton) {
  return FContext.Dialogs.ShowMessage({text, "Warning", TMsgIcon::Warning, TMsgButtons::YesNo,
                                       defaultButton}) == TMsgResult::Yes;
}

bool TLaunchPipeline::ConfirmMap() {
  if (!IsServerMode(FInput.PlayMode) || FContext.Features.NoMap || !FMap.empty()) return true;
  return Ask(kNoMapText, TMsgResult::No);
}

bool TLaunchPipeline::ConfirmPatch() {
  const TEngineLooks& looks = FDisk.Looks;
  if (FPatch.empty() ||
      IsDirectory(FindModFolder(looks.GameFolder, FPatch, looks.SureUserFolder())))
    return true;
  return Ask(kNoPatchText, TMsgResult::No);
}

bool TLaunchPipeline::CheckModPlace() {
  // "-game" takes a folder name; engines refuse a path, and a folder elsewhere is not found.
  const TEngineLooks& looks = FDisk.Looks;
  if (FPatch.empty() || ModLiesInGameFolder(looks.GameFolder, FPatch, looks.SureUserFolder()))
    return true;
  FContext.Dialogs.ShowMessage({ModPlaceText(FPatch, looks.GameFolder), "Error", TMsgIcon::Error,
                                TMsgButtons::Ok, TMsgResult::Ok});
  return false;
}

std::string TLaunchPipeline::DateText() const {
  return FormatShortDate(FContext.Today, FContext.Format.ShortDateFormat);
}

void TLaunchPipeline::WriteAuxiliaryScripts(TScriptLines& script) {
  if (!FContext.User.InGameCmds()) return;
  const TScriptPlace& place = FDisk.Place;
  WritePlacedScript(place, "fx_maps.cfg",
                    BuildMapListing(FGameFolder, FDisk.GameDir, Dedicated(), DateText()));
  script.push_back("alias listmaps \"exec " + PlacedName(place, "fx_maps.cfg") + "\"");
  WritePlacedScript(place, "fx_svinf.cfg", BuildServerSummary(FInput, FContext.Features));
  script.push_back("alias sv_info \"exec " + PlacedName(place, "fx_svinf.cfg") + "\"");
}

bool TLaunchPipeline::AddDemoLines(TScriptLines& script) {
  const int mode = FInput.PlayMode;
  if ((mode == kPlaySingle || mode == kPlayListen || mode == kPlayClient) && FInput.RecordDemo) {
    const std::string& demo = FNames.DemoRecord;
    if (!demo.empty()) {
      script.push_back(QuotedCommand("record", demo));
      return true;
    }
    return Ask(kNoRecordNameText, TMsgResult::Yes);
  }
  if (mode != kPlayDemo) return true;
  const std::string& demo = FNames.DemoPlay;
  if (demo.empty()) {
    FContext.Dialogs.ShowMessage(
        {kNoPlayNameText, "Error", TMsgIcon::Error, TMsgButtons::Ok, TMsgResult::Ok});
    return false;
  }
  script.push_back(QuotedCommand("playdemo", demo));
  // Named as the file is spelled: the engine would not find "demo.cfg" as DEMO.CFG.
  if (const fs::path demoCfg = ResolveGamePath(FGameFolder, "ID1\\DEMO.CFG"); IsFile(demoCfg))
    script.push_back("exec " + demoCfg.filename().string());
  return true;
}

void TLaunchPipeline::AddPluginLines(TScriptLines& script) {
  TQuakePlugin& plugin = FContext.Plugin;
  plugin.PrepareLaunch();
  const std::int32_t count = plugin.GetScriptLineCount();
  for (std::int32_t index = 0; index < count; ++index) {
    TLongText line;
    plugin.GetScriptLine(index, line);
    script.push_back(line.Str());
  }
}

void TLaunchPipeline::AddCommandLines(TScriptLines& script) const {
  if (!FInput.IgnoreGeneralCmds) Append(script, FContext.User.AddParms());
  Append(script, FInput.AddCmds);
}

TLaunchResult TLaunchPipeline::Launch() {
  TLaunchResult result;
  // Without a game folder every script would land relative to our working directory.
  if (FGameFolder.empty())
    throw EScriptWriteError("No game folder is set, so the launch scripts cannot be written.");
  FDisk.Looks = EngineLooksFor(FInput, FContext.Machine, FContext.Exe, FContext.Homes);
  if (!ConfirmMap() || !ConfirmPatch() || !CheckModPlace()) return result;
  PlanDisk();
  PrepareScriptPlace(FDisk.Place);

  TScriptLines script = ScriptHeader(DateText());
  if (!Dedicated()) script.push_back("disconnect");
  WriteAuxiliaryScripts(script);
  Append(script, HostLines(FInput, FContext.Features));
  if (!AddDemoLines(script)) return result;
  Append(script, GameRuleLines(FInput, FContext.Features));
  AddPluginLines(script);
  AddCommandLines(script);
  CleanUpConfigFiles();
  Append(script, BannerLines(Dedicated()));
  if (const auto start = StartLine(FInput, FContext.Features, FNames)) script.push_back(*start);
  WritePlacedScript(FDisk.Place, FContext.Machine.CfgFileName(), script);
  result.ScriptWritten = true;
  result.MainScript = FDisk.Place.MainScriptPath();

  TLongText switches;
  FContext.Plugin.GetCmdLineSwitches(switches);
  Start(result, switches.View());
  return result;
}

void TLaunchPipeline::PlanDisk() {
  FDisk = PlanLaunchDisk(FInput, FContext.Machine, FContext.Exe, FContext.Homes);
  FNames = DiskScriptNames(WindowScriptNames(FInput), FDisk.Place.SearchFolders);
}

void TLaunchPipeline::CleanUpConfigFiles() const {
  // The engine keeps its CONFIG.CFG in its per-user folder when it has one, and in the mod
  // folder by the name "-game" gives it ("fortress" for TEAMF).
  for (const std::string& folder : ConfigFolders(FDisk.Looks, FContext.Homes))
    FContext.User.CleanUpConfigFiles(false, FDisk.GameDir, folder);
}

void TLaunchPipeline::Start(TLaunchResult& result, std::string_view switches) const {
  result.CommandLine = DiskCommandLine(FInput, switches, FDisk);
  result.Start = PlanLaunchStart(FInput, switches, FContext.Machine, FContext.Exe, FDisk);
  // A start that cannot happen is said, not tried: an output file or a watch for it would
  // only hide the reason.
  result.Problem = CheckStart(result.Start);
  if (result.Problem) return;
  TProgramStartOptions options;
  if (!FContext.OutputFolder.empty()) {
    // The watch does not need the output file: without it a failure at once is still
    // reported, and "Close on executing" still waits for a start that worked.
    options.Watch = kEarlyExitWindow;
    try {
      result.OutputFile =
          NewGameOutputFile(FContext.OutputFolder, std::chrono::system_clock::now());
      options.OutputFile = result.OutputFile;
    } catch (const std::filesystem::filesystem_error&) {
      // Without a place for its output the game still starts, writing where we do.
      result.OutputFile.clear();
    }
  }
  options.Environment = result.Start.Environment;
  TProgramStart started = StartProgram(StartedProgram(result.Start), StartedArguments(result.Start),
                                       result.Start.Directory, options);
  result.Started = ShellSucceeded(started.Result);
  if (!result.Started) {
    result.Problem = StartFailure(result.Start, started.Result);
    if (!result.OutputFile.empty()) {
      std::error_code ignored;
      std::filesystem::remove(result.OutputFile, ignored);
      result.OutputFile.clear();
    }
    return;
  }
  result.Watch = std::move(started.Watch);
  if (FContext.Machine.CloseOnExec() && FContext.CloseMainWindow) FContext.CloseMainWindow();
}

}  // namespace fx
