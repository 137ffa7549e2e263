#pragma once

#include <QDialog>
#include <QLineEdit>

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "platform/SpecialFolders.h"
#include "settings/FXSettings.h"
#include "settings/FirstRun.h"
#include "ui/UserDialogs.h"

namespace Ui {
class SetupDlg;
}

namespace fx {

// The first-run setup: asks for the game folder and which shortcuts to place; OK enters
// the standard executables and the found engines and marks the machine as set up
// (CompleteSetup).
class TSetupDlg : public QDialog {
  Q_OBJECT

 public:
  // Messages and the folder chooser use Qt's dialogs. `splash`, when it shows, gets its
  // arrow cursor back and the dialog is placed beside it.
  explicit TSetupDlg(TFXSettings& settings, QWidget* splash = nullptr, QWidget* parent = nullptr);
  // Messages and the chooser go through `dialogs`, which must outlive the dialog;
  // `folders` says where the desktop, the start menu and the icons are.
  TSetupDlg(TFXSettings& settings, TUserDialogs& dialogs, TXdgFolders folders,
            QWidget* splash = nullptr, QWidget* parent = nullptr);
  ~TSetupDlg() override;

  // How the engines entered on OK are found (the program hands in the executables' engine
  // search); unset, none are entered.
  void SetEngineFinder(std::function<std::vector<TFoundEngine>()> finder) {
    FFindEngines = std::move(finder);
  }

  // What the controls say.
  TSetupChoice Choice() const;
  // Where the shortcuts go: the program's own file, the desktop, the start menu, and the
  // icon name "fraxinel".
  TShortcutPlan ShortcutPlan() const;

 public slots:
  // OK closes the dialog only when FormCloseQuery lets it.
  void accept() override;

 private slots:
  void BrowseBtnClick();

 private:
  void FormCreate(QWidget* splash);
  // Runs the completion for OK. False keeps the dialog open, with the focus on the folder.
  bool FormCloseQuery();

  std::unique_ptr<Ui::SetupDlg> FUi;
  TFXSettings& FSettings;
  std::unique_ptr<TUserDialogs> FOwnDialogs;
  TUserDialogs* FDialogs = nullptr;
  TXdgFolders FFolders;
  QLineEdit* FPathEdit = nullptr;  // the folder box's edit
  std::function<std::vector<TFoundEngine>()> FFindEngines;
};

// Where the program icon goes so that shortcuts can name it by the application id, as the
// installed desktop entry does: $XDG_DATA_HOME/icons/hicolor/64x64/apps/<id>.png.
std::filesystem::path ProgramIconFile(const TXdgFolders& folders);
// Writes the program icon there (replacing the file whole); false when it cannot.
bool InstallProgramIcon(const TXdgFolders& folders);

}  // namespace fx
