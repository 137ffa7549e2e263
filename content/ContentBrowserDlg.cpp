#include "content/ContentBrowserDlg.h"

#include <QDesktopServices>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include <chrono>

#include "content/CatalogueMerge.h"
#include "content/CatalogueWorker.h"
#include "content/ContentBrowserRuns.h"
#include "content/ContentInstall.h"
#include "content/ContentText.h"
#include "content/Dependencies.h"
#include "content/FilterPresetStore.h"
#include "content/SafeHtml.h"
#include "content/StartMapRow.h"
#include "installer/Installer.h"
#include "installer/PackageStore.h"
#include "installer/QtDownloader.h"
#include "ui_ContentBrowserDlg.h"

namespace fx {

namespace {

constexpr std::string_view kReviewBase = "https://www.quaddicted.com/reviews/";

std::int64_t SystemNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

QString Html(const std::string& text) {
  return QString::fromStdString(PlainTextHtml(text));
}

QString ListHtml(const char* label, const std::vector<std::string>& items) {
  if (items.empty()) return {};
  std::string joined;
  for (const std::string& item : items)
    joined += (joined.empty() ? "" : ", ") + item;
  return QStringLiteral("<p><b>%1:</b> %2</p>").arg(QString::fromLatin1(label), Html(joined));
}

}  // namespace

TContentBrowserDlg::TContentBrowserDlg(TContentBrowserOptions options, QWidget* parent)
    : QDialog(parent),
      FUi(std::make_unique<Ui::ContentBrowserDlg>()),
      FOptions(std::move(options)) {
  FUi->setupUi(this);
  if (!FOptions.Now) FOptions.Now = SystemNow;
  FLoader = std::make_unique<TCatalogueLoader>(*FOptions.Downloader, FOptions.CacheFolder,
                                               FOptions.Now, CatalogueWorker());
  FModel = new TContentTableModel(this);
  FProxy = new TContentFilterProxy(this);
  FProxy->setSourceModel(FModel);
  FUi->PackageTable->setModel(FProxy);
  FUi->PackageTable->verticalHeader()->hide();
  FUi->PackageTable->horizontalHeader()->setStretchLastSection(true);
  // Titles are the longest texts and what a player reads first; the rest fit their default.
  FUi->PackageTable->horizontalHeader()->resizeSection(
      kColTitle, 2 * FUi->PackageTable->horizontalHeader()->defaultSectionSize());
  FUi->PackageTable->sortByColumn(kColDate, Qt::DescendingOrder);
  // Preset names and catalogue texts reach the status line: never read as markup.
  FUi->StatusLabel->setTextFormat(Qt::PlainText);
  FUi->FilterBar->Adopt(FUi->TypeCombo, FUi->InstalledCombo, FUi->LimitsCheck);
  FUi->FilterBar->ChainTabOrder(FUi->LimitsCheck, FUi->PackageTable);
  const QString presetNote = FUi->FilterBar->SetPresetFile(FOptions.FilterPresetsFile.empty()
                                                               ? TFilterPresetStore::DefaultFile()
                                                               : FOptions.FilterPresetsFile);
  if (!presetNote.isEmpty()) FOptions.Notes.push_back(presetNote.toStdString());
  FUi->ScreenshotPane->SetUp(FOptions.Downloader, FOptions.CacheFolder / "screenshots");
  setTabOrder(FUi->DetailsText, FUi->ScreenshotPane->Button());
  FUi->Splitter->setStretchFactor(0, 3);
  FUi->Splitter->setStretchFactor(1, 2);
  FStartMaps = new TStartMapRow(this);
  FUi->MainLayout->insertWidget(FUi->MainLayout->indexOf(FUi->Splitter) + 1, FStartMaps);
  FUi->SearchEdit->installEventFilter(this);
  FUi->PackageTable->installEventFilter(this);
  connect(FUi->SearchEdit, &QLineEdit::textChanged, this, &TContentBrowserDlg::Refilter);
  connect(FUi->FilterBar, &TContentFilterBar::Changed, this, &TContentBrowserDlg::Refilter);
  connect(FUi->FilterBar, &TContentFilterBar::Status, FUi->StatusLabel, &QLabel::setText);
  connect(FUi->PackageTable->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          &TContentBrowserDlg::ShowDetails);
  connect(FUi->PackageTable, &QAbstractItemView::activated, this, &TContentBrowserDlg::PlayClick);
  connect(FUi->PlayBtn, &QPushButton::clicked, this, &TContentBrowserDlg::PlayClick);
  connect(FUi->RandomBtn, &QPushButton::clicked, this, &TContentBrowserDlg::RandomClick);
  connect(FUi->InstallBtn, &QPushButton::clicked, this, &TContentBrowserDlg::InstallClick);
  connect(FUi->UninstallBtn, &QPushButton::clicked, this, &TContentBrowserDlg::UninstallClick);
  connect(FUi->CancelBtn, &QPushButton::clicked, this, &TContentBrowserDlg::reject);
  FPoll = new QTimer(this);
  FPoll->setInterval(50);
  connect(FPoll, &QTimer::timeout, this, &TContentBrowserDlg::PollWork);
  connect(FUi->RefreshBtn, &QPushButton::clicked, this, [this] { Load(true); });
  connect(FUi->CloseBtn, &QPushButton::clicked, this, &QDialog::reject);
  // Links open in the desktop's browser, and only when clicked.
  connect(FUi->DetailsText, &QTextBrowser::anchorClicked, this, [](const QUrl& url) {
    if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
      QDesktopServices::openUrl(url);
  });
  FUi->SearchEdit->setFocus();
}

void TContentBrowserDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FUi->SearchEdit->setFocus();
  if (!FLoadedOnce) {
    FLoadedOnce = true;
    Load(false);
  }
}

