#pragma once

#include <QDialog>

#include <memory>
#include <string>

#include "exes/FXExes.h"
#include "ui/UserDialogs.h"

class QButtonGroup;

namespace Ui {
class ExePropDlg;
}

namespace fx {

// The properties of one executable entry: its file, type and command line on the "General"
// page, the memory switches on the "Memory" page. It edits a TExePropState; the entry
// itself is changed only by EditProperties, and only on OK.
class TExePropDlg : public QDialog {
  Q_OBJECT

 public:
  // `gameFolder` is where the browse button's file chooser opens. The chooser is Qt's, or
  // goes through `dialogs`, which must outlive the dialog.
  TExePropDlg(QWidget* parent, std::string gameFolder);
  TExePropDlg(QWidget* parent, std::string gameFolder, TUserDialogs& dialogs);
  ~TExePropDlg() override;

  // Fills the controls, then enables the memory controls and shows the allocation group as
  // a click on the check box and a type change would, and selects the allocation method.
  void SetState(const TExePropState& state);
  TExePropState State() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private slots:
  void QPathSearchBtnClick();
  void ExeTypeComboBoxChange();
  void cbSetMemSizeClick();
  void edRunThroughChange();

 private:
  void Setup();
  void FormCreate();

  std::unique_ptr<Ui::ExePropDlg> FUi;
  QButtonGroup* FAllocButtons = nullptr;  // owned by the dialog
  std::string FGameFolder;
  std::unique_ptr<TUserDialogs> FOwnDialogs;
  TUserDialogs* FDialogs = nullptr;
  bool FCentred = false;
};

// Shows the properties dialog for `exe` and, on OK, copies it back into the entry. Returns
// whether the user pressed OK; on Cancel the entry is unchanged. The file chooser opens in
// `gameFolder` and uses Qt's dialogs, or `dialogs` when given.
bool EditProperties(TQuakeExe& exe, const std::string& gameFolder, QWidget* parent = nullptr);
bool EditProperties(TQuakeExe& exe, const std::string& gameFolder, QWidget* parent,
                    TUserDialogs& dialogs);

}  // namespace fx
