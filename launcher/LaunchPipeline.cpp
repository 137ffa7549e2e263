#include "launcher/LaunchPipeline.h"

#include <cstdlib>
#include <system_error>

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

std::optional<std::string> StartLine(const TLaunchInput& input, const TPluginFeatures& features) {
  const std::string map = LaunchMapName(input.MapText);
  if (features.NoMap || map.empty()) return std::nullopt;
  const std::string demo = LaunchDemoName(input.DemoRecord);
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

TExeStart PlanLaunchStart(const TLaunchInput& input, std::string_view switches,
                          const TFXSettings& machine, const TQuakeExe& exe) {
  const char* path = std::getenv("PATH");
  return exe.PlanStart(BuildCommandLine(input, switches, machine.CfgFileName()), machine.QPath(),
                       path != nullptr ? path : "");
}

std::string CommandPreview(const TExeStart& start) {
  return ShellCommandText(StartedProgram(start), StartedArguments(start), start.Environment);
}

TLaunchPipeline::TLaunchPipeline(const TLaunchInput& input, TLaunchContext context)
    : FInput(input),
      FContext(std::move(context)),
      FGameFolder(FContext.Machine.QPath()),
      FMap(LaunchMapName(input.MapText)),
      FPatch(LaunchPatchName(input.Patch)) {}

fs::path TLaunchPipeline::MainScriptPath() const {
  return ResolveGamePath(FGameFolder, "ID1\\" + FContext.Machine.CfgFileName());
}

fs::path TLaunchPipeline::MapListingPath() const {
  return ResolveGamePath(FGameFolder, "id1\\fx_maps.cfg");
}

fs::path TLaunchPipeline::ServerSummaryPath() const {
  return ResolveGamePath(FGameFolder, "id1\\fx_svinf.cfg");
}

bool TLaunchPipeline::Ask(const char* text, TMsgResult defaultButton) {
  return FContext.Dialogs.ShowMessage({text, "Warning", TMsgIcon::Warning, TMsgButtons::YesNo,
                                       defaultButton}) == TMsgResult::Yes;
}

bool TLaunchPipeline::ConfirmMap() {
  if (!IsServerMode(FInput.PlayMode) || FContext.Features.NoMap || !FMap.empty()) return true;
  return Ask(kNoMapText, TMsgResult::No);
}

bool TLaunchPipeline::ConfirmPatch() {
  if (FPatch.empty() || IsDirectory(ResolveGamePath(FGameFolder, FPatch))) return true;
  return Ask(kNoPatchText, TMsgResult::No);
}

std::string TLaunchPipeline::DateText() const {
  return FormatShortDate(FContext.Today, FContext.Format.ShortDateFormat);
}

void TLaunchPipeline::WriteAuxiliaryScripts(TScriptLines& script) {
  if (!FContext.User.InGameCmds()) return;
  WriteScript(MapListingPath(), BuildMapListing(FGameFolder, FPatch, Dedicated(), DateText()));
  script.push_back("alias listmaps \"exec fx_maps.cfg\"");
  WriteScript(ServerSummaryPath(), BuildServerSummary(FInput, FContext.Features));
  script.push_back("alias sv_info \"exec fx_svinf.cfg\"");
}

bool TLaunchPipeline::AddDemoLines(TScriptLines& script) {
  const int mode = FInput.PlayMode;
  if ((mode == kPlaySingle || mode == kPlayListen || mode == kPlayClient) && FInput.RecordDemo) {
    const std::string demo = LaunchDemoName(FInput.DemoRecord);
    if (!demo.empty()) {
      script.push_back(QuotedCommand("record", demo));
      return true;
    }
    return Ask(kNoRecordNameText, TMsgResult::Yes);
  }
  if (mode != kPlayDemo) return true;
  const std::string demo = LaunchDemoName(FInput.DemoPlay);
  if (demo.empty()) {
    FContext.Dialogs.ShowMessage(
        {kNoPlayNameText, "Error", TMsgIcon::Error, TMsgButtons::Ok, TMsgResult::Ok});
    return false;
  }
  script.push_back(QuotedCommand("playdemo", demo));
  if (IsFile(ResolveGamePath(FGameFolder, "ID1\\DEMO.CFG"))) script.push_back("exec demo.cfg");
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
  if (!ConfirmMap() || !ConfirmPatch()) return result;

  TScriptLines script = ScriptHeader(DateText());
  if (!Dedicated()) script.push_back("disconnect");
  WriteAuxiliaryScripts(script);
  Append(script, HostLines(FInput, FContext.Features));
  if (!AddDemoLines(script)) return result;
  Append(script, GameRuleLines(FInput, FContext.Features));
  AddPluginLines(script);
  AddCommandLines(script);
  FContext.User.CleanUpConfigFiles(false, FPatch, FGameFolder.string());
  Append(script, BannerLines(Dedicated()));
  if (const auto start = StartLine(FInput, FContext.Features)) script.push_back(*start);
  WriteScript(MainScriptPath(), script);
  result.ScriptWritten = true;

  TLongText switches;
  FContext.Plugin.GetCmdLineSwitches(switches);
  Start(result, switches.View());
  return result;
}

void TLaunchPipeline::Start(TLaunchResult& result, std::string_view switches) const {
  result.CommandLine = BuildCommandLine(FInput, switches, FContext.Machine.CfgFileName());
  result.Start = PlanLaunchStart(FInput, switches, FContext.Machine, FContext.Exe);
  // A start that cannot happen is said, not tried: an output file or a watch for it would
  // only hide the reason.
  result.Problem = CheckStart(result.Start);
  if (result.Problem) return;
  TProgramStartOptions options;
  if (!FContext.OutputFolder.empty()) {
    try {
      result.OutputFile =
          NewGameOutputFile(FContext.OutputFolder, std::chrono::system_clock::now());
      options.OutputFile = result.OutputFile;
      options.Watch = kEarlyExitWindow;
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
