#include "demos/DemoBrowseDlg.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QSortFilterProxyModel>

#include <chrono>

#include "demos/DemoCache.h"
#include "demos/DemoTableModel.h"
#include "ui_DemoBrowseDlg.h"

namespace fx {

namespace {

constexpr const char* kDemoFilter = "Demo Files|*.dem;*.qwd;*.mvd|All Files|*.*";
// A batch goes to the window when it is this old or this large: the first rows show at
// once, and no batch takes the window long to add.
constexpr auto kBatchAge = std::chrono::milliseconds(20);
constexpr std::size_t kBatchRows = 128;
constexpr int kMeasuredRows = 40;

}  // namespace

TDemoBrowseDlg::TDemoBrowseDlg(TDemoBrowseSetup setup, TUserDialogs& dialogs, QWidget* parent)
    : QDialog(parent),
      FUi(std::make_unique<Ui::DemoBrowseDlg>()),
      FSetup(std::move(setup)),
      FDialogs(dialogs),
      FTable(new TDemoTableModel(this)),
      FProxy(new QSortFilterProxyModel(this)) {
  FUi->setupUi(this);
  FProxy->setSourceModel(FTable);
  FProxy->setSortRole(TDemoTableModel::kSortRole);
  FProxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
  FProxy->setFilterKeyColumn(-1);
  QTableView& table = *FUi->tvDemos;
  table.setModel(FProxy);
  table.setEditTriggers(QAbstractItemView::NoEditTriggers);
  table.verticalHeader()->hide();
  table.horizontalHeader()->setStretchLastSection(true);
  // Columns fit the rows on screen, not all of them: measuring a thousand rows' texts would
  // hold the window up.
  table.horizontalHeader()->setResizeContentsPrecision(kMeasuredRows);
  table.sortByColumn(TDemoTableModel::kFile, Qt::AscendingOrder);
  FUi->splitDemos->setStretchFactor(0, 3);
  FUi->splitDemos->setStretchFactor(1, 1);
  connect(FUi->edSearch, &QLineEdit::textChanged, FProxy,
          &QSortFilterProxyModel::setFilterFixedString);
  connect(table.selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          &TDemoBrowseDlg::ShowDetails);
  connect(&table, &QAbstractItemView::doubleClicked, this, &TDemoBrowseDlg::ChooseCurrent);
  connect(FUi->Buttons, &QDialogButtonBox::accepted, this, &TDemoBrowseDlg::ChooseCurrent);
  connect(FUi->Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(FUi->btnOtherFile, &QPushButton::clicked, this, &TDemoBrowseDlg::OtherFile);
  FUi->edSearch->installEventFilter(this);
  table.installEventFilter(this);
  FUi->edSearch->setFocus();
}

TDemoBrowseDlg::~TDemoBrowseDlg() {
  Stop();
}

void TDemoBrowseDlg::Stop() {
  FStop = true;
  if (FWorker.joinable()) FWorker.join();
  FStop = false;
}

void TDemoBrowseDlg::Start() {
  Stop();
  FTable->Clear();
  FFinished = false;
  FUi->lblStatus->setText(QStringLiteral("Looking for demos..."));
  const unsigned generation = ++FGeneration;
  FWorker = std::thread([this, generation] { Scan(generation); });
}

// The worker: the listing, then each demo from the cache or its file. Only the queued calls
// touch the window; `this` outlives the thread, which the destructor joins, and Qt drops
// calls still queued for a destroyed dialog.
void TDemoBrowseDlg::Scan(unsigned generation) {
  TDemoCache cache;
  if (!FSetup.CacheFile.empty()) cache.Load(FSetup.CacheFile);
  std::vector<TDemoRow> rows = ListDemos(FSetup.Dirs, FSetup.GameFolder, FSetup.Home);
  std::vector<TDemoRow> batch;
  auto since = std::chrono::steady_clock::now();
  const auto send = [&](bool last) {
    QMetaObject::invokeMethod(
        this,
        [this, generation, rows = std::move(batch), last]() mutable {
          Arrive(generation, std::move(rows), last);
        },
        Qt::QueuedConnection);
    batch.clear();
    since = std::chrono::steady_clock::now();
  };
  for (TDemoRow& row : rows) {
    if (FStop) return;
    if (auto cached = cache.Find(row.Place)) {
      row.Info = std::move(*cached);
    } else {
      row.Info = ReadDemoAt(row.Place);
      cache.Put(row.Place, row.Info);
    }
    row.Read = true;
    batch.push_back(std::move(row));
    if (batch.size() >= kBatchRows || std::chrono::steady_clock::now() - since >= kBatchAge)
      send(false);
  }
  send(true);
  if (!FSetup.CacheFile.empty()) cache.Save(FSetup.CacheFile);
}

void TDemoBrowseDlg::Arrive(unsigned generation, std::vector<TDemoRow> rows, bool last) {
  if (generation != FGeneration) return;
  const bool first = FTable->rowCount() == 0;
  FTable->Append(std::move(rows));
  QTableView& table = *FUi->tvDemos;
  if (first && FTable->rowCount() > 0) {
    table.resizeColumnsToContents();
    table.selectRow(0);
  }
  const QString count = QString::number(FTable->rowCount());
  if (!last) {
    FUi->lblStatus->setText(QStringLiteral("Reading demos... ") + count);
    return;
  }
  FFinished = true;
  FUi->lblStatus->setText(FTable->rowCount() == 0 ? QStringLiteral("No demos found.")
                                                  : count + QStringLiteral(" demos"));
  emit ScanFinished();
}

void TDemoBrowseDlg::WaitForScan() {
  while (!FFinished)
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

void TDemoBrowseDlg::ShowDetails() {
  const QModelIndex current = FProxy->mapToSource(FUi->tvDemos->currentIndex());
  FUi->memoDetails->setPlainText(current.isValid() ? DemoDetailsText(FTable->Row(current.row()))
                                                   : QString());
}

void TDemoBrowseDlg::ChooseCurrent() {
  const QModelIndex current = FProxy->mapToSource(FUi->tvDemos->currentIndex());
  if (!current.isValid()) {
    FDialogs.Beep();
    return;
  }
  FChosen = {FTable->Row(current.row()), ""};
  accept();
}

void TDemoBrowseDlg::OtherFile() {
  const auto file = FDialogs.ChooseOpenFile("", kDemoFilter, FSetup.StartFolder);
  if (!file) return;
  FChosen = {std::nullopt, *file};
  accept();
}

// Down in the search box goes on to the list; Enter in either chooses the current row.
bool TDemoBrowseDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    ChooseCurrent();
    return true;
  }
  if (watched == FUi->edSearch && key == Qt::Key_Down) {
    FUi->tvDemos->setFocus();
    if (!FUi->tvDemos->currentIndex().isValid()) FUi->tvDemos->selectRow(0);
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

std::optional<TDemoChosen> BrowseDemo(TDemoBrowseSetup setup, TUserDialogs& dialogs,
                                      QWidget* parent) {
  TDemoBrowseDlg dialog(std::move(setup), dialogs, parent);
  dialog.Start();
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Chosen();
}

}  // namespace fx
