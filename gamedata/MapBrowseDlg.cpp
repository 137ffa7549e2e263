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
#include <utility>

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
// How long WaitForFill waits at most: a test must fail, not hang.
constexpr int kFillDeadlineMs = 120000;

constexpr int kRowIndexRole = Qt::UserRole;
constexpr int kRankRole = Qt::UserRole + 1;

enum TColumn { kNameColumn = 0, kSizeColumn = 1, kTitleColumn = 2 };

QString ToQt(const std::string& text) {
  return QString::fromStdString(text);
}

// Orders rows by the rank the model's sort gave them, so the list ends up exactly as a
// blocking fill would have it, whatever Qt's own text comparison thinks.
class TMapItem final : public QTreeWidgetItem {
 public:
  using QTreeWidgetItem::QTreeWidgetItem;
  bool operator<(const QTreeWidgetItem& other) const override {
    return data(kNameColumn, kRankRole).toULongLong() <
           other.data(kNameColumn, kRankRole).toULongLong();
  }
};

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
  FUi->lvMap->setColumnWidth(kNameColumn, 100);
  FUi->lvMap->setColumnWidth(kSizeColumn, 80);
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
  if (!FWorker.joinable()) return;
  FCancel->store(true);
  FWorker.join();
  FFinished = true;
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

  // On this thread, so that an archive that cannot be opened reaches the caller.
  auto reader = std::make_unique<TMapRowReader>(source, FormatSettings());
  FUi->pbFill->setRange(0, static_cast<int>(reader->Total()));
  FUi->pbFill->setValue(0);
  FUi->pbFill->setVisible(true);

  FCancel = std::make_shared<std::atomic<bool>>(false);
  FFinished = false;
  FWorker = std::thread([this, reader = std::move(reader), cancel = FCancel, generation] {
    std::string error;
    try {
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
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(rows.size()));
  for (TMapRow& row : rows) {
    auto* item = new TMapItem();  // handed to the list below, which owns it
    item->setText(kNameColumn, ToQt(row.Caption));
    item->setText(kSizeColumn, ToQt(row.SizeText));
    item->setText(kTitleColumn, ToQt(row.Title));
    item->setTextAlignment(kSizeColumn, Qt::AlignRight | Qt::AlignVCenter);
    item->setIcon(kNameColumn, IconFor(row.FileName));
    item->setData(kNameColumn, kRowIndexRole, QVariant::fromValue(FRows.size()));
    FRows.push_back(std::move(row));
    items.push_back(item);
  }
  FUi->lvMap->addTopLevelItems(items);
  FUi->pbFill->setMaximum(static_cast<int>(total));
  FUi->pbFill->setValue(static_cast<int>(position));
}

void TMapBrowseDlg::EndFill(unsigned generation, const std::string& error) {
  if (generation != FGeneration) return;
  FWorker.join();  // it has posted its last word and is returning
  FFinished = true;
  FUi->pbFill->setVisible(false);
  QTreeWidget& list = *FUi->lvMap;
  if (FRows.empty()) {
    QPalette palette = list.palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    list.setPalette(palette);
    auto* item = new QTreeWidgetItem(&list);  // owned by the list
    item->setText(kNameColumn, ToQt(std::string(kNoMapsText)));
    item->setFlags(Qt::NoItemFlags);
    list.setEnabled(false);
  } else {
    const std::vector<std::size_t> order = SortedMapRowOrder(FRows);
    std::vector<std::size_t> rank(order.size());
    for (std::size_t k = 0; k < order.size(); ++k)
      rank[order[k]] = k;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
      QTreeWidgetItem* item = list.topLevelItem(i);
      const auto index = item->data(kNameColumn, kRowIndexRole).value<std::size_t>();
      item->setData(kNameColumn, kRankRole, QVariant::fromValue(rank[index]));
    }
    list.sortItems(kNameColumn, Qt::AscendingOrder);
    if (const auto selected = list.selectedItems(); !selected.isEmpty())
      list.scrollToItem(selected.front());
  }
  lvMapChange();
  if (!error.empty()) ShowError(error);
  emit FillFinished();
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
