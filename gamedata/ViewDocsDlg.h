#pragma once

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

#include "ui/UserDialogs.h"

class QTreeWidgetItem;

namespace Ui {
class ViewDocsDlg;
}

namespace fx {

// "View Documents": the documentation files of one folder, opened through the shell with
// the program the desktop associates with them. The dialog stays open after opening one.
class TViewDocsDlg : public QDialog {
  Q_OBJECT

 public:
  // Lists the folder's documents at once; the caller looks at RowCount() before showing it.
  explicit TViewDocsDlg(std::string folder, QWidget* parent = nullptr);
  ~TViewDocsDlg() override;

  int RowCount() const;
  const std::string& Folder() const { return FFolder; }

  // The "Open" button: opens the selected document, the first when none is selected.
  void OpenBtnClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private slots:
  void lvFilesChange();
  void lvFilesDblClick(QTreeWidgetItem* item);

 private:
  void FillList();

  std::unique_ptr<Ui::ViewDocsDlg> FUi;
  std::string FFolder;              // without a trailing separator: it is also the working folder
  std::vector<std::string> FNames;  // row i lists the file FNames[i]
  bool FCentred = false;
};

// The main window's "Docs..." button for a folder: with no document the error box "No
// documents could be found.", with one document that document opened at once, with more
// the viewer shown modally.
void ShowDocuments(const std::string& folder, TUserDialogs& dialogs, QWidget* parent = nullptr);

}  // namespace fx
