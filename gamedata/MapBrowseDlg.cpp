#include "gamedata/MapBrowseDlg.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QEventLoop>
#include <QFileIconProvider>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidgetItem>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <iterator>
#include <utility>

#include "gamedata/QuakeText.h"
#include "platform/Shell.h"
#include "settings/PathUtils.h"
#include "ui/ScreenCentre.h"
#include "ui_MapBrowseDlg.h"

namespace fx {

namespace {

constexpr const char* kPakFilter = "Pack Files|*.pak|All Files|*.*";
constexpr const char* kNoPathText = "The path does not exist.";
constexpr const char* kNoDocumentsText = "No documents could be found.";
// Small enough that the first rows show almost at once, large enough that a big folder
// does not flood the event queue with one event per map.
constexpr std::size_t kFillBatch = 32;
// The longest the list takes at one go to show rows that have arrived: the rest waits for
// the next pass of the event loop.
constexpr auto kShowSlice = std::chrono::milliseconds(8);
constexpr std::size_t kShowChunk = 32;
// A progress bar repaints at once when its value changes, window and list behind it; it is
// moved this often at most.
constexpr auto kProgressInterval = std::chrono::milliseconds(100);
// How long WaitForFill waits at most: a test must fail, not hang.
constexpr int kFillDeadlineMs = 120000;

constexpr int kRowIndexRole = Qt::UserRole;

enum TColumn { kNameColumn = 0, kSizeColumn = 1, kTitleColumn = 2 };
constexpr int kNameWidth = 100;  // the columns' widths at least
constexpr int kSizeWidth = 80;

QString ToQt(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

TMapBrowseDlg::TMapBrowseDlg(std::string gameFolder, TUserDialogs& dialogs, QWidget* parent)
    : QDialog(parent),
      FUi(std::make_unique<Ui::MapBrowseDlg>()),
      FGameFolder(std::move(gameFolder)),
      FDialogs(&dialogs) {
  FUi->setupUi(this);
  FormCreate();
}

TMapBrowseDlg::~TMapBrowseDlg() {
  // The worker posts to this object: it must be gone before the object is.
  StopFill();
  // Hiding the window and deleting the controls still signals (focus moves away), and the
  // handlers would find the form already freed.
  disconnect(qApp, nullptr, this, nullptr);
  for (QObject* child : findChildren<QObject*>()) {
    child->removeEventFilter(this);
    disconnect(child, nullptr, this, nullptr);
  }
}

void TMapBrowseDlg::FormCreate() {
  FUi->DirBrowseBtn->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
  FUi->PakBrowseBtn->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
  FUi->lvMap->headerItem()->setTextAlignment(kSizeColumn, Qt::AlignRight | Qt::AlignVCenter);
  FUi->lvMap->setColumnWidth(kNameColumn, kNameWidth);
  FUi->lvMap->setColumnWidth(kSizeColumn, kSizeWidth);
  FUi->pbFill->setVisible(false);
  FUi->ViewDocBtn->setEnabled(false);

  connect(FUi->cbFolder, &QComboBox::activated, this, &TMapBrowseDlg::cbFolderChange);
  // Typing leaves no item picked: Windows' combo box reads -1 then.
  connect(FUi->cbFolder->lineEdit(), &QLineEdit::textEdited, this, [this] { cbFolderChange(-1); });
  FUi->cbFolder->installEventFilter(this);
  FUi->cbFolder->lineEdit()->installEventFilter(this);
  connect(qApp, &QApplication::focusChanged, this,
          [this](QWidget*, QWidget* now) { FocusChanged(now); });
  connect(FUi->DirBrowseBtn, &QToolButton::clicked, this, &TMapBrowseDlg::DirBrowseBtnClick);
  connect(FUi->PakBrowseBtn, &QToolButton::clicked, this, &TMapBrowseDlg::PakBrowseBtnClick);
  connect(FUi->lvMap, &QTreeWidget::itemSelectionChanged, this, &TMapBrowseDlg::lvMapChange);
  connect(FUi->lvMap, &QTreeWidget::itemDoubleClicked, this, &TMapBrowseDlg::lvMapDblClick);
  connect(FUi->OpenBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(FUi->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(FUi->ViewDocBtn, &QPushButton::clicked, this, &TMapBrowseDlg::ViewDocBtnClick);
  setFixedSize(size());
}

void TMapBrowseDlg::SetSources(const std::vector<std::string>& items, const std::string& text) {
  QStringList sorted;
  for (const std::string& item : items)
    sorted.push_back(ToQt(item));
  sorted.sort(Qt::CaseInsensitive);
  FUi->cbFolder->clear();
  FUi->cbFolder->addItems(sorted);
  FUi->cbFolder->setEditText(ToQt(text));
  // The shown item counts as handled, so picking any other one, the first included, fills.
  FItemIndex = ItemIndexOf(text);
}

int TMapBrowseDlg::ItemIndexOf(const std::string& text) const {
  return FUi->cbFolder->findText(ToQt(text), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void TMapBrowseDlg::StopFill() {
  if (FWorker.joinable()) {
    FCancel->store(true);
    FWorker.join();
  }
  // The worker may be done while rows it delivered still wait to be shown.
  FFinished = true;
  FPending.clear();
  FPendingShown = 0;
}

void TMapBrowseDlg::Fill(const std::string& source) {
  StopFill();
  const unsigned generation = ++FGeneration;  // batches of an earlier fill still queued are dropped
  FUi->lvMap->clear();
  FRows.clear();
  FSource = source;
  FUi->lvMap->setEnabled(true);
  FUi->lvMap->setPalette(QPalette());
  FUi->pbFill->setVisible(false);  // until the new source has been opened
  lvMapChange();

  // An archive is opened on this thread, so that an archive that cannot be opened reaches
  // the caller; a folder, which has no such error, is listed by the worker, so that a big
  // one does not hold the window.
  std::unique_ptr<TMapRowReader> reader;
  if (IsPackSource(source)) reader = std::make_unique<TMapRowReader>(source, FormatSettings());
  FTotal = reader ? reader->Total() : 0;
  FPosition = 0;
  FUi->pbFill->setRange(0, static_cast<int>(FTotal));  // a folder's count comes with its rows
  FUi->pbFill->setValue(0);
  FUi->pbFill->setVisible(true);
  FProgressShown = {};  // the first rows move the bar at once

  FCancel = std::make_shared<std::atomic<bool>>(false);
  FFinished = false;
  FWorkerDone = false;
  FFillError.clear();
  FWorker = std::thread([this, reader = std::move(reader), source, format = FormatSettings(),
                         cancel = FCancel, generation]() mutable {
    std::string error;
    try {
      if (!reader) reader = std::make_unique<TMapRowReader>(source, std::move(format));
      ReadMapRowsInBatches(
          *reader, kFillBatch, *cancel,
          [&](std::vector<TMapRow> rows, std::size_t position, std::size_t total) {
            QMetaObject::invokeMethod(
                this,
                [this, generation, rows = std::move(rows), position, total]() mutable {
                  AddRows(generation, std::move(rows), position, total);
                },
                Qt::QueuedConnection);
          });
    } catch (const std::exception& e) {
      error = e.what();
    }
    if (cancel->load()) return;
    QMetaObject::invokeMethod(
        this, [this, generation, error] { EndFill(generation, error); }, Qt::QueuedConnection);
  });
}

void TMapBrowseDlg::AddRows(unsigned generation, std::vector<TMapRow> rows, std::size_t position,
                            std::size_t total) {
  if (generation != FGeneration) return;
  std::move(rows.begin(), rows.end(), std::back_inserter(FPending));
  FPosition = position;
  FTotal = total;
  ScheduleDrain();
}

void TMapBrowseDlg::EndFill(unsigned generation, const std::string& error) {
  if (generation != FGeneration) return;
  FWorker.join();  // it has posted its last word and is returning
  FWorkerDone = true;
  FFillError = error;
  ScheduleDrain();
}

void TMapBrowseDlg::ScheduleDrain() {
  if (FDrainScheduled) return;
  FDrainScheduled = true;
  // A timer, not a posted call: the event loop handles input and paints between two.
  QTimer::singleShot(0, this, &TMapBrowseDlg::DrainRows);
}

void TMapBrowseDlg::DrainRows() {
  FDrainScheduled = false;
  if (FFinished) return;  // stopped since
  const auto start = std::chrono::steady_clock::now();
  while (FPendingShown < FPending.size() && std::chrono::steady_clock::now() - start < kShowSlice)
    ShowRows(std::min(kShowChunk, FPending.size() - FPendingShown));
  if (FPendingShown < FPending.size()) {
    ShowProgress();
    ScheduleDrain();
    return;
  }
  FPending.clear();
  FPendingShown = 0;
  ShowProgress();
  if (FWorkerDone) FinishFill();
}

void TMapBrowseDlg::ShowRows(std::size_t count) {
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(count));
  for (std::size_t end = FPendingShown + count; FPendingShown < end; ++FPendingShown) {
    TMapRow& row = FPending[FPendingShown];
    auto* item = new QTreeWidgetItem();  // handed to the list below, which owns it
    item->setText(kNameColumn, ToQt(row.Caption));
    item->setText(kSizeColumn, ToQt(row.SizeText));
    // Shown as the game draws it; the row keeps the bytes for ChosenMap.
    item->setText(kTitleColumn, ToQt(QuakeTextToUtf8(row.Title)));
    item->setTextAlignment(kSizeColumn, Qt::AlignRight | Qt::AlignVCenter);
    item->setIcon(kNameColumn, IconFor(row.FileName));
    item->setData(kNameColumn, kRowIndexRole, QVariant::fromValue(FRows.size()));
    FRows.push_back(std::move(row));
    items.push_back(item);
  }
  FUi->lvMap->addTopLevelItems(items);
}

void TMapBrowseDlg::ShowProgress() {
  const auto time = std::chrono::steady_clock::now();
  if (time - FProgressShown < kProgressInterval) return;
  FProgressShown = time;
  FUi->pbFill->setMaximum(static_cast<int>(FTotal));
  FUi->pbFill->setValue(static_cast<int>(FPosition));
}

void TMapBrowseDlg::PutRowsInOrder(QTreeWidget& list) {
  // Taken out and put back in order at one go: sorting through the items' own comparison
  // held the window for tens of milliseconds with thousands of rows.
  QTreeWidgetItem* const selected =
      list.selectedItems().isEmpty() ? nullptr : list.selectedItems().front();
  const QList<QTreeWidgetItem*> items = list.invisibleRootItem()->takeChildren();
  std::vector<QTreeWidgetItem*> byRow(FRows.size());
  for (QTreeWidgetItem* item : items)
    byRow[item->data(kNameColumn, kRowIndexRole).value<std::size_t>()] = item;
  QList<QTreeWidgetItem*> sorted;
  sorted.reserve(items.size());
  for (const std::size_t row : SortedMapRowOrder(FRows))
    sorted.push_back(byRow[row]);
  list.addTopLevelItems(sorted);
  if (selected) {
    list.setCurrentItem(selected);
    list.scrollToItem(selected);
  }
}

void TMapBrowseDlg::FinishFill() {
  FFinished = true;
  FUi->pbFill->setVisible(false);
  QTreeWidget& list = *FUi->lvMap;
  if (FRows.empty()) {
    QPalette palette = list.palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    list.setPalette(palette);
    auto* item = new QTreeWidgetItem(&list);  // owned by the list
    item->setText(kNameColumn, ToQt(std::string(kNoMapsText)));
    item->setFirstColumnSpanned(true);  // a message, not a name: the columns do not cut it
    item->setFlags(Qt::NoItemFlags);
    list.setEnabled(false);
  } else {
    PutRowsInOrder(list);
  }
  FitColumns();
  lvMapChange();
  if (!FFillError.empty()) ShowError(FFillError);
  emit FillFinished();
}

void TMapBrowseDlg::FitColumns() {
  // Names and sizes whole at the user's font: the title column gives way.
  QTreeWidget& list = *FUi->lvMap;
  const QAbstractItemView& view = list;  // where the measure is public
  list.setColumnWidth(kNameColumn, std::max(kNameWidth, view.sizeHintForColumn(kNameColumn)));
  list.setColumnWidth(kSizeColumn, std::max(kSizeWidth, view.sizeHintForColumn(kSizeColumn)));
}

void TMapBrowseDlg::WaitForFill() {
  if (!Filling()) return;
  QEventLoop loop;
  connect(this, &TMapBrowseDlg::FillFinished, &loop, &QEventLoop::quit);
  QTimer::singleShot(kFillDeadlineMs, &loop, &QEventLoop::quit);
  loop.exec();
}

void TMapBrowseDlg::FillReporting(const std::string& source) {
  try {
    Fill(source);
  } catch (const std::exception& e) {
    ShowError(e.what());
  }
}

void TMapBrowseDlg::ShowError(const std::string& text) {
  FDialogs->ShowMessage({text, "", TMsgIcon::Error});
}

QIcon TMapBrowseDlg::IconFor(const std::string& fileName) {
  // Asked by name and type only: an archive's entries have no file of their own on disk.
  const std::string extension = std::filesystem::path(fileName).extension().string();
  auto found = FIcons.find(extension);
  if (found != FIcons.end()) return found->second;
  static const QMimeDatabase mimeDatabase;
  const QMimeType type =
      mimeDatabase.mimeTypeForFile(ToQt(fileName), QMimeDatabase::MatchExtension);
  const QIcon fallback = QFileIconProvider().icon(QAbstractFileIconProvider::File);
  const QIcon icon =
      QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), fallback));
  return FIcons.emplace(extension, icon).first->second;
}

const TMapRow* TMapBrowseDlg::SelectedRow() const {
  const QList<QTreeWidgetItem*> selected = FUi->lvMap->selectedItems();
  if (selected.isEmpty()) return nullptr;
  const QVariant index = selected.front()->data(kNameColumn, kRowIndexRole);
  if (!index.isValid() || index.value<std::size_t>() >= FRows.size()) return nullptr;
  return &FRows[index.value<std::size_t>()];
}

std::string TMapBrowseDlg::ChosenMap() const {
  const TMapRow* row = SelectedRow();
  return row ? ChosenMapText(*row) : std::string();
}

void TMapBrowseDlg::cbFolderChange(int itemIndex) {
  if (itemIndex == FItemIndex) return;
  const std::string text = FUi->cbFolder->currentText().toStdString();
  if (IsPackSource(text) || FolderExists(text))
    FillReporting(text);
  else
    ShowError(kNoPathText);
  FItemIndex = itemIndex;
}

void TMapBrowseDlg::cbFolderKeyPress() {
  const std::string text = FUi->cbFolder->currentText().toStdString();
  if (!IsPackSource(text) && !FolderExists(text)) {
    ShowError(kNoPathText);
    return;
  }
  FillReporting(text);
}

bool TMapBrowseDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress &&
      (watched == FUi->cbFolder || watched == FUi->cbFolder->lineEdit())) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    // Enter in the box refills the list; it must not reach the dialog and close it.
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !FUi->cbFolder->view()->isVisible()) {
      cbFolderKeyPress();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TMapBrowseDlg::FocusChanged(QWidget* now) {
  const bool inBox = now && (now == FUi->cbFolder || FUi->cbFolder->isAncestorOf(now));
  FUi->OpenBtn->setDefault(!inBox);
}

void TMapBrowseDlg::DirBrowseBtnClick() {
  const std::optional<std::string> folder =
      FDialogs->ChooseFolder("Select a Map Folder", FGameFolder);
  if (!folder) return;
  FUi->cbFolder->setEditText(ToQt(*folder));
  FillReporting(*folder);
}

void TMapBrowseDlg::PakBrowseBtnClick() {
  const std::optional<std::string> file = FDialogs->ChooseOpenFile("Open", kPakFilter, FGameFolder);
  if (!file) return;
  FUi->cbFolder->setEditText(ToQt(*file));
  FillReporting(*file);
}

void TMapBrowseDlg::lvMapChange() {
  const TMapRow* row = SelectedRow();
  FUi->OpenBtn->setEnabled(row != nullptr);
  FUi->ViewDocBtn->setEnabled(row && FindMapDocument(FSource, row->Caption, kDocExtensionsCheck));
}

void TMapBrowseDlg::lvMapDblClick() {
  // As Enter on the list: the open button takes the selected map.
  if (SelectedRow() != nullptr) accept();
}

void TMapBrowseDlg::ViewDocBtnClick() {
  const TMapRow* row = SelectedRow();
  const std::optional<std::filesystem::path> document =
      row ? FindMapDocument(FSource, row->Caption, kDocExtensionsOpen) : std::nullopt;
  if (!document) {
    ShowError(kNoDocumentsText);
    return;
  }
  ShellExecute("open", document->string(), "", SourceFolder(FSource).string());
}

void TMapBrowseDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!FCentred) {
    FCentred = true;
    CentreOnScreen(*this);
  }
}

std::optional<std::string> BrowseMap(const std::string& gameFolder, const std::string& patchText,
                                     TUserDialogs& dialogs, QWidget* parent) {
  const TMapSources sources = MapBrowserSources(gameFolder, patchText);
  TMapBrowseDlg dialog(gameFolder, dialogs, parent);
  dialog.SetSources(sources.Items, sources.Initial);
  try {
    dialog.Fill(sources.Initial);
  } catch (const std::exception& e) {
    // As an exception reaching the application would: reported, and no dialog shown.
    dialogs.ShowMessage({e.what(), "", TMsgIcon::Error});
    return std::nullopt;
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.ChosenMap();
}

}  // namespace fx
