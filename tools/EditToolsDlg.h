#pragma once

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

#include "tools/ToolListEdit.h"
#include "ui/UserDialogs.h"

namespace Ui {
class EditToolsDlg;
}

namespace fx {

class TRegistry;

// "Configure Tools": the list of tools with add, delete, edit and the two move buttons.
// There is no cancelling: whatever closes the dialog keeps the changes.
class TEditToolsDlg : public QDialog {
  Q_OBJECT

 public:
  TEditToolsDlg(QWidget* parent, std::vector<TTool> tools, std::string gameFolder,
                TUserDialogs& dialogs);
  ~TEditToolsDlg() override;

  // The tools in the order the list shows them.
  std::vector<TTool> TakeTools() { return FEdit.TakeTools(); }

 protected:
  void showEvent(QShowEvent* event) override;

 private slots:
  void lbToolsClick();
  void AddBtnClick();
  void DeleteBtnClick();
  void EditBtnClick();
  void MoveUpBtnClick();
  void MoveDownBtnClick();

 private:
  void ShowSelection();
  void Moved(int from);

  std::unique_ptr<Ui::EditToolsDlg> FUi;
  TToolListEdit FEdit;
  std::string FGameFolder;
  TUserDialogs& FDialogs;
  bool FCentred = false;
};

// Runs "Configure Tools" on `tools`, takes the list back in its new order and saves it,
// which writes the settings file at once. Throws ERegistryException when the save fails;
// the list in memory holds the changes all the same.
void EditTools(TToolList& tools, TRegistry& registry, const std::string& gameFolder,
               QWidget* parent, TUserDialogs& dialogs);

}  // namespace fx
