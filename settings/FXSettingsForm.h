#pragma once

#include <QDialog>

#include <memory>

#include "platform/SpecialFolders.h"
#include "settings/FXSettings.h"
#include "ui/UserDialogs.h"

namespace Ui {
class FXSettingsForm;
}

namespace fx {

// The program settings dialog: the machine-wide and per-user settings the user may change,
// on the pages "General", "Commands" and "Advanced". It edits a TSettingsDialogState; the
// settings objects are changed only by EditSettings, and only on OK.
//
// The hints of the "Advanced" check boxes start with a command character of the program's
// hint extension ("&": show the hint at a fixed width). Until that extension exists the
// tool tips carry the text without it.
class TFXSettingsForm : public QDialog {
  Q_OBJECT

 public:
  // The folder choosers use Qt's dialogs.
  explicit TFXSettingsForm(QWidget* parent = nullptr);
  // The folder choosers go through `dialogs`, which must outlive the form; `folders`
  // says where the desktop is.
  TFXSettingsForm(QWidget* parent, TUserDialogs& dialogs, TXdgFolders folders = TXdgFolders());
  ~TFXSettingsForm() override;

  // Fills the controls; checking a "Delete ... in" box enables the "on" boxes as a click
  // would.
  void SetState(const TSettingsDialogState& state);
  TSettingsDialogState State() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private slots:
  void QPathSearchBtnClick();
  void PatchPathSearchBtnClick();
  // The "Delete ... on" boxes are usable exactly while a "Delete ... in" box is checked;
  // switched off, they are cleared so that no hidden choice survives.
  void cbDelInClick();

 private:
  void Setup();

  std::unique_ptr<Ui::FXSettingsForm> FUi;
  std::unique_ptr<TUserDialogs> FOwnDialogs;
  TUserDialogs* FDialogs = nullptr;
  TXdgFolders FFolders;
  bool FCentred = false;
};

// Shows the settings dialog for the two settings objects and, on OK, copies it back into
// them (the game folder through its setter, so the game edition is looked at again).
// Returns whether the user pressed OK; on Cancel nothing changes.
bool EditSettings(QWidget* parent, TFXSettings& machine, TFXUserSettings& user);

// Makes machine.Edit() show the settings dialog for `machine` and `user`, owned by
// `parent` (may be null; when it is destroyed first the dialog has no owner), and save both
// at once on OK. `user` must outlive `machine`'s editor.
void InstallSettingsEditor(TFXSettings& machine, TFXUserSettings& user, QWidget* parent);

}  // namespace fx
