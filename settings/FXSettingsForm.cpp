#include "settings/FXSettingsForm.h"

#include <QPointer>
#include <QStringList>
#include <QStyle>

#include "settings/BrowseForFolder.h"
#include "ui/QtUserDialogs.h"
#include "ui/ScreenCentre.h"
#include "ui_FXSettingsForm.h"

namespace fx {

namespace {

QString ToQt(const std::string& text) {
  return QString::fromStdString(text);
}
std::string FromQt(const QString& text) {
  return text.toStdString();
}

QString MemoText(const std::vector<std::string>& lines) {
  QStringList text;
  for (const auto& line : lines)
    text << ToQt(line);
  return text.join(QLatin1Char('\n'));
}

// One entry per line; an empty memo is an empty list, not one empty line.
std::vector<std::string> MemoLines(const QString& text) {
  std::vector<std::string> lines;
  if (text.isEmpty()) return lines;
  for (QString line : text.split(QLatin1Char('\n'))) {
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    lines.push_back(FromQt(line));
  }
  // A final line break ends the last line; it does not start an empty command.
  if (text.endsWith(QLatin1Char('\n'))) lines.pop_back();
  return lines;
}

}  // namespace

TFXSettingsForm::TFXSettingsForm(QWidget* parent)
    : QDialog(parent),
      FUi(std::make_unique<Ui::FXSettingsForm>()),
      FOwnDialogs(std::make_unique<TQtUserDialogs>(this)),
      FDialogs(FOwnDialogs.get()) {
  Setup();
}

TFXSettingsForm::TFXSettingsForm(QWidget* parent, TUserDialogs& dialogs, TXdgFolders folders)
    : QDialog(parent),
      FUi(std::make_unique<Ui::FXSettingsForm>()),
      FDialogs(&dialogs),
      FFolders(std::move(folders)) {
  Setup();
}

TFXSettingsForm::~TFXSettingsForm() = default;

void TFXSettingsForm::Setup() {
  FUi->setupUi(this);
  // A dialog border: the size is fixed once, for the tallest page. A layout constraint
  // would re-fit the window to each page's word-wrapped texts when the page changes.
  ensurePolished();
  setFixedSize(sizeHint());
  const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  const QPixmap warning =
      style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(iconSize);
  FUi->WarnImage1->setPixmap(warning);
  FUi->WarnImage2->setPixmap(warning);
  FUi->PageControl->setCurrentWidget(FUi->tsGeneral);
  FUi->QPathEdit->setFocus();

  connect(FUi->QPathSearchBtn, &QPushButton::clicked, this, &TFXSettingsForm::QPathSearchBtnClick);
  connect(FUi->PatchPathSearchBtn, &QPushButton::clicked, this,
          &TFXSettingsForm::PatchPathSearchBtnClick);
  // toggled, not clicked: filling the form in code must have the same effect as a click.
  connect(FUi->cbDelInID1Dir, &QCheckBox::toggled, this, &TFXSettingsForm::cbDelInClick);
  connect(FUi->cbDelInPatchDir, &QCheckBox::toggled, this, &TFXSettingsForm::cbDelInClick);
}

void TFXSettingsForm::SetState(const TSettingsDialogState& state) {
  FUi->cbCloseOnExec->setChecked(state.CloseOnExec);
  FUi->AddParmsMemo->setPlainText(MemoText(state.AddParms));
  FUi->ShowCmdLineCheckBox->setChecked(state.ShowCmdLine);
  FUi->cbDelOnLaunch->setChecked(state.DelOnLaunch);
  FUi->cbDelOnExit->setChecked(state.DelOnExit);
  FUi->cbDelInID1Dir->setChecked(state.DelInID1Dir);
  FUi->cbDelInPatchDir->setChecked(state.DelInPatchDir);
  // An "in" box that was already in the wanted state sends no signal; a stored "on"
  // choice without any "in" choice must still end up cleared and disabled.
  cbDelInClick();
  FUi->cbAnimateMainWindowIcon->setChecked(state.AnimateMainWindowIcon);
  FUi->cbInGameCmd->setChecked(state.InGameCmds);
  FUi->QPathEdit->setText(ToQt(state.QPath));
  FUi->PatchPathEdit->setText(ToQt(state.PatchPath));
}

TSettingsDialogState TFXSettingsForm::State() const {
  TSettingsDialogState state;
  state.CloseOnExec = FUi->cbCloseOnExec->isChecked();
  state.AddParms = MemoLines(FUi->AddParmsMemo->toPlainText());
  state.ShowCmdLine = FUi->ShowCmdLineCheckBox->isChecked();
  state.DelOnLaunch = FUi->cbDelOnLaunch->isChecked();
  state.DelOnExit = FUi->cbDelOnExit->isChecked();
  state.DelInID1Dir = FUi->cbDelInID1Dir->isChecked();
  state.DelInPatchDir = FUi->cbDelInPatchDir->isChecked();
  state.AnimateMainWindowIcon = FUi->cbAnimateMainWindowIcon->isChecked();
  state.InGameCmds = FUi->cbInGameCmd->isChecked();
  state.QPath = FromQt(FUi->QPathEdit->text());
  state.PatchPath = FromQt(FUi->PatchPathEdit->text());
  return state;
}

void TFXSettingsForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!FCentred) {
    FCentred = true;
    CentreOnScreen(*this, parentWidget() ? parentWidget()->screen() : nullptr);
  }
}

void TFXSettingsForm::QPathSearchBtnClick() {
  std::string path = FromQt(FUi->QPathEdit->text());
  if (!BrowseForFolder(*FDialogs, path, "Please choose your Quake folder",
                       TSpecialFolder::DesktopRoot, FFolders))
    return;
  FUi->QPathEdit->setText(ToQt(path));
  if (FUi->PatchPathEdit->text().isEmpty()) FUi->PatchPathEdit->setText(ToQt(path));
}

void TFXSettingsForm::PatchPathSearchBtnClick() {
  std::string path = FromQt(FUi->PatchPathEdit->text());
  if (!BrowseForFolder(*FDialogs, path, "Please choose your Patch folder",
                       FromQt(FUi->QPathEdit->text()), FFolders))
    return;
  FUi->PatchPathEdit->setText(ToQt(path));
}

void TFXSettingsForm::cbDelInClick() {
  const bool anyIn = FUi->cbDelInID1Dir->isChecked() || FUi->cbDelInPatchDir->isChecked();
  for (QCheckBox* on : {FUi->cbDelOnLaunch, FUi->cbDelOnExit}) {
    on->setEnabled(anyIn);
    if (!anyIn) on->setChecked(false);
  }
}

bool EditSettings(QWidget* parent, TFXSettings& machine, TFXUserSettings& user) {
  TFXSettingsForm form(parent);
  form.SetState(FillSettingsDialog(machine, user));
  if (form.exec() != QDialog::Accepted) return false;
  ApplySettingsDialog(form.State(), machine, user);
  return true;
}

void InstallSettingsEditor(TFXSettings& machine, TFXUserSettings& user, QWidget* parent) {
  machine.SetEditor([&user, owner = QPointer<QWidget>(parent)](TFXSettings& settings) {
    // Confirmed settings go to disk at once rather than only when the program ends.
    if (!EditSettings(owner, settings, user)) return;
    TQtUserDialogs dialogs(owner);
    SaveProgramSettingsNow(user, settings, dialogs);
  });
}

}  // namespace fx
