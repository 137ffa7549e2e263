#include "servers/ServerBrowserDlg.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QShortcut>
#include <QStyle>
#include <QTableView>
#include <QTime>

#include <algorithm>
#include <exception>

#include "servers/ServerJoin.h"
#include "servers/ServerTableModel.h"
#include "ui_ServerBrowserDlg.h"

namespace fx {

namespace {

// Arrived servers go into the table for at most this long per pass of the event loop,
// in chunks small enough that one chunk never takes a frame.
constexpr auto kShowSlice = std::chrono::milliseconds(5);
constexpr std::size_t kShowChunk = 64;

// The Ping column shows a number or what became of the query ("timed out", "no IPv6
// route"): as wide as the widest of them in the table's font, bold as a favourite's row is,
// plus the cell's text margins on both sides (QStyledItemDelegate: the focus frame's margin
// and one pixel).
int PingColumnWidth(const QTableView& view) {
  QFont bold = view.font();
  bold.setBold(true);
  const QFontMetrics metrics(bold);
  int widest = metrics.horizontalAdvance(QStringLiteral("99999"));
  for (std::size_t state = 0; state < kServerStates; ++state) {
    const std::string_view text = ServerStateText(static_cast<TServerState>(state));
    widest = std::max(widest, metrics.horizontalAdvance(QString::fromLatin1(
                                  text.data(), static_cast<qsizetype>(text.size()))));
  }
  const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
  return widest + 2 * margin + metrics.averageCharWidth();
}

bool IsEnter(const QKeyEvent& key) {
  return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

}  // namespace

TServerBrowserDlg::TServerBrowserDlg(TServerSource& source, TServerBrowserOptions options,
                                     QWidget* parent)
    : QDialog(parent),
      FUi(std::make_unique<Ui::ServerBrowserDlg>()),
      FSource(source),
      FOptions(std::move(options)) {
  FUi->setupUi(this);
  SetUpTable();
  try {
    FLists = FStore.Load();
    FPresets = FStore.LoadPresets();
  } catch (const std::exception& e) {
    // Shown once the window is up. The browser works without the stored lists and never
    // writes over what it could not read.
    FLists = TServerLists{};
    FLists.Masters = BuiltInMasters();
    FLoadError = e.what();
  }
  FillSources();
  FillPresets("");
  ShowFilter(TServerFilter{});
  FUi->cbShowSilent->setChecked(FLists.ShowSilent);
  ApplyFilter();
  ConnectControls();
  ConnectSource();
  std::vector<TServerInfo> known;
  for (const TKnownServer& server : FLists.KnownServers()) {
    known.emplace_back();
    known.back().Address = server.Address;
    known.back().Family = server.Family;
  }
  for (const THistoryEntry& entry : FLists.History)
    for (TServerInfo& info : known)
      if (info.Address == entry.Server.Address) info.Name = entry.Name;
  FTable->AddWaiting(known);
  for (const TKnownServer& favourite : FLists.Favourites)
    FTable->SetFavourite(FTable->RowOf(favourite.Address), true);
  for (const THistoryEntry& entry : FLists.History)
    FTable->SetFromHistory(FTable->RowOf(entry.Server.Address));
  UpdateStatus();
  UpdateButtons();
}

TServerBrowserDlg::~TServerBrowserDlg() {
  // The source lives on; nothing it reports later may reach this dialog.
  FSource.Stop();
  FSource.OnServers = nullptr;
  FSource.OnMaster = nullptr;
  FSource.OnFinished = nullptr;
  FSource.OnError = nullptr;
}

void TServerBrowserDlg::SetUpTable() {
  FTable = new TServerTableModel(this);
  FProxy = new TServerFilterProxy(this);
  FProxy->setSourceModel(FTable);
  QTableView* view = FUi->tvServers;
  view->setModel(FProxy);
  view->sortByColumn(static_cast<int>(TServerColumn::Ping), Qt::AscendingOrder);
  // Rows of one height: the view then needs no per-row measuring as thousands arrive.
  view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
  QHeaderView* header = view->horizontalHeader();
  header->setSectionResizeMode(QHeaderView::Interactive);
  const int width = view->fontMetrics().averageCharWidth();
  for (const auto& [column, chars] : {std::pair{TServerColumn::Name, 48},
                                      {TServerColumn::Address, 21},
                                      {TServerColumn::Map, 13},
                                      {TServerColumn::Players, 11},
                                      {TServerColumn::Game, 11}})
    view->setColumnWidth(static_cast<int>(column), chars * width);
  view->setColumnWidth(static_cast<int>(TServerColumn::Ping), PingColumnWidth(*view));
  for (const auto& [list, widths] : {std::pair{FUi->lvPlayers, std::vector{24, 11, 7, 9}},
                                     {FUi->lvRules, std::vector{24}},
                                     {FUi->lvFoundPlayers, std::vector{24, 36}},
                                     {FUi->lvMasters, std::vector{40, 22, 10}}})
    for (std::size_t i = 0; i < widths.size(); ++i)
      list->setColumnWidth(static_cast<int>(i), widths[i] * width);
  view->installEventFilter(this);
  FUi->edFilterText->installEventFilter(this);
  FUi->Splitter->setStretchFactor(0, 2);
  FUi->Splitter->setStretchFactor(1, 1);
  FDetailsTimer.setSingleShot(true);
  FDetailsTimer.setInterval(FOptions.DetailsDelayMs);
}

void TServerBrowserDlg::ConnectControls() {
  connect(FUi->btnRefresh, &QPushButton::clicked, this, &TServerBrowserDlg::Refresh);
  connect(FUi->btnStop, &QPushButton::clicked, this, &TServerBrowserDlg::Stop);
  connect(FUi->btnJoin, &QPushButton::clicked, this, &TServerBrowserDlg::Join);
  connect(FUi->btnFavourite, &QPushButton::clicked, this, &TServerBrowserDlg::ToggleFavourite);
  connect(FUi->btnCopyAddress, &QPushButton::clicked, this, &TServerBrowserDlg::CopyAddress);
  connect(FUi->btnClose, &QPushButton::clicked, this, &QDialog::reject);
  connect(FUi->tvServers, &QTableView::doubleClicked, this, &TServerBrowserDlg::Join);
  connect(FUi->tvServers->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          &TServerBrowserDlg::CurrentChanged);
  connect(&FDetailsTimer, &QTimer::timeout, this, &TServerBrowserDlg::AskDetails);
  connect(FProxy, &QAbstractItemModel::rowsInserted, this, &TServerBrowserDlg::UpdateStatus);
  connect(FProxy, &QAbstractItemModel::rowsRemoved, this, &TServerBrowserDlg::UpdateStatus);
  connect(FProxy, &QAbstractItemModel::modelReset, this, &TServerBrowserDlg::UpdateStatus);
  auto* refresh = new QShortcut(QKeySequence(Qt::Key_F5), this);
  connect(refresh, &QShortcut::activated, this, &TServerBrowserDlg::Refresh);
  // Filters, presets, player search and sources.
  for (QLineEdit* edit : {FUi->edFilterText, FUi->edFilterGame, FUi->edFilterMap})
    connect(edit, &QLineEdit::textChanged, this, &TServerBrowserDlg::ApplyFilter);
  connect(FUi->sbPingBelow, &QSpinBox::valueChanged, this, &TServerBrowserDlg::ApplyFilter);
  for (QCheckBox* box : {FUi->cbNotEmpty, FUi->cbNotFull, FUi->cbNoPassword, FUi->cbNetQuake,
                         FUi->cbQuakeWorld, FUi->cbDarkPlaces, FUi->cbShowSilent})
    connect(box, &QCheckBox::toggled, this, &TServerBrowserDlg::ApplyFilter);
  connect(FUi->cbPreset, &QComboBox::activated, this, &TServerBrowserDlg::PresetChosen);
  connect(FUi->btnSavePreset, &QPushButton::clicked, this, &TServerBrowserDlg::SavePresetClick);
  connect(FUi->btnDeletePreset, &QPushButton::clicked, this, &TServerBrowserDlg::DeletePresetClick);
  connect(FUi->edPlayerSearch, &QLineEdit::textChanged, this, [this](const QString& text) {
    SearchPlayers();
    if (!text.isEmpty()) FUi->DetailsPages->setCurrentWidget(FUi->FoundSheet);
  });
  connect(FUi->lvFoundPlayers, &QTreeWidget::itemActivated, this,
          &TServerBrowserDlg::FoundPlayerChosen);
  connect(FUi->lvMasters, &QTreeWidget::itemChanged, this, &TServerBrowserDlg::MasterItemChanged);
  connect(FUi->lvMasters, &QTreeWidget::currentItemChanged, this,
          &TServerBrowserDlg::UpdateButtons);
  connect(FUi->btnAddMaster, &QPushButton::clicked, this, &TServerBrowserDlg::AddMasterClick);
  connect(FUi->edMasterAddress, &QLineEdit::returnPressed, this,
          &TServerBrowserDlg::AddMasterClick);
  connect(FUi->btnRemoveMaster, &QPushButton::clicked, this, &TServerBrowserDlg::RemoveMasterClick);
}

void TServerBrowserDlg::ConnectSource() {
  FSource.OnServers = [this](std::vector<TServerInfo> servers) {
    ServersArrived(std::move(servers));
  };
  FSource.OnMaster = [this](const TMasterResult& result) { MasterAnswered(result); };
  FSource.OnFinished = [this] { RefreshFinished(); };
  // The source says nothing more after an error: the refresh has ended.
  FSource.OnError = [this](const std::string& text) {
    RefreshFinished();
    ShowError("The servers cannot be asked: " + text);
  };
}

void TServerBrowserDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (FOpened) return;
  FOpened = true;
  // After the window is on the screen, so a message about the lists has it behind it.
  QTimer::singleShot(0, this, &TServerBrowserDlg::Opened);
}

void TServerBrowserDlg::Opened() {
  // Typing narrows the list at once; Down goes on to it.
  FUi->edFilterText->setFocus(Qt::OtherFocusReason);
  if (!FLoadError.empty())
    ShowError("The server lists could not be read; the browser starts without them.\n\n" +
              FLoadError);
  if (!FStore.Problems().empty()) {
    std::string text =
        "Some of the stored server lists are damaged. They are used as far as they can be "
        "read and left as they are in the settings file:\n";
    for (const std::string& problem : FStore.Problems())
      text += "\n" + problem;
    TMessage message;
    message.Text = text;
    message.Caption = "Warning";
    message.Icon = TMsgIcon::Warning;
    FOptions.Dialogs->ShowMessage(message);
  }
  if (FOptions.RefreshOnOpen) Refresh();
}

void TServerBrowserDlg::Refresh() {
  GatherSources();
  TRefreshRequest request;
  request.Masters = FLists.Masters;
  std::vector<TMasterResult> last;
  for (auto& [key, result] : FMasterResults) {
    last.push_back(result);
    result.Ignored = 0;  // the status line speaks of this refresh only
  }
  request.Servers = ServersToRefresh(FLists.KnownServers(), FTable->Servers(), last, FLists.Masters,
                                     FLists.SearchLan);
  request.Lan = FLists.SearchLan;
  request.Limits = FLists.Limits;
  FAskedDetails.clear();
  FRefreshing = true;
  UpdateStatus();
  UpdateButtons();
  try {
    FSource.Refresh(request);
  } catch (const std::exception& e) {
    FRefreshing = false;
    UpdateStatus();
    UpdateButtons();
    ShowError(std::string("The servers could not be asked.\n\n") + e.what());
  }
}

void TServerBrowserDlg::Stop() {
  FSource.Stop();
  RefreshFinished();
}

void TServerBrowserDlg::ServersArrived(std::vector<TServerInfo> servers) {
  if (FPending.empty()) {
    FPending = std::move(servers);
  } else {
    FPending.insert(FPending.end(), std::make_move_iterator(servers.begin()),
                    std::make_move_iterator(servers.end()));
  }
  ScheduleDrain();
}

void TServerBrowserDlg::MasterAnswered(const TMasterResult& result) {
  const std::string key = MasterAddressText(result.Master);
  FMasterResults[key] = result;
  FMasterTimes[key] = QTime::currentTime().toString(QStringLiteral("HH:mm")).toStdString();
  FillMasters();
  UpdateStatus();
}

void TServerBrowserDlg::RefreshFinished() {
  FRefreshing = false;
  UpdateStatus();
  UpdateButtons();
}

void TServerBrowserDlg::ScheduleDrain() {
  if (FDrainScheduled) return;
  FDrainScheduled = true;
  QTimer::singleShot(0, this, &TServerBrowserDlg::DrainRows);
}

void TServerBrowserDlg::DrainRows() {
  FDrainScheduled = false;
  const auto end = std::chrono::steady_clock::now() + kShowSlice;
  const TServerInfo* current = CurrentServer();
  const std::optional<TServerAddress> shown =
      current ? std::optional(current->Address) : std::nullopt;
  bool currentChanged = false;
  while (FPendingShown < FPending.size() && std::chrono::steady_clock::now() < end) {
    const std::size_t count = std::min(kShowChunk, FPending.size() - FPendingShown);
    const auto first = FPending.begin() + static_cast<std::ptrdiff_t>(FPendingShown);
    std::vector<TServerInfo> chunk(
        std::make_move_iterator(first),
        std::make_move_iterator(first + static_cast<std::ptrdiff_t>(count)));
    if (shown)
      currentChanged |= std::any_of(chunk.begin(), chunk.end(), [&](const TServerInfo& server) {
        return server.Address == *shown;
      });
    FTable->Apply(std::move(chunk));
    FPendingShown += count;
  }
  if (FPendingShown < FPending.size()) {
    ScheduleDrain();
  } else {
    FPending.clear();
    FPendingShown = 0;
    if (!FUi->edPlayerSearch->text().isEmpty()) SearchPlayers();
  }
  if (currentChanged) ShowDetails();
  UpdateStatus();
}

void TServerBrowserDlg::UpdateStatus() {
  TServerCounts counts;
  for (std::size_t state = 0; state < counts.ByState.size(); ++state)
    counts.ByState[state] = FTable->CountOf(static_cast<TServerState>(state));
  counts.Shown = FProxy->rowCount();
  counts.Refreshing = FRefreshing || HasPendingRows();
  std::string text = ServerStatusText(counts);
  for (const auto& [key, result] : FMasterResults)
    if (result.Ignored > 0) text += "; " + IgnoredAddressesText(result.Ignored, result.Master.Host);
  FUi->lblStatus->setText(QString::fromStdString(text));
}

void TServerBrowserDlg::UpdateButtons() {
  const int row = CurrentRow();
  FUi->btnStop->setEnabled(FRefreshing);
  FUi->btnJoin->setEnabled(row >= 0);
  FUi->btnCopyAddress->setEnabled(row >= 0);
  FUi->btnFavourite->setEnabled(row >= 0);
  FUi->btnFavourite->setText(row >= 0 && FTable->IsFavourite(row)
                                 ? QStringLiteral("Remove from &Favourites")
                                 : QStringLiteral("Add to &Favourites"));
  QTreeWidgetItem* master = FUi->lvMasters->currentItem();
  const int index = master ? FUi->lvMasters->indexOfTopLevelItem(master) : -1;
  FUi->btnRemoveMaster->setEnabled(index >= 0 &&
                                   static_cast<std::size_t>(index) < FLists.Masters.size() &&
                                   !FLists.Masters[static_cast<std::size_t>(index)].BuiltIn);
}

void TServerBrowserDlg::Join() {
  if (CurrentServer() == nullptr) {
    FOptions.Dialogs->Beep();
    return;
  }
  // A copy: while a question is open, arriving servers may move the table's rows.
  const TServerInfo server = *CurrentServer();
  const TJoinCheck check = CheckJoin(server, FOptions.ProgramFile, FOptions.GameFolder);
  if (check.Verdict == TJoinVerdict::Refuse) {
    ShowError(check.Message);
    return;
  }
  if (check.Verdict == TJoinVerdict::Warn) {
    TMessage question;
    question.Text = check.Message;
    question.Caption = "Warning";
    question.Icon = TMsgIcon::Warning;
    question.Buttons = TMsgButtons::YesNo;
    question.DefaultButton = TMsgResult::No;
    if (FOptions.Dialogs->ShowMessage(question) != TMsgResult::Yes) return;
  }
  FChosen = TServerJoinChoice{server, check.ModFolder};
  FLists.AddToHistory({server.Address, server.Family}, server.Name);
  FTable->SetFromHistory(FTable->RowOf(server.Address));
  accept();
}

void TServerBrowserDlg::ToggleFavourite() {
  const int row = CurrentRow();
  if (row < 0) {
    FOptions.Dialogs->Beep();
    return;
  }
  const TServerInfo& server = FTable->Server(row);
  FTable->SetFavourite(row, FLists.ToggleFavourite({server.Address, server.Family}));
  SaveLists();
  UpdateButtons();
}

void TServerBrowserDlg::RemoveFavourite() {
  const int row = CurrentRow();
  if (row < 0 || !FTable->IsFavourite(row)) {
    FOptions.Dialogs->Beep();
    return;
  }
  FLists.RemoveFavourite(FTable->Server(row).Address);
  FTable->SetFavourite(row, false);
  SaveLists();
  UpdateButtons();
}

void TServerBrowserDlg::CopyAddress() {
  const TServerInfo* server = CurrentServer();
  if (server == nullptr) {
    FOptions.Dialogs->Beep();
    return;
  }
  QGuiApplication::clipboard()->setText(QString::fromStdString(server->Address.ToString()));
}

bool TServerBrowserDlg::eventFilter(QObject* watched, QEvent* event) {
  // From the search box, Down goes on to the list it narrows, as in a search field.
  if (watched == FUi->edFilterText && event->type() == QEvent::KeyPress &&
      static_cast<const QKeyEvent&>(*event).key() == Qt::Key_Down) {
    QTableView* view = FUi->tvServers;
    view->setFocus(Qt::TabFocusReason);
    if (!view->currentIndex().isValid() && FProxy->rowCount() > 0)
      view->setCurrentIndex(FProxy->index(0, 0));
    return true;
  }
  if (watched == FUi->tvServers && event->type() == QEvent::KeyPress) {
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (IsEnter(key)) {
      Join();
      return true;
    }
    if (key.matches(QKeySequence::Copy)) {
      CopyAddress();
      return true;
    }
    if (key.key() == Qt::Key_Delete) {
      RemoveFavourite();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TServerBrowserDlg::done(int result) {
  FSource.Stop();
  FRefreshing = false;
  GatherSources();
  SaveLists();
  QDialog::done(result);
}

void TServerBrowserDlg::SaveLists() {
  if (!FLoadError.empty()) return;
  try {
    FStore.Save(FLists);
  } catch (const std::exception& e) {
    ShowError(std::string("The server lists could not be saved.\n\n") + e.what());
  }
}

void TServerBrowserDlg::ShowError(const std::string& text) {
  TMessage message;
  message.Text = text;
  message.Icon = TMsgIcon::Error;
  FOptions.Dialogs->ShowMessage(message);
}

}  // namespace fx
