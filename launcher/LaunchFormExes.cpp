// The main window's list of game executables.

#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>

#include <memory>

#include "exes/ExePictures.h"
#include "exes/ExePropDlg.h"
#include "launcher/Configurations.h"
#include "launcher/ExeNames.h"
#include "launcher/FXLaunchForm.h"
#include "platform/Registry.h"
#include "settings/FXSettings.h"
#include "ui/ProgramPictures.h"
#include "ui_FXLaunchForm.h"

namespace fx {

void TFXLaunchForm::ReadExeList() {
  FUi->lvExe->clear();
  TRegistry registry;
  FExes = LoadExeList(registry);
  if (FPictures) {
    FUi->lvExe->setViewMode(QListView::IconMode);
    FUi->lvExe->setIconSize(QSize(64, 48));
    FUi->lvExe->setGridSize(QSize(96, 80));
    FUi->lvExe->setMovement(QListView::Static);
    FUi->lvExe->setResizeMode(QListView::Adjust);
    FUi->lvExe->setWordWrap(true);
  }
  for (const TQuakeExe& exe : FExes)
    AddExeItem(exe);
  FUi->StartQuakeBtn->setEnabled(!FExes.empty());
  if (!FExes.empty()) FUi->lvExe->setCurrentRow(0);
}

QIcon TFXLaunchForm::ExeIcon(const TQuakeExe& exe) const {
  // Large pictures go with the picture library's icon view, small ones with the plain list.
  const int picture = ExecutablePictureIndex(static_cast<int>(exe.ExeType));
  return FPictures ? ExecutableLargePicture(picture) : ExecutableSmallPicture(picture);
}

void TFXLaunchForm::AddExeItem(const TQuakeExe& exe) {
  auto* item = new QListWidgetItem(QString::fromStdString(exe.Name()));  // the list owns it
  item->setIcon(ExeIcon(exe));
  item->setFlags(item->flags() | Qt::ItemIsEditable);
  const QSignalBlocker blocker(FUi->lvExe);
  FUi->lvExe->addItem(item);
}

void TFXLaunchForm::WriteExeList() {
  TRegistry registry;
  SaveExeList(registry, FExes);
}

void TFXLaunchForm::SaveExeListNow() {
  // A change the user made goes to disk at once, so that an end without the save at exit
  // (a crash, a lost display, a kill) keeps it. On failure the list stays in memory and
  // the next change or the end tries again.
  try {
    WriteExeList();
  } catch (const std::exception& e) {
    ReportException(e);
  }
}

int TFXLaunchForm::SelectedExe() const {
  const QList<QListWidgetItem*> selected = FUi->lvExe->selectedItems();
  return selected.isEmpty() ? -1 : FUi->lvExe->row(selected.front());
}

std::vector<std::string> TFXLaunchForm::ExeNames() const {
  std::vector<std::string> names;
  for (const TQuakeExe& exe : FExes)
    names.push_back(exe.Name());
  return names;
}

void TFXLaunchForm::SelectExe(const std::string& caption) {
  if (FExes.empty()) return;
  if (caption.empty()) {
    FUi->lvExe->setCurrentRow(0);
    return;
  }
  for (std::size_t i = 0; i < FExes.size(); ++i) {
    if (FExes[i].Name() == caption) {
      FUi->lvExe->setCurrentRow(static_cast<int>(i));
      return;
    }
  }
}

void TFXLaunchForm::lvExeChange() {
  MarkModified();
  FUi->StartQuakeBtn->setEnabled(SelectedExe() >= 0);
}

void TFXLaunchForm::lvExeDblClick() {
  if (SelectedExe() >= 0) miExePropertiesClick();
}

void TFXLaunchForm::lvExeEdited(QListWidgetItem* item) {
  const int row = FUi->lvExe->row(item);
  if (row < 0 || row >= static_cast<int>(FExes.size())) return;
  TQuakeExe& exe = FExes[static_cast<std::size_t>(row)];
  const std::string caption = item->text().toStdString();
  if (caption == exe.Name()) return;
  if (ExeNameTaken(caption, ExeNames())) {
    {
      const QSignalBlocker blocker(FUi->lvExe);
      item->setText(QString::fromStdString(exe.Name()));
    }
    ShowError("An executable with that name allready exists.");
    return;
  }
  try {
    exe.SetName(caption);
  } catch (const std::exception& e) {
    // A name the registry cannot hold as a key stays out, like a duplicate.
    const QSignalBlocker blocker(FUi->lvExe);
    item->setText(QString::fromStdString(exe.Name()));
    ReportException(e);
    return;
  }
  SaveExeListNow();
  MarkModified();
}

bool TFXLaunchForm::ExeListKey(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Delete:
      if (SelectedExe() >= 0) miExeDeleteClick();
      return true;
    case Qt::Key_Menu: {
      QListWidgetItem* item = FUi->lvExe->currentItem();
      const QRect rect = item != nullptr ? FUi->lvExe->visualItemRect(item) : QRect();
      ShowExePopup(FUi->lvExe->viewport()->mapToGlobal(rect.center()));
      return true;
    }
    case Qt::Key_F2:
      miExeRenameClick();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      lvExeDblClick();
      return true;
    default:
      return false;
  }
}

