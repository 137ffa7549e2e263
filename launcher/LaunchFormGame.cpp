// The main window's play modes, game types and panels.

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QScrollBar>

#include <algorithm>
#include <array>

#include "launcher/Configurations.h"
#include "launcher/FXLaunchForm.h"
#include "platform/PictureLibrary.h"
#include "settings/FXSettings.h"
#include "ui_FXLaunchForm.h"

namespace fx {

namespace {

constexpr int kPlayModePictureBase = 1000;
constexpr int kScrollReserve = 20;  // below the last panel

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

void TFXLaunchForm::ConnectHandlers() {
  auto& ui = *FUi;
  connect(ui.StartQuakeBtn, &QToolButton::clicked, this, &TFXLaunchForm::StartQuakeBtnClick);
  connect(ui.FileLaunchItem, &QAction::triggered, this, &TFXLaunchForm::StartQuakeBtnClick);
  connect(ui.SaveCfgBtn, &QToolButton::clicked, this, &TFXLaunchForm::SaveCfgBtnClick);
  connect(ui.FileSaveCfgItem, &QAction::triggered, this, &TFXLaunchForm::SaveCfgBtnClick);
  connect(ui.DeleteCfgBtn, &QToolButton::clicked, this, &TFXLaunchForm::DeleteCfgBtnClick);
  connect(ui.CfgComboBox, &QComboBox::activated, this, &TFXLaunchForm::CfgComboBoxChange);
  connect(ui.GameModeComboBox, &QComboBox::activated, this, &TFXLaunchForm::GameModeComboBoxChange);
  connect(ui.GameModeOptionsBtn, &QPushButton::clicked, this,
          &TFXLaunchForm::GameModeOptionsBtnClick);
  connect(ui.AddOptionsButton, &QPushButton::clicked, this, &TFXLaunchForm::AddOptionsButtonClick);
  connect(ui.cbQuakeMode, &QComboBox::activated, this, &TFXLaunchForm::cbQuakeModeChange);
  connect(ui.cbRecDemo, &QCheckBox::clicked, this, &TFXLaunchForm::cbRecDemoClick);
  connect(ui.cbFraglimit, &QCheckBox::clicked, this, &TFXLaunchForm::LimitCheckBoxClick);
  connect(ui.cbTimelimit, &QCheckBox::clicked, this, &TFXLaunchForm::LimitCheckBoxClick);
  connect(ui.tbMaxPlayers, &QSlider::valueChanged, this, &TFXLaunchForm::MaxPlayersTrackBarChange);
  connect(ui.BrowseMapBtn, &QPushButton::clicked, this, &TFXLaunchForm::BrowseMapBtnClick);
  connect(ui.ViewMapDocBtn, &QPushButton::clicked, this, &TFXLaunchForm::ViewMapDocBtnClick);
  connect(ui.ViewDocBtn, &QPushButton::clicked, this, &TFXLaunchForm::ViewDocBtnClick);
  connect(ui.btnDoc, &QPushButton::clicked, this, &TFXLaunchForm::DemoDocBtnClick);
  connect(ui.PatchBrowseBtn, &QPushButton::clicked, this, &TFXLaunchForm::PatchBrowseBtnClick);
  connect(ui.btnDemoRecBrowse, &QPushButton::clicked, this, &TFXLaunchForm::DemoRecBrowseBtnClick);
  connect(ui.btnDemoPlayBrowse, &QPushButton::clicked, this,
          &TFXLaunchForm::DemoPlayBrowseBtnClick);
  connect(ui.OptionsSettingsItem, &QAction::triggered, this,
          &TFXLaunchForm::OptionsSettingsItemClick);
  connect(ui.FileExitItem, &QAction::triggered, this, &TFXLaunchForm::FileExitItemClick);
  connect(&FIconTimer, &QTimer::timeout, this, &TFXLaunchForm::tiIconTimerTimer);
  connect(qApp, &QGuiApplication::applicationStateChanged, this,
          [this](Qt::ApplicationState) { UpdateIconTimer(); });
  connect(ui.lvExe, &QListWidget::itemSelectionChanged, this, &TFXLaunchForm::lvExeChange);
  connect(ui.lvExe, &QListWidget::itemDoubleClicked, this, &TFXLaunchForm::lvExeDblClick);
  connect(ui.lvExe, &QListWidget::itemChanged, this, &TFXLaunchForm::lvExeEdited);
  connect(ui.lvExe, &QWidget::customContextMenuRequested, this, &TFXLaunchForm::ExePopupMenuPopup);
  connect(ui.miExeAdd, &QAction::triggered, this, &TFXLaunchForm::miExeAddClick);
  connect(ui.miExeDelete, &QAction::triggered, this, &TFXLaunchForm::miExeDeleteClick);
  connect(ui.miExeRename, &QAction::triggered, this, &TFXLaunchForm::miExeRenameClick);
  connect(ui.miExeProperties, &QAction::triggered, this, &TFXLaunchForm::miExePropertiesClick);
  connect(qApp, &QApplication::focusChanged, this, &TFXLaunchForm::FocusChanged);
  ConnectChangeHandlers();
}

void TFXLaunchForm::ConnectChangeHandlers() {
  auto& ui = *FUi;
  const auto mark = [this] { MarkModified(); };
  for (QComboBox* box : {ui.cbSkill, ui.cbMap, ui.PatchComboBox, ui.ConnectComboBox,
                         ui.MultiPlayModeComboBox, ui.cbPlayerClass, ui.TeamplayComboBox,
                         ui.ClientExitComboBox, ui.cbDemoRec, ui.cbDemoPlay}) {
    connect(box, &QComboBox::currentIndexChanged, this, mark);
    connect(box, &QComboBox::editTextChanged, this, mark);
  }
  for (QCheckBox* box : {ui.PauseableCheckBox, ui.cbAutoAim, ui.cbSaveLog, ui.cbIgnoreGeneralCmds})
    connect(box, &QCheckBox::toggled, this, mark);
  connect(ui.HostnameEdit, &QLineEdit::textChanged, this, mark);
  connect(ui.CmdLineEdit, &QLineEdit::textChanged, this, mark);
  connect(ui.AddCmdMemo, &QPlainTextEdit::textChanged, this, mark);
  connect(ui.edFraglimit, &TFloatEdit::valueChanged, this, mark);
  connect(ui.edTimeLimit, &TFloatEdit::valueChanged, this, mark);
}

void TFXLaunchForm::MarkModified() {
  if (FConfigs) FConfigs->MarkModified();
  UpdateCommandPreview();
}

bool TFXLaunchForm::eventFilter(QObject* watched, QEvent* event) {
  auto& ui = *FUi;
  if (event->type() == QEvent::Resize &&
      (watched == ui.ScrollBox1->viewport() || watched == ui.GeneralSheet)) {
    if (watched == ui.GeneralSheet) {
      QRect exes = ui.ExesPanel->geometry();
      exes.setBottom(ui.GeneralSheet->height() - 1);
      exes.setWidth(ui.GeneralSheet->width());
      ui.ExesPanel->setGeometry(exes);
    } else {
      RestackPanels();
    }
  } else if (event->type() == QEvent::KeyPress && watched == ui.lvExe) {
    return ExeListKey(static_cast<QKeyEvent*>(event));
  }
  return QMainWindow::eventFilter(watched, event);
}

void TFXLaunchForm::SetPlayMode(int mode) {
  // A stored mode the box does not have (a damaged or foreign key) changes nothing.
  if (mode < kPlaySingle || mode > kPlayDemo) return;
  if (mode == FPlayMode && !FConfigs->Loading()) return;
  FPlayMode = mode;
  {
    const QSignalBlocker blocker(FUi->cbQuakeMode);
    FUi->cbQuakeMode->setCurrentIndex(mode);
  }
  MarkModified();
  RefreshDependentControls();
  ApplyPanelStates();
  if (FPictures) ShowPicture(FUi->QModeImage, kPlayModePictureBase + mode);
}

void TFXLaunchForm::cbQuakeModeChange(int index) {
  SetPlayMode(index);
}

void TFXLaunchForm::RefreshDependentControls() {
  auto& ui = *FUi;
  const TDependentStates states = DependentStates(
      ui.cbFraglimit->isChecked(), ui.cbTimelimit->isChecked(), ui.cbRecDemo->isChecked());
  ui.edFraglimit->setEnabled(states.FragLimitEdit);
  ui.edTimeLimit->setEnabled(states.TimeLimitEdit);
  ui.cbDemoRec->setEnabled(states.DemoRecControls);
  ui.btnDemoRecBrowse->setEnabled(states.DemoRecControls);
  if (states.DemoRecNone) {
    const QSignalBlocker blocker(ui.cbDemoRec);
    ui.cbDemoRec->setEditText(Text(std::string(kNoneText)));
  }
  ApplyPanelStates();
}

void TFXLaunchForm::ApplyPanelStates() {
  auto& ui = *FUi;
  const TPluginFeatures features = FSelector ? FSelector->Features() : TPluginFeatures{};
  const TPanelStates s = PanelStates(FPlayMode, features, FXSettings().Shareware());
  const std::array<std::pair<QWidget*, bool>, 13> panels{{
      {ui.SkillPanel, s.SkillPanel},
      {ui.MapPanel, s.MapPanel},
      {ui.DemoRecPanel, s.DemoRecPanel},
      {ui.DemoPlayPanel, s.DemoPlayPanel},
      {ui.PlayerClassPanel, s.PlayerClassPanel},
      {ui.PlayModePanel, s.PlayModePanel},
      {ui.TeamplayPanel, s.TeamplayPanel},
      {ui.RulesPanel, s.RulesPanel},
      {ui.ClientExitPanel, s.ClientExitPanel},
      {ui.ClientPanel, s.ClientPanel},
      {ui.AutoAimPanel, s.AutoAimPanel},
      {ui.ServerOptionsPanel, s.ServerOptionsPanel},
      {ui.MaxPlayersPanel, s.MaxPlayersPanel},
  }};
  for (const auto& [panel, visible] : panels)
    panel->setVisible(visible);
  ui.GameModeOptionsBtn->setEnabled(s.GameModeOptionsBtn);
  ui.AddOptionsButton->setEnabled(s.AddOptionsButton);
  ui.GameModeComboBox->setEnabled(s.GameModeComboBox);
  ui.PatchPanel->setVisible(s.PatchPanel);
  ui.labNoPatch->setVisible(s.NoPatchLabel);
  if (s.ForcePatchNone) SetPatchText(std::string(kNoneText));
  SetMapPickOnly(s.FixedMaps);
  UpdatePatchDocButton();
  RestackPanels();
}

void TFXLaunchForm::RestackPanels() {
  auto& ui = *FUi;
  // Panels stand in their tab order; hidden ones leave no gap. The picture panel keeps to
  // the bottom right corner, below the panels when they fill the view.
  const std::array<QWidget*, 14> order{
      ui.SkillPanel,       ui.MapPanel,      ui.DemoRecPanel,  ui.DemoPlayPanel,
      ui.PlayerClassPanel, ui.PlayModePanel, ui.TeamplayPanel, ui.RulesPanel,
      ui.ClientExitPanel,  ui.ClientPanel,   ui.AutoAimPanel,  ui.ServerOptionsPanel,
      ui.MaxPlayersPanel,  ui.SpacerPanel};
  const int width = ui.ScrollBox1->viewport()->width();
  int top = 0;
  for (QWidget* panel : order) {
    if (panel->isHidden()) continue;
    panel->setGeometry(0, top, width, panel->minimumHeight());
    top += panel->minimumHeight();
  }
  int height = top + kScrollReserve;
  if (!ui.Panel4->isHidden()) {
    const int pictureTop = std::max(top, ui.ScrollBox1->viewport()->height() - ui.Panel4->height());
    ui.Panel4->move(width - ui.Panel4->width(), pictureTop);
    height = std::max(height, pictureTop + ui.Panel4->height());
  }
  ui.ScrollBoxContents->resize(width, height);
}

void TFXLaunchForm::SetMapPickOnly(bool pickOnly) {
  QComboBox* box = FUi->cbMap;
  if (box->isEditable() == !pickOnly) return;
  const QString text = box->currentText();
  const QSignalBlocker blocker(box);
  box->setEditable(!pickOnly);
  if (!pickOnly) {
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setEditText(text.isEmpty() ? Text(std::string(kNoneText)) : text);
  } else {
    box->setCurrentIndex(box->findText(text, Qt::MatchFixedString));
  }
}

void TFXLaunchForm::ActivateGameType(int index) {
  if (index < 0 || index >= static_cast<int>(FGameTypes.size())) return;
  FSelector->Select(FGameTypes[static_cast<std::size_t>(index)].Plugin);
}

void TFXLaunchForm::GameModeComboBoxChange(int index) {
  try {
    ActivateGameType(index);
  } catch (const std::exception& e) {
    ReportException(e);
  }
  MarkModified();
  RefreshDependentControls();
}

void TFXLaunchForm::GameModeOptionsBtnClick() {
  try {
    if (ActivePlugin() != nullptr && ActivePlugin()->ShowOptions()) MarkModified();
  } catch (const std::exception& e) {
    ReportException(e);
  }
}

void TFXLaunchForm::AddOptionsButtonClick() {
  try {
    if (ActivePlugin() != nullptr && ActivePlugin()->ShowServerOptions()) MarkModified();
  } catch (const std::exception& e) {
    ReportException(e);
  }
}

void TFXLaunchForm::cbRecDemoClick() {
  RefreshDependentControls();
}

void TFXLaunchForm::LimitCheckBoxClick() {
  RefreshDependentControls();
  MarkModified();
}

void TFXLaunchForm::MaxPlayersTrackBarChange(int position) {
  FUi->MaxPlayersLabel->setText(QString::asprintf("%d players", position));
  MarkModified();
}

void TFXLaunchForm::FocusChanged(QWidget* old, QWidget* now) {
  // A combo box's line edit may hold the focus itself; leaving counts once the focus is
  // outside the box and everything in it.
  const auto left = [old, now](QWidget* box) {
    const auto inside = [box](QWidget* w) {
      return w != nullptr && (w == box || box->isAncestorOf(w));
    };
    return inside(old) && !inside(now);
  };
  auto& ui = *FUi;
  if (left(ui.PatchComboBox)) PatchComboBoxExit();
  if (left(ui.cbMap)) MapComboBoxExit();
  if (left(ui.HostnameEdit)) HostnameEditExit();
}

void TFXLaunchForm::UpdatePatchDocButton() {
  FUi->ViewDocBtn->setEnabled(!IsNoneText(PatchText()));
}

void TFXLaunchForm::PatchComboBoxExit() {
  if (FUi->PatchComboBox->currentText().trimmed().isEmpty()) SetPatchText(std::string(kNoneText));
  UpdatePatchDocButton();
}

void TFXLaunchForm::MapComboBoxExit() {
  if (FUi->cbMap->isEditable() && FUi->cbMap->currentText().trimmed().isEmpty())
    SetMapText(std::string(kNoneText));
}

void TFXLaunchForm::HostnameEditExit() {
  if (FUi->HostnameEdit->text().isEmpty()) FUi->HostnameEdit->setText(QStringLiteral("Unnamed"));
}

// The game-type view: lists, picture and features.

QComboBox* TFXLaunchForm::ListBox(THostList list) const {
  switch (list) {
    case THostList::Skill:
      return FUi->cbSkill;
    case THostList::Map:
      return FUi->cbMap;
    case THostList::PlayMode:
      return FUi->MultiPlayModeComboBox;
    case THostList::Teamplay:
      return FUi->TeamplayComboBox;
    case THostList::ClientExit:
      return FUi->ClientExitComboBox;
    case THostList::PlayerClass:
      return FUi->cbPlayerClass;
  }
  return FUi->cbSkill;
}

void TFXLaunchForm::FillList(THostList list, const std::vector<std::string>& items) {
  QComboBox* box = ListBox(list);
  const QString text = box->isEditable() ? box->currentText() : QString();
  box->clear();
  for (const std::string& item : items)
    box->addItem(Text(item));
  box->setCurrentIndex(-1);
  // Clearing an editable box empties its text; the typed map stays until the selection
  // decides whether it is still listed.
  if (box->isEditable()) box->setEditText(text);
}

void TFXLaunchForm::SelectItem(THostList list, int index) {
  SetItemIndex(list, index);
}

int TFXLaunchForm::ItemIndex(THostList list) {
  return ListBox(list)->currentIndex();
}

void TFXLaunchForm::SetItemIndex(THostList list, int index) {
  QComboBox* box = ListBox(list);
  box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

std::string TFXLaunchForm::MapText() {
  const QComboBox* box = FUi->cbMap;
  if (!box->isEditable())
    return box->currentIndex() < 0 ? std::string() : box->currentText().toStdString();
  return box->currentText().toStdString();
}

void TFXLaunchForm::SetMapText(const std::string& text) {
  QComboBox* box = FUi->cbMap;
  if (box->isEditable()) {
    box->setEditText(Text(text));
    // The box is narrow; the map's name at the start matters more than the title's end.
    box->lineEdit()->setCursorPosition(0);
  } else {
    box->setCurrentIndex(box->findText(Text(text), Qt::MatchFixedString));
  }
}

std::string TFXLaunchForm::PatchText() {
  return FUi->PatchComboBox->currentText().toStdString();
}

void TFXLaunchForm::SetPatchText(const std::string& text) {
  FUi->PatchComboBox->setEditText(Text(text));
  UpdatePatchDocButton();
}

void TFXLaunchForm::SetPlayerClassCaption(const std::string& caption) {
  FUi->lblPlayerClass->setText(Text(caption));
}

std::string TFXLaunchForm::Hostname() {
  return FUi->HostnameEdit->text().toStdString();
}

void TFXLaunchForm::SetHostname(const std::string& text) {
  FUi->HostnameEdit->setText(Text(text));
}

TWindowHandle TFXLaunchForm::AppHandle() {
  return static_cast<TWindowHandle>(winId());
}

void TFXLaunchForm::ShowPicture(QWidget* target, int number) {
  auto* label = static_cast<QLabel*>(target);
  label->setPixmap(FPictures ? FPictures->Picture(number) : QPixmap());
}

void TFXLaunchForm::ShowGameTypePicture(const TGameTypePicture& picture) {
  // Only the program's own picture library holds pictures; a game type naming a module of
  // its own shows none.
  if (picture.FromPictureLibrary && FPictures)
    ShowPicture(FUi->GameTypeImage, picture.Number);
  else
    FUi->GameTypeImage->setPixmap(QPixmap());
}

void TFXLaunchForm::ApplyFeatures(const TPluginFeatures& /*features*/) {
  ApplyPanelStates();
}

void TFXLaunchForm::LayOutWithoutPictures() {
  auto& ui = *FUi;
  ui.GametypePicPanel->hide();
  ui.Panel4->hide();
  const int top = ui.GametypePicPanel->y();
  ui.AddOptionsButton->move(ui.AddOptionsButton->x(), top);
  ui.GameModeOptionsBtn->move(ui.GameModeOptionsBtn->x(), top);
  ui.PatchPanel->move(ui.PatchPanel->x(), ui.AddOptionsButton->geometry().bottom() + 1 + 10);
  ui.labNoPatch->move(ui.labNoPatch->x(), ui.PatchPanel->y() + 15);
  QRect exes = ui.ExesPanel->geometry();
  exes.moveTop(ui.PatchPanel->geometry().bottom() + 1 + 6);
  exes.setBottom(ui.GeneralSheet->height() - 1);
  ui.ExesPanel->setGeometry(exes);
  ui.lvExe->setViewMode(QListView::ListMode);
}

}  // namespace fx
