// The main window's content browser: "Maps and Mods..." in the "&File" menu, and Play, which
// sets the window up as a user would by hand (game type, mod folder, start map, engine) and
// launches.

#include <QAction>
#include <QMenu>

#include <chrono>
#include <exception>

#include "content/CatalogueLoader.h"
#include "content/ContentBrowserDlg.h"
#include "content/PlayedRecords.h"
#include "installer/QtDownloader.h"
#include "launcher/FXLaunchForm.h"
#include "platform/RegFileStore.h"
#include "platform/SpecialFolders.h"
#include "ui_FXLaunchForm.h"

namespace fx {

void TFXLaunchForm::SetUpContentBrowser(const TLaunchFormOptions& options) {
  FContentSources = options.ContentSources;
  FContentCacheFolder = options.ContentCacheFolder;
  FMakeContentDownloader = options.ContentDownloader;
  auto* action = new QAction(tr("&Maps and Mods..."), this);
  action->setObjectName(QStringLiteral("miMapsAndMods"));
  action->setShortcut(QKeySequence(tr("Ctrl+M")));
  FUi->FileMenu->insertAction(FUi->FileSaveCfgItem, action);
  connect(action, &QAction::triggered, this, &TFXLaunchForm::ContentBrowserClick);
}

void TFXLaunchForm::ContentBrowserClick() {
  try {
    if (!FContentDownloader)
      FContentDownloader = FMakeContentDownloader
                               ? FMakeContentDownloader()
                               : std::make_unique<TQtDownloader>(ProgramDownloadFolder());
  } catch (const std::exception& e) {
    ReportException(e);
    return;
  }
  TContentBrowserOptions options;
  options.Downloader = FContentDownloader.get();
  options.CacheFolder =
      FContentCacheFolder.value_or(CatalogueCacheFolder(TXdgFolders().CacheHome()));
  // The user's own list of catalogues, beside the settings; the built-in one without it.
  std::vector<std::string> problems;
  options.Sources = FContentSources
                        ? *FContentSources
                        : UserCatalogueSources(
                              TRegFileStore::FolderFromEnvironment() / "catalogues.txt", &problems);
  for (const std::string& problem : problems)
    options.Notes.push_back("catalogues.txt " + problem);
  options.GameFolder = GameFolder();
  for (const TQuakeExe& exe : FExes)
    options.Engines.push_back({exe.Name(), EngineProfileFor(exe.ExeName).Family});
  options.ChosenEngine = static_cast<std::size_t>(std::max(SelectedExe(), 0));
  TContentBrowserDlg dialog(std::move(options), this);
  if (dialog.exec() != QDialog::Accepted || !dialog.Chosen()) return;
  PlayContent(*dialog.Chosen());
}

void TFXLaunchForm::PlayContent(const TContentChoice& choice) {
  const TPlayPlan& plan = choice.Plan;
  SelectGameType(std::string(GameTypeName(plan.GameType)));
  SetPlayMode(kPlaySingle);
  SetPatchText(plan.Patch.empty() ? "(None)" : plan.Patch);
  // The plan's switches go where a user types them; the last package's own go out first.
  const TContentSwitchField field = ReplaceContentSwitches(FUi->CmdLineEdit->text().toStdString(),
                                                           FContentSwitches, plan.Switches);
  FContentSwitches = field.Added;
  FUi->CmdLineEdit->setText(QString::fromStdString(field.Text));
  if (!choice.StartMap.empty())
    SetMapText(choice.StartMap);
  else if (!plan.StartMaps.empty())
    SetMapText(plan.StartMaps.front());
  if (plan.Engine < FExes.size()) SelectExe(FExes[plan.Engine].Name());
  MarkModified();
  if (!LaunchNow()) return;
  try {
    const auto file = TPlayedRecords::DefaultFile(TXdgFolders().DataHome());
    TPlayedRecords played = TPlayedRecords::Load(file);
    played.NotePlayed(choice.Package.Id, std::chrono::duration_cast<std::chrono::seconds>(
                                             std::chrono::system_clock::now().time_since_epoch())
                                             .count());
    played.Save(file);
  } catch (const std::exception&) {
    // Not knowing when it was played costs nothing of the game.
  }
}

}  // namespace fx
