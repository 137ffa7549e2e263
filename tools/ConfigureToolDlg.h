#pragma once

#include <QDialog>

#include <memory>
#include <string>

#include "tools/FXTools.h"
#include "ui/UserDialogs.h"

namespace Ui {
class ConfigureToolDlg;
}

namespace fx {

// "Tool Settings": title, path, working folder and parameters of one tool. It edits a
// TToolFields; the tool itself is changed only by ConfigureTool, and only on OK.
class TConfigureToolDlg : public QDialog {
  Q_OBJECT

 public:
  // "Browse..." starts in `gameFolder` while the path is empty; its file chooser goes
  // through `dialogs`, which must outlive the dialog.
  TConfigureToolDlg(QWidget* parent, std::string gameFolder, TUserDialogs& dialogs);
  ~TConfigureToolDlg() override;

  void SetFields(const TToolFields& fields);
  TToolFields Fields() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private slots:
  void BrowseBtnClick();

 private:
  std::unique_ptr<Ui::ConfigureToolDlg> FUi;
  std::string FGameFolder;
  TUserDialogs& FDialogs;
  bool FCentred = false;
};

// Shows "Tool Settings" for `tool`; on OK copies the fields back and returns true, on
// Cancel returns false and leaves the tool as it was.
bool ConfigureTool(TTool& tool, const std::string& gameFolder, QWidget* parent,
                   TUserDialogs& dialogs);

}  // namespace fx
