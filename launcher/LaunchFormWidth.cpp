// The main window's width: as designed, or wider where its texts need more at the user's
// font, so that no caption or list entry is cut.

#include <QAbstractItemModel>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTimer>

#include <algorithm>
#include <array>

#include "launcher/Configurations.h"
#include "launcher/FXLaunchForm.h"
#include "ui_FXLaunchForm.h"

namespace fx {

namespace {

// Widths of FXLaunchForm.ui.
constexpr int kDesignedWidth = 419;
constexpr int kLabelColumn = 150;
constexpr int kSmallButton = 72;
constexpr int kMaxPlayersTitle = 110;
constexpr int kMaxPlayersText = 74;
constexpr int kGameTypeLabel = 200;
constexpr int kPatchLabel = 60;
constexpr int kOptionsButton = 130;
constexpr int kOptionsButtonGap = 6;
constexpr int kGeneralMargin = 8;  // the General page's controls keep it on either side

// The width `box` needs to show `text` whole, measured as the box measures its entries.
int BoxWidthFor(const QComboBox& box, const QString& text) {
  QStyleOptionComboBox option;
  option.initFrom(&box);
  option.editable = box.isEditable();
  option.frame = box.hasFrame();
  const QFontMetrics& metrics = box.fontMetrics();
  const QSize contents(
      std::max(metrics.horizontalAdvance(text), metrics.boundingRect(text).width()),
      metrics.height());
  return box.style()->sizeFromContents(QStyle::CT_ComboBox, &option, contents, &box).width();
}

// Boxes of names and titles (maps, demos, servers, patches, configurations) need not show
// their longest entry, which their lists show whole: they keep room for what they show empty.
QString NoneText() {
  return QString::fromLatin1(kNoneText.data(), static_cast<qsizetype>(kNoneText.size()));
}

// The width a combo box needs to show its longest entry whole.
int ContentWidth(const QComboBox& box) {
  int width = BoxWidthFor(box, QString());
  for (int i = 0; i < box.count(); ++i)
    width = std::max(width, BoxWidthFor(box, box.itemText(i)));
  return width;
}

// The width a push button needs for its caption, without the style's minimum button width.
int CaptionWidth(const QPushButton& button) {
  const QStyle& style = *button.style();
  const int chrome = style.pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button) +
                     style.pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &button);
  return button.fontMetrics().horizontalAdvance(QString(button.text()).remove(QLatin1Char('&'))) +
         2 * chrome;
}

}  // namespace

void TFXLaunchForm::SetUpWidthFit() {
  auto& ui = *FUi;
  // The General page places its controls by hand; these follow the window's width.
  for (QWidget* control :
       {static_cast<QWidget*>(ui.GameModeComboBox), static_cast<QWidget*>(ui.GametypePicPanel),
        static_cast<QWidget*>(ui.GameTypeImage), static_cast<QWidget*>(ui.labNoPatch),
        static_cast<QWidget*>(ui.PatchPanel)})
    FDesignedWidths.emplace_back(control, control->width());
  // A game type brings its own lists; their entries count once they are filled in.
  for (QComboBox* box : {ui.cbQuakeMode, ui.cbSkill, ui.MultiPlayModeComboBox, ui.TeamplayComboBox,
                         ui.ClientExitComboBox, ui.cbPlayerClass, ui.GameModeComboBox}) {
    const auto schedule = [this] { ScheduleWidthFit(); };
    connect(box->model(), &QAbstractItemModel::rowsInserted, this, schedule);
    connect(box->model(), &QAbstractItemModel::rowsRemoved, this, schedule);
    connect(box->model(), &QAbstractItemModel::dataChanged, this, schedule);
  }
  FitWidthToTexts();
}

void TFXLaunchForm::ScheduleWidthFit() {
  if (FWidthFitScheduled) return;
  FWidthFitScheduled = true;
  QTimer::singleShot(0, this, [this] {
    FWidthFitScheduled = false;
    FitWidthToTexts();
  });
}