void TFXLaunchForm::ExePopupMenuPopup(const QPoint& position) {
  ShowExePopup(FUi->lvExe->viewport()->mapToGlobal(position));
}

void TFXLaunchForm::ShowExePopup(const QPoint& globalPosition) {
  const bool selected = SelectedExe() >= 0;
  FUi->miExeDelete->setEnabled(selected);
  FUi->miExeRename->setEnabled(selected);
  FUi->miExeProperties->setEnabled(selected);
  FExePopupMenu->popup(globalPosition);
}

void TFXLaunchForm::miExeAddClick() {
  TQuakeExe exe(NewExeName(ExeNames()));
  exe.ExeName = "quake.exe";
  exe.ExeType = TExeType::DosQuake;
  FExes.push_back(exe);
  AddExeItem(FExes.back());
  SaveExeListNow();
  QListWidget* list = FUi->lvExe;
  list->setCurrentRow(list->count() - 1);
  list->setFocus();
  list->editItem(list->item(list->count() - 1));
}

void TFXLaunchForm::miExeDeleteClick() {
  const int row = SelectedExe();
  if (row < 0) return;
  TMessage question;
  question.Text = "Are you sure you want to delete the Executable:\n\"" +
                  FExes[static_cast<std::size_t>(row)].Name() + "\"?";
  question.Caption = "Warning";
  question.Icon = TMsgIcon::Warning;
  question.Buttons = TMsgButtons::YesNo;
  question.DefaultButton = TMsgResult::Yes;
  if (FDialogs->ShowMessage(question) != TMsgResult::Yes) return;
  FExes.erase(FExes.begin() + row);
  std::unique_ptr<QListWidgetItem> taken(FUi->lvExe->takeItem(row));
  SaveExeListNow();
  lvExeChange();
}

void TFXLaunchForm::miExeRenameClick() {
  if (QListWidgetItem* item = FUi->lvExe->currentItem(); item != nullptr && item->isSelected())
    FUi->lvExe->editItem(item);
}

void TFXLaunchForm::miExePropertiesClick() {
  const int row = SelectedExe();
  if (row < 0) return;
  TQuakeExe& exe = FExes[static_cast<std::size_t>(row)];
  try {
    if (!EditProperties(exe, FXSettings().QPath(), this, *FDialogs)) return;
  } catch (const std::exception& e) {
    ReportException(e);
    return;
  }
  FUi->lvExe->item(row)->setIcon(ExeIcon(exe));
  SaveExeListNow();
  MarkModified();
}

}  // namespace fx
