#include "tools/EditToolsDlg.h"

#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include <utility>

#include "settings/EnableControls.h"
#include "tools/ConfigureToolDlg.h"
#include "ui/ScreenCentre.h"
#include "ui_EditToolsDlg.h"

namespace fx {

namespace {

QString ToQt(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

TEditToolsDlg::TEditToolsDlg(QWidget* parent, std::vector<TTool> tools, std::string gameFolder,
                             TUserDialogs& dialogs)
    : QDialog(parent),
      FUi(std::make_unique<Ui::EditToolsDlg>()),
      FEdit(std::move(tools)),
      FGameFolder(std::move(gameFolder)),
      FDialogs(dialogs) {
  FUi->setupUi(this);
  for (const TTool& tool : FEdit.Tools())
    FUi->lbTools->addItem(ToQt(tool.Title));
  ensurePolished();
  setFixedSize(sizeHint());
  // The selection counts, not the current line: a list that gets the focus makes its first
  // line current without selecting it.
  connect(FUi->lbTools, &QListWidget::itemSelectionChanged, this, &TEditToolsDlg::lbToolsClick);
  connect(FUi->lbTools, &QListWidget::itemActivated, this, &TEditToolsDlg::EditBtnClick);
  connect(FUi->AddBtn, &QPushButton::clicked, this, &TEditToolsDlg::AddBtnClick);
  connect(FUi->DeleteBtn, &QPushButton::clicked, this, &TEditToolsDlg::DeleteBtnClick);
  connect(FUi->EditBtn, &QPushButton::clicked, this, &TEditToolsDlg::EditBtnClick);
  connect(FUi->MoveUpBtn, &QToolButton::clicked, this, &TEditToolsDlg::MoveUpBtnClick);
  connect(FUi->MoveDownBtn, &QToolButton::clicked, this, &TEditToolsDlg::MoveDownBtnClick);
  lbToolsClick();
  FUi->lbTools->setFocus();
}

TEditToolsDlg::~TEditToolsDlg() = default;

void TEditToolsDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!FCentred) {
    FCentred = true;
    CentreOnScreen(*this);
  }
}

void TEditToolsDlg::lbToolsClick() {
  const QList<QListWidgetItem*> selected = FUi->lbTools->selectedItems();
  FEdit.Select(selected.isEmpty() ? -1 : FUi->lbTools->row(selected.front()));
  const TToolListEdit::TButtons buttons = FEdit.Buttons();
  EnableControlList({FUi->DeleteBtn, FUi->EditBtn}, buttons.Delete);
  FUi->MoveUpBtn->setEnabled(buttons.MoveUp);
  FUi->MoveDownBtn->setEnabled(buttons.MoveDown);
}

void TEditToolsDlg::ShowSelection() {
  const int row = FEdit.Selected();
  {
    const QSignalBlocker blocker(FUi->lbTools);
    FUi->lbTools->clearSelection();
    if (row >= 0) FUi->lbTools->setCurrentRow(row);
  }
  lbToolsClick();
}

void TEditToolsDlg::AddBtnClick() {
  TTool tool;
  if (!ConfigureTool(tool, FGameFolder, this, FDialogs)) return;
  FUi->lbTools->addItem(ToQt(tool.Title));
  FEdit.Add(std::move(tool));
  lbToolsClick();
}

void TEditToolsDlg::DeleteBtnClick() {
  const int row = FEdit.Selected();
  if (row < 0) return;
  FEdit.DeleteSelected();
  // The list would move the selection on to the next line; nothing stays selected, so a
  // second press cannot delete a tool the user did not pick.
  {
    const QSignalBlocker blocker(FUi->lbTools);
    delete FUi->lbTools->takeItem(row);
  }
  ShowSelection();
}

void TEditToolsDlg::EditBtnClick() {
  TTool* tool = FEdit.SelectedTool();
  if (tool == nullptr) return;
  if (!ConfigureTool(*tool, FGameFolder, this, FDialogs)) return;
  FUi->lbTools->item(FEdit.Selected())->setText(ToQt(tool->Title));
  lbToolsClick();
}

void TEditToolsDlg::MoveUpBtnClick() {
  const int from = FEdit.Selected();
  if (FEdit.MoveUp()) Moved(from);
}

void TEditToolsDlg::MoveDownBtnClick() {
  const int from = FEdit.Selected();
  if (FEdit.MoveDown()) Moved(from);
}

void TEditToolsDlg::Moved(int from) {
  {
    const QSignalBlocker blocker(FUi->lbTools);
    QListWidgetItem* item = FUi->lbTools->takeItem(from);
    FUi->lbTools->insertItem(FEdit.Selected(), item);
  }
  ShowSelection();
}

void EditTools(TToolList& tools, TRegistry& registry, const std::string& gameFolder,
               QWidget* parent, TUserDialogs& dialogs) {
  {
    TEditToolsDlg dialog(parent, tools.Items, gameFolder, dialogs);
    dialog.exec();
    tools.Items = dialog.TakeTools();
  }
  tools.Save(registry);
}

}  // namespace fx