int TFXLaunchForm::FitGamePage() {
  auto& ui = *FUi;
  // The captions' column keeps one width, the widest caption's at least.
  const std::array<QWidget*, 13> captions{
      ui.QuakeModeLabel,  ui.SkillLabel,    ui.MapLabel,      ui.cbRecDemo,   ui.DemoPlayLabel,
      ui.lblPlayerClass,  ui.PlayModeLabel, ui.TeamplayLabel, ui.cbFraglimit, ui.cbTimelimit,
      ui.ClientExitLabel, ui.ClientLabel,   ui.HostnameLabel};
  int column = kLabelColumn;
  for (const QWidget* caption : captions)
    column = std::max(column, caption->sizeHint().width());
  for (QWidget* caption : captions)
    caption->setFixedWidth(column);
  for (QComboBox* box : {ui.cbQuakeMode, ui.cbSkill, ui.MultiPlayModeComboBox, ui.TeamplayComboBox,
                         ui.ClientExitComboBox, ui.cbPlayerClass})
    box->setMinimumWidth(ContentWidth(*box));
  for (QComboBox* box : {ui.cbMap, ui.cbDemoRec, ui.cbDemoPlay, ui.ConnectComboBox})
    box->setMinimumWidth(BoxWidthFor(*box, NoneText()));
  for (QPushButton* button :
       {ui.BrowseMapBtn, ui.ViewMapDocBtn, ui.btnDemoRecBrowse, ui.btnDemoPlayBrowse, ui.btnDoc})
    button->setMaximumWidth(std::max(kSmallButton, CaptionWidth(*button)));
  ui.MaxPlayersTitle->setFixedWidth(
      std::max(kMaxPlayersTitle, ui.MaxPlayersTitle->sizeHint().width()));
  const QString mostPlayers = QString::asprintf("%d players", ui.tbMaxPlayers->maximum());
  ui.MaxPlayersLabel->setFixedWidth(
      std::max(kMaxPlayersText, ui.MaxPlayersLabel->fontMetrics().horizontalAdvance(mostPlayers) +
                                    2 * ui.MaxPlayersLabel->margin()));

  // The panels are placed by hand at the view's width: the view must be as wide as the
  // widest panel needs, with room for its scroll bar.
  int panels = 0;
  for (const QWidget* panel :
       ui.ScrollBoxContents->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (panel != ui.Panel4) panels = std::max(panels, panel->minimumSizeHint().width());
  QScrollArea& view = *ui.ScrollBox1;
  return panels + 2 * view.frameWidth() + view.verticalScrollBar()->sizeHint().width();
}

int TFXLaunchForm::FitGeneralPage() {
  auto& ui = *FUi;
  ui.GameModeLabel->resize(std::max(kGameTypeLabel, ui.GameModeLabel->sizeHint().width()),
                           ui.GameModeLabel->height());
  for (QPushButton* button : {ui.GameModeOptionsBtn, ui.AddOptionsButton})
    button->resize(std::max(kOptionsButton, CaptionWidth(*button)), button->height());
  ui.AddOptionsButton->move(ui.GameModeOptionsBtn->geometry().right() + 1 + kOptionsButtonGap,
                            ui.AddOptionsButton->y());
  ui.PatchComboBox->setMinimumWidth(BoxWidthFor(*ui.PatchComboBox, NoneText()));
  ui.PatchLabel->setFixedWidth(std::max(kPatchLabel, ui.PatchLabel->sizeHint().width()));
  for (QPushButton* button : {ui.PatchBrowseBtn, ui.ViewDocBtn})
    button->setMaximumWidth(std::max(kSmallButton, CaptionWidth(*button)));
  return std::max({2 * kGeneralMargin + ContentWidth(*ui.GameModeComboBox),
                   ui.AddOptionsButton->geometry().right() + 1 + kGeneralMargin,
                   ui.PatchPanel->minimumSizeHint().width()});
}

void TFXLaunchForm::FitWidthToTexts() {
  auto& ui = *FUi;
  ui.CfgComboBox->setMinimumWidth(
      BoxWidthFor(*ui.CfgComboBox, QString::fromLatin1(kDefaultConfigName)));
  ui.ScrollBox1->setMinimumWidth(FitGamePage());
  ui.GeneralSheet->setMinimumWidth(FitGeneralPage());
  // The pages' needs reach the window through its layouts; their cached sizes go first.
  for (QWidget* widget : {ui.GameSheet, ui.GeneralSheet, ui.MiscSheet,
                          static_cast<QWidget*>(ui.PageControl1), centralWidget()})
    widget->updateGeometry();
  const int width = std::max(kDesignedWidth, minimumSizeHint().width());
  setMinimumWidth(width);
  setMaximumWidth(width);
  for (const auto& [control, designed] : FDesignedWidths)
    control->resize(designed + width - kDesignedWidth, control->height());
}

}  // namespace fx