bool TContentBrowserDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == FUi->SearchEdit &&
        (key == Qt::Key_Down || key == Qt::Key_Return || key == Qt::Key_Enter)) {
      FUi->PackageTable->setFocus();
      if (!FUi->PackageTable->currentIndex().isValid() && FProxy->rowCount() > 0)
        FUi->PackageTable->setCurrentIndex(FProxy->index(0, 0));
      if (key != Qt::Key_Down) PlayClick();
      return true;
    }
    if (watched == FUi->PackageTable && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
      PlayClick();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TContentBrowserDlg::Load(bool refresh) {
  if (FLoader->Busy()) return;
  FUi->StatusLabel->setText(tr("Loading the catalogues..."));
  FUi->RefreshBtn->setEnabled(false);
  UpdateButtons();
  FLoader->Load(FOptions.Sources, refresh,
                [this](std::vector<TCatalogueLoad> loads) { Loaded(std::move(loads)); });
}

void TContentBrowserDlg::Loaded(std::vector<TCatalogueLoad> loads) {
  FUi->RefreshBtn->setEnabled(true);
  std::vector<TCatalogue> catalogues;
  QStringList status;
  for (TCatalogueLoad& load : loads) {
    status << QString::fromStdString(load.Status);
    if (load.Loaded) catalogues.push_back(std::move(load.Catalogue));
  }
  TCatalogue merged = MergeCatalogues(std::move(catalogues));
  FSkipped = std::move(merged.Skipped);
  FModel->SetPackages(std::move(merged.Packages), {});
  StartStateCheck();
  for (const std::string& note : FOptions.Notes)
    status << QString::fromStdString(note);
  if (!FSkipped.empty())
    status << tr("%n record(s) left out as malformed", nullptr, static_cast<int>(FSkipped.size()));
  FUi->StatusLabel->setText(status.join(QStringLiteral("; ")));
  // The reasons quote the catalogues, so they are escaped: a tooltip would take markup.
  FUi->StatusLabel->setToolTip([this] {
    QStringList reasons;
    for (const TCatalogueSkip& skip : FSkipped)
      reasons << QString::fromStdString(skip.Record + ": " + skip.Reason).toHtmlEscaped();
    return reasons.isEmpty() ? QString()
                             : QStringLiteral("<p style=\"white-space:pre\">%1</p>")
                                   .arg(reasons.join(QStringLiteral("<br>")));
  }());
  Refilter();
}

void TContentBrowserDlg::Refilter() {
  TContentFilter filter = FUi->FilterBar->Filter();
  filter.Text = FUi->SearchEdit->text().toStdString();
  FProxy->SetFilter(filter);
  if (!FUi->PackageTable->currentIndex().isValid() && FProxy->rowCount() > 0)
    FUi->PackageTable->setCurrentIndex(FProxy->index(0, 0));
  ShowDetails();
}

std::optional<std::size_t> TContentBrowserDlg::CurrentPackage() const {
  const QModelIndex index = FUi->PackageTable->currentIndex();
  if (!index.isValid()) return std::nullopt;
  return static_cast<std::size_t>(FProxy->mapToSource(index).row());
}

void TContentBrowserDlg::SelectPackage(std::size_t index) {
  const QModelIndex row = FProxy->mapFromSource(FModel->index(static_cast<int>(index), 0));
  FUi->PackageTable->setCurrentIndex(row);
  FUi->PackageTable->scrollTo(row);
}

void TContentBrowserDlg::ShowDetails() {
  const auto index = CurrentPackage();
  UpdateButtons();
  if (!index) {
    FUi->DetailsText->clear();
    FUi->ScreenshotPane->ShowPackage(nullptr);
    FStartMaps->SetChoices({});
    FStartMapsFor.clear();
    return;
  }
  const TContentPackage& p = FModel->Packages()[*index];
  FUi->ScreenshotPane->ShowPackage(&p);
  ShowStartMaps(*index);
  const TPlayPlan& plan = FShownPlan;
  QString html = QStringLiteral("<h3>%1</h3><p>%2</p>")
                     .arg(Html(p.Title.empty() ? p.Id : p.Title), Html(p.Author));
  html += QStringLiteral("<p>%1 &nbsp; %2 &nbsp; %3</p>")
              .arg(Html(FormatDate(p.Date)),
                   FModel->data(FModel->index(static_cast<int>(*index), kColSize)).toString(),
                   // "checking..." as the table says it until the state is known
                   FModel->data(FModel->index(static_cast<int>(*index), kColInstalled)).toString());
  // The XML's descriptions are HTML, the JSON's mostly plain text: both shown safely.
  const bool html_ = p.Description.find('<') != std::string::npos;
  html += QStringLiteral("<div>%1</div>")
              .arg(QString::fromStdString(html_ ? SafeHtml(p.Description, kReviewBase)
                                                : PlainTextHtml(p.Description)));
  html += ListHtml("Start maps", plan.StartMaps);
  std::vector<std::string> needs = p.Requirements;
  needs.insert(needs.end(), p.Depends.begin(), p.Depends.end());
  html += ListHtml("Needs", needs);
  if (!plan.Patch.empty()) html += ListHtml("Mod folder", {plan.Patch});
  if (!p.Mod.empty()) html += ListHtml("Made for", {p.Mod});
  if (!plan.Refusals.empty()) {
    html += QStringLiteral("<p><b>Command line not used:</b> %1</p>").arg(Html(p.CommandLine));
    html += ListHtml("Why", plan.Refusals);
  }
  if (!plan.EngineReason.empty())
    html += QStringLiteral("<p><i>%1</i></p>").arg(Html(plan.EngineReason));
  for (const std::string& link : p.Links)
    if (link.starts_with("https://") || link.starts_with("http://"))
      html += QStringLiteral("<p><a href=\"%1\">%2</a></p>").arg(Html(link), Html(link));
  FUi->DetailsText->setHtml(html);
}

void TContentBrowserDlg::PlayClick() {
  const auto index = CurrentPackage();
  if (!index || Installing()) return;
  if (!NeedsInstall(*index)) {
    PlayPackage(*index);
    return;
  }
  InstallThen(*index, [this, i = *index] { PlayPackage(i); });
}

void TContentBrowserDlg::PlayPackage(std::size_t index) {
  const TContentPackage& p = FModel->Packages()[index];
  FChosen = TContentChoice{p, PlanOf(p, ManifestOf(p)), FStartMaps->CurrentMap()};
  accept();
}

std::optional<TPackageManifest> TContentBrowserDlg::ManifestOf(const TContentPackage& p) const {
  if (FOptions.GameFolder.empty()) return std::nullopt;
  try {
    const TPackageStore store(FOptions.PackageFolder.empty() ? TPackageStore::DefaultFolder()
                                                             : FOptions.PackageFolder);
    std::optional<TPackageManifest> manifest = store.Find(p.Id);
    // A record of the same name for another game folder says nothing of this one.
    if (manifest && std::filesystem::path(manifest->GameFolder).lexically_normal() !=
                        FOptions.GameFolder.lexically_normal())
      return std::nullopt;
    return manifest;
  } catch (const std::exception&) {
    return std::nullopt;  // no record that can be read: the catalogue's maps only
  }
}

TPlayPlan TContentBrowserDlg::PlanOf(const TContentPackage& p,
                                     const std::optional<TPackageManifest>& manifest) const {
  return BuildPlayPlan(p, manifest ? InstalledMapNames(*manifest) : std::vector<std::string>{},
                       FOptions.Engines, FOptions.ChosenEngine);
}

void TContentBrowserDlg::ShowStartMaps(std::size_t index) {
  const TContentPackage& p = FModel->Packages()[index];
  const std::string key = p.Id + "\n" + std::to_string(static_cast<int>(FModel->States()[index]));
  if (key == FStartMapsFor) return;
  FStartMapsFor = key;
  const std::optional<TPackageManifest> manifest = ManifestOf(p);
  FShownPlan = PlanOf(p, manifest);
  FStartMaps->SetChoices(
      StartMapChoices(FShownPlan.StartMaps, manifest ? &*manifest : nullptr, FOptions.GameFolder));
}

void TContentBrowserDlg::RandomClick() {
  if (const auto pick = PickRandomUninstalled(FProxy->Matching(), FModel->States(), FRandom))
    SelectPackage(*pick);
}

}  // namespace fx
