// The main window's launch, browse and documents commands.

#include <QComboBox>
#include <QDate>
#include <QLineEdit>

#include <filesystem>
#include <string_view>

#include "demos/DemoBrowseDlg.h"
#include "demos/DemoCache.h"
#include "demos/DemoChoice.h"
#include "exes/TextQuery.h"
#include "gamedata/MapBrowse.h"
#include "gamedata/MapBrowseDlg.h"
#include "gamedata/QuakeText.h"
#include "gamedata/ViewDocsDlg.h"
#include "launcher/DiskNames.h"
#include "launcher/DocLookup.h"
#include "launcher/FXLaunchForm.h"
#include "launcher/LaunchPipeline.h"
#include "platform/FormatSettings.h"
#include "platform/GamePaths.h"
#include "platform/Shell.h"
#include "settings/FXSettings.h"
#include "settings/PathUtils.h"
#include "ui_FXLaunchForm.h"

namespace fx {

namespace {

constexpr const char* kDemoFilter = "Demo Files|*.dem|All Files|*.*";
constexpr const char* kNoDocuments = "No documents could be found.";

std::vector<std::string> MemoLines(const QString& text) {
  std::vector<std::string> lines;
  if (text.isEmpty()) return lines;
  for (const QString& line : text.split(QLatin1Char('\n')))
    lines.push_back(line.toStdString());
  // A final line break ends the last line; it does not start another.
  if (text.endsWith(QLatin1Char('\n'))) lines.pop_back();
  return lines;
}

// A typed map or demo name: blanks around it are no part of the name.
std::string TypedName(const QComboBox& box) {
  return box.currentText().trimmed().toStdString();
}

// The browser hands back the map's name and its title as the file has them. The box shows
// the title as the game draws it; the name before it, which the launch reads, stays.
std::string MapBoxText(const std::string& chosen) {
  const std::size_t colon = chosen.find(':');
  if (colon == std::string::npos) return chosen;
  return chosen.substr(0, colon + 1) + QuakeTextToUtf8(std::string_view(chosen).substr(colon + 1));
}

TDate Today() {
  const QDate today = QDate::currentDate();
  return TDate{today.year(), today.month(), today.day()};
}

}  // namespace

std::string TFXLaunchForm::GameFolder() const {
  return FXSettings().QPath();
}

std::string TFXLaunchForm::PatchName() const {
  return LaunchPatchName(FUi->PatchComboBox->currentText().toStdString());
}

TLaunchInput TFXLaunchForm::GatherLaunchInput() const {
  const auto& ui = *FUi;
  TLaunchInput input;
  input.PlayMode = FPlayMode;
  input.Hostname = ui.HostnameEdit->text().toStdString();
  input.Skill = ui.cbSkill->currentIndex();
  input.RecordDemo = ui.cbRecDemo->isChecked();
  input.DemoRecord = TypedName(*ui.cbDemoRec);
  input.DemoPlay = TypedName(*ui.cbDemoPlay);
  input.AutoAim = ui.cbAutoAim->isChecked();
  input.PlayModeRule = ui.MultiPlayModeComboBox->currentIndex();
  input.PlayModeRuleText = ui.MultiPlayModeComboBox->currentText().toStdString();
  input.Teamplay = ui.TeamplayComboBox->currentIndex();
  input.TeamplayText = ui.TeamplayComboBox->currentText().toStdString();
  input.ClientExit = ui.ClientExitComboBox->currentIndex();
  input.ClientExitText = ui.ClientExitComboBox->currentText().toStdString();
  input.Pausable = ui.PauseableCheckBox->isChecked();
  input.FragLimitOn = ui.cbFraglimit->isChecked();
  input.FragLimit = static_cast<double>(ui.edFraglimit->Value());
  input.TimeLimitOn = ui.cbTimelimit->isChecked();
  input.TimeLimit = static_cast<double>(ui.edTimeLimit->Value());
  input.Server = ui.ConnectComboBox->currentText().toStdString();
  input.IgnoreGeneralCmds = ui.cbIgnoreGeneralCmds->isChecked();
  input.AddCmds = MemoLines(ui.AddCmdMemo->toPlainText());
  const QComboBox* map = ui.cbMap;
  input.MapText = map->isEditable() || map->currentIndex() >= 0 ? TypedName(*map) : std::string();
  input.Patch = ui.PatchComboBox->currentText().toStdString();
  input.MaxPlayers = ui.tbMaxPlayers->value();
  input.SaveLog = ui.cbSaveLog->isChecked();
  input.ExtraParams = ui.CmdLineEdit->text().toStdString();
  return input;
}

void TFXLaunchForm::StartQuakeBtnClick() {
  LaunchNow();
}

bool TFXLaunchForm::LaunchNow() {
  const int exe = SelectedExe();
  if (exe < 0 || ActivePlugin() == nullptr) {
    FDialogs->Beep();
    return false;
  }
  // Leaving a box by the keyboard shortcut skips its exit handler; apply it here.
  PatchComboBoxExit();
  MapComboBoxExit();
  HostnameEditExit();
  const TLaunchInput input = GatherLaunchInput();
  TLaunchContext context{FXSettings(),
                         FXUserSettings(),
                         *ActivePlugin(),
                         ActiveFeatures(),
                         FExes[static_cast<std::size_t>(exe)],
                         *FDialogs,
                         Today(),
                         FormatSettings(),
                         [this] { FCloseAfterStart = FStoreOnClose; },
                         FOutputFolder};
  try {
    TLaunchResult result = TLaunchPipeline(input, std::move(context)).Launch();
    FollowLaunch(result);
    return result.Started;
  } catch (const std::exception& e) {
    ReportException(e);
    return false;
  }
}

void TFXLaunchForm::BrowseMapBtnClick() {
  try {
    const auto chosen = BrowseMap(GameFolder(), PatchText(), *FDialogs, this);
    if (!chosen) return;
    MarkModified();
    SetMapText(MapBoxText(*chosen));
  } catch (const std::exception& e) {
    ReportException(e);
  }
}

void TFXLaunchForm::OpenDocument(const std::filesystem::path& file) {
  ShellExecute("open", file.string(), "", file.parent_path().string());
}

void TFXLaunchForm::ViewDocBtnClick() {
  const std::string patch = PatchName();
  if (patch.empty()) return;
  try {
    ShowDocuments(ResolveGamePath(GameFolder(), patch).string(), *FDialogs, this);
  } catch (const std::exception& e) {
    ReportException(e);
  }
}

void TFXLaunchForm::ViewMapDocBtnClick() {
  const std::string maps = ResolveGamePath(GameFolder(), "ID1\\MAPS").string();
  if (const auto document = FindMapDocument(maps, LaunchMapName(MapText()), kDocExtensionsOpen))
    OpenDocument(*document);
  else
    ShowError(kNoDocuments);
}

void TFXLaunchForm::DemoDocBtnClick() {
  const auto& ui = *FUi;
  const std::string name =
      DemoDocumentName(FPlayMode, ui.cbDemoPlay->currentText().toStdString(),
                       ui.cbRecDemo->isChecked(), ui.cbDemoRec->currentText().toStdString());
  if (name.empty()) {
    FDialogs->Beep();
    return;
  }
  if (const auto document = FindDemoDocument(GameFolder(), PatchName(), name))
    OpenDocument(*document);
  else
    ShowError(kNoDocuments);
}

void TFXLaunchForm::PatchBrowseBtnClick() {
  const std::string game = GameFolder();
  std::string start = FXSettings().PatchPath();
  const std::string patch = PatchText();
  if (!patch.empty() && (patch.back() == '\\' || patch.back() == '/')) {
    const std::string current = ResolveGamePath(game, patch).string();
    if (FolderExists(current)) start = current;
  }
  const auto chosen = FDialogs->ChooseFolder("Locate your Patch Directory.", start);
  if (!chosen) return;
  SetPatchText(RelativeToFolder(game, *chosen));
  MarkModified();
}

// Where the demo choosers open: the patch's folder, else id1.
std::string TFXLaunchForm::DemoStartFolder() const {
  const std::string patch = PatchName();
  return ResolveGamePath(GameFolder(), patch.empty() ? "ID1" : patch).string();
}

// The per-user folder of the selected entry's engine; none without a selection.
std::filesystem::path TFXLaunchForm::DemoUserFolder() const {
  const int row = SelectedExe();
  return row < 0 ? std::filesystem::path()
                 : EngineLooksFor(GatherLaunchInput(), FXSettings(),
                                  FExes[static_cast<std::size_t>(row)], CurrentUserHomes())
                       .SureUserFolder();
}

// The archives that engine opens in a folder (TDemoArchiveRule names the sources).
TDemoArchiveRule TFXLaunchForm::DemoArchives() const {
  const int row = SelectedExe();
  if (row < 0) return {};
  const TEngineProfile& profile = EngineProfileFor(FExes[static_cast<std::size_t>(row)].ExeName);
  const TEngineFamily family = profile.Family;
  return {.NumberedPaksOnly = family == TEngineFamily::QuakeSpasm ||
                              family == TEngineFamily::QuakeSpasmSpiked ||
                              family == TEngineFamily::Ironwail || family == TEngineFamily::VkQuake,
          .LoadsPk3 = profile.LoadsPk3};
}

// The folders that engine searches for a game directory, its per-user folder first.
std::vector<std::filesystem::path> TFXLaunchForm::DemoSearchFolders(const std::string& dir) const {
  return EngineSearchFolders(GameFolder(), DemoUserFolder(), {dir});
}

void TFXLaunchForm::DemoRecBrowseBtnClick() {
  const auto chosen = FDialogs->ChooseSaveFile("", kDemoFilter, DemoStartFolder());
  const std::string name = chosen ? ExtractFileTitle(*chosen) : std::string();
  if (name.empty()) return;
  // The save chooser asks only for the file as typed; the engine replaces a demo of that
  // name in another case too, wherever on its search path it lies.
  const std::string patch = PatchName();
  std::vector<std::filesystem::path> folders;
  for (const std::string& dir :
       EngineGameDirs(patch.empty() ? "" : GameDirName(GameFolder(), patch), ""))
    for (std::filesystem::path& folder : DemoSearchFolders(dir))
      folders.push_back(std::move(folder));
  const auto found = FindOnSearchPath(folders, name + ".dem");
  // The chooser has asked about the very file it hands back; not twice.
  const std::filesystem::path file(*chosen);
  const bool asked = found && std::filesystem::exists(file) &&
                     file.filename() == std::filesystem::path(*found).filename();
  if (found && !asked &&
      FDialogs->ShowMessage({OverwriteDemoText(*found), "", TMsgIcon::Warning, TMsgButtons::YesNo,
                             TMsgResult::No}) != TMsgResult::Yes)
    return;
  FUi->cbDemoRec->setEditText(QString::fromStdString(name));
  MarkModified();
}

void TFXLaunchForm::DemoPlayBrowseBtnClick() {
  try {
    const std::string game = GameFolder();
    const TUserHomes homes = CurrentUserHomes();
    const std::string patch = PatchName();
    const std::string home = homes.Account.empty() ? homes.Environment : homes.Account;
    TDemoBrowseSetup setup{
        .GameFolder = game,
        .Home = home,
        .Dirs = DemoGameDirs(
            game, DemoUserFolder(),
            patch.empty() ? std::filesystem::path() : ResolveGamePath(game, patch),
            [this](const std::string& dir) { return DemoSearchFolders(dir); }, DemoArchives()),
        .CacheFile = DemoCacheFile(std::getenv("XDG_CACHE_HOME"), home),
        .StartFolder = DemoStartFolder()};
    const auto chosen = BrowseDemo(std::move(setup), *FDialogs, this);
    if (!chosen) return;
    if (!chosen->Row) {
      FUi->cbDemoPlay->setEditText(QString::fromStdString(ExtractFileTitle(chosen->OtherFile)));
      MarkModified();
      return;
    }
    std::vector<TEngineOffer> engines;
    for (const TQuakeExe& exe : FExes)
      engines.push_back({exe.Name(), exe.ExeName});
    const int row = SelectedExe();
    const TDemoPick pick = PickDemo(
        *chosen->Row, engines, row < 0 ? std::nullopt : std::optional<std::size_t>(row), *FDialogs);
    if (pick.Cancelled) return;
    if (pick.SwitchTo) FUi->lvExe->setCurrentRow(static_cast<int>(*pick.SwitchTo));
    if (pick.Patch) SetPatchText(*pick.Patch);
    FUi->cbDemoPlay->setEditText(QString::fromStdString(pick.PlayName));
    MarkModified();
  } catch (const std::exception& e) {
    ReportException(e);
  }
}

}  // namespace fx
