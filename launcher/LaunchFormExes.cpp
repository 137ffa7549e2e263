// The main window's list of game executables.

#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>

#include <algorithm>
#include <memory>
#include <optional>

#include "exes/ExeNames.h"
#include "exes/ExePropDlg.h"
#include "exes/StartCheck.h"
#include "launcher/Configurations.h"
#include "launcher/FXLaunchForm.h"
#include "platform/RegFileStore.h"
#include "platform/Registry.h"
#include "settings/FXSettings.h"
#include "ui/ExePictures.h"
#include "ui/ProgramPictures.h"
#include "ui_FXLaunchForm.h"

namespace fx {

namespace {

// Linux programs seldom have an extension, so all files come first.
constexpr const char* kAddExeFilter = "All Files|*|Executables|*.exe;*.bat";

std::string MachineSettingsFile() {
  const auto file = DefaultRegistryStore().FileFor(HKEY_LOCAL_MACHINE);
  return file ? file->string() : std::string("the machine-wide settings");
}

}  // namespace

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
  if (!FExes.empty()) FUi->lvExe->setCurrentRow(PreferredExeRow());
  ReportDamagedExes();
}

void TFXLaunchForm::ReportDamagedExes() {
  std::string damaged;
  for (const TQuakeExe& exe : FExes)
    if (!exe.LoadError.empty()) damaged += "\n\"" + exe.Name() + "\": " + exe.LoadError;
  if (damaged.empty()) return;
  TMessage message;
  message.Text = "These executables are damaged in " + MachineSettingsFile() +
                 " (key HKEY_LOCAL_MACHINE" + fx::ExeListKey() + "):\n" + damaged +
                 "\n\nThey are listed with the values that could be read and kept in the file as "
                 "they are. OK in an entry's Properties stores it anew.";
  message.Caption = "Error";
  message.Icon = TMsgIcon::Error;
  FDialogs->ShowMessage(message);
}

int TFXLaunchForm::PreferredExeRow() const {
  return std::max(PreferredExe(FExes, FXSettings().QPath(), ProcessPathVariable()), 0);
}

QIcon TFXLaunchForm::ExeIcon(const TQuakeExe& exe, bool unusable) const {
  // Large pictures go with the picture library's icon view, small ones with the plain list.
  const int index = ExecutablePictureIndex(static_cast<int>(exe.ExeType));
  const QPixmap picture = FPictures ? ExecutableLargePicture(index) : ExecutableSmallPicture(index);
  return unusable ? UnusablePicture(picture) : picture;
}

void TFXLaunchForm::AddExeItem(const TQuakeExe& exe) {
  auto* item = new QListWidgetItem(QString::fromStdString(exe.Name()));  // the list owns it
  item->setFlags(item->flags() | Qt::ItemIsEditable);
  {
    const QSignalBlocker blocker(FUi->lvExe);
    FUi->lvExe->addItem(item);
  }
  RefreshExeItem(FUi->lvExe->row(item));
}

void TFXLaunchForm::RefreshExeItem(int row) {
  QListWidgetItem* item = FUi->lvExe->item(row);
  if (item == nullptr || row >= static_cast<int>(FExes.size())) return;
  const TQuakeExe& exe = FExes[static_cast<std::size_t>(row)];
  const TExeStart start = exe.PlanStart("", FXSettings().QPath(), ProcessPathVariable());
  const std::optional<TStartProblem> problem = CheckStart(start);
  const QSignalBlocker blocker(FUi->lvExe);
  item->setIcon(ExeIcon(exe, problem.has_value() || !exe.LoadError.empty()));
  item->setToolTip(QString::fromStdString(ExeItemTip(exe, start, problem)));
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
    FUi->lvExe->setCurrentRow(PreferredExeRow());
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
    // The stored key goes with the old name, so the entry is stored anew as it stands.
    exe.LoadError.clear();
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
  const std::string gameFolder = FXSettings().QPath();
  const std::optional<std::string> chosen =
      FDialogs->ChooseOpenFile("Add Executable", kAddExeFilter, gameFolder);
  if (!chosen) return;
  FExes.push_back(EntryForProgram(*chosen, gameFolder, ExeNames()));
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
  // The item goes first: taking it moves the selection, and what reacts to that must find
  // the entries as the list shows them.
  std::unique_ptr<QListWidgetItem> taken;
  {
    const QSignalBlocker blocker(FUi->lvExe);
    taken.reset(FUi->lvExe->takeItem(row));
  }
  FExes.erase(FExes.begin() + row);
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
  RefreshExeItem(row);
  SaveExeListNow();
  MarkModified();
}

}  // namespace fx
