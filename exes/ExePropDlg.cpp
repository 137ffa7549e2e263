#include "exes/ExePropDlg.h"

#include <QButtonGroup>
#include <QPalette>
#include <QRadioButton>

#include <algorithm>
#include <filesystem>
#include <utility>

#include "settings/EnableControls.h"
#include "ui/QtUserDialogs.h"
#include "ui/ScreenCentre.h"
#include "ui_ExePropDlg.h"

namespace fx {

namespace {

// Linux programs seldom have an extension, so all files come first.
constexpr const char* kExeFilter = "All Files|*|Executables|*.exe;*.bat";

QString ToQt(const std::string& text) {
  return QString::fromStdString(text);
}
std::string FromQt(const QString& text) {
  return text.toStdString();
}

}  // namespace

TExePropDlg::TExePropDlg(QWidget* parent, std::string gameFolder)
    : QDialog(parent),
      FUi(std::make_unique<Ui::ExePropDlg>()),
      FGameFolder(std::move(gameFolder)),
      FOwnDialogs(std::make_unique<TQtUserDialogs>(this)),
      FDialogs(FOwnDialogs.get()) {
  Setup();
}

TExePropDlg::TExePropDlg(QWidget* parent, std::string gameFolder, TUserDialogs& dialogs)
    : QDialog(parent),
      FUi(std::make_unique<Ui::ExePropDlg>()),
      FGameFolder(std::move(gameFolder)),
      FDialogs(&dialogs) {
  Setup();
}

TExePropDlg::~TExePropDlg() = default;

void TExePropDlg::Setup() {
  FUi->setupUi(this);
  FAllocButtons = new QButtonGroup(this);
  FAllocButtons->addButton(FUi->rgMemAllocStandard, static_cast<int>(TAllocMethod::Standard));
  FAllocButtons->addButton(FUi->rgMemAllocLock, static_cast<int>(TAllocMethod::LockMemory));
  FAllocButtons->addButton(FUi->rgMemAllocLockUnlock,
                           static_cast<int>(TAllocMethod::LockAndUnlockMemory));

  // The name line is a caption, not a field: the page shows through it, whatever colour
  // the style gives tab pages.
  QPalette palette = FUi->edDisplayName->palette();
  palette.setColor(QPalette::Base, Qt::transparent);
  FUi->edDisplayName->setPalette(palette);

  // A dialog border: the size is fixed once, with every control showing, so hiding the
  // allocation group does not re-fit the window.
  // The form's own width is the least, so the file name has room.
  ensurePolished();
  setFixedSize(std::max(width(), sizeHint().width()), sizeHint().height());

  connect(FUi->QPathSearchBtn, &QPushButton::clicked, this, &TExePropDlg::QPathSearchBtnClick);
  connect(FUi->ExeTypeComboBox, &QComboBox::currentIndexChanged, this,
          &TExePropDlg::ExeTypeComboBoxChange);
  // toggled, not clicked: filling the form in code has the effect of a click.
  connect(FUi->cbSetMemSize, &QCheckBox::toggled, this, &TExePropDlg::cbSetMemSizeClick);
  // The option says what the wrapper does: without one it has nothing to stand for.
  connect(FUi->edRunThrough, &QLineEdit::textChanged, this, &TExePropDlg::edRunThroughChange);
  FormCreate();
}

void TExePropDlg::FormCreate() {
  FUi->PageControl1->setCurrentWidget(FUi->GeneralTabSheet);
  FUi->ExeNameEdit->setFocus();
}

void TExePropDlg::SetState(const TExePropState& state) {
  FUi->edDisplayName->setText(ToQt(state.DisplayName));
  const bool knownType = state.TypeIndex >= 0 && state.TypeIndex < FUi->ExeTypeComboBox->count();
  FUi->ExeTypeComboBox->setCurrentIndex(knownType ? state.TypeIndex : -1);
  FUi->ExeNameEdit->setText(ToQt(state.ExeName));
  FUi->CmdLineEdit->setText(ToQt(state.CmdLine));
  FUi->cbSetMemSize->setChecked(state.SetMemSize);
  FUi->edMemSize->SetValue(state.MemSize);
  FUi->edRunThrough->setText(ToQt(state.RunThrough));
  FUi->cbWrapperStartsEngine->setChecked(state.WrapperStartsEngine);
  edRunThroughChange();
  FUi->EnvironmentMemo->setPlainText(ToQt(state.Environment));
  // Neither the box nor the type box signals when it already stood as wanted.
  cbSetMemSizeClick();
  ExeTypeComboBoxChange();
  if (QAbstractButton* button = FAllocButtons->button(state.AllocIndex)) {
    button->setChecked(true);
  } else {
    // A method this program does not know: no button stands for it.
    FAllocButtons->setExclusive(false);
    for (QAbstractButton* each : FAllocButtons->buttons())
      each->setChecked(false);
    FAllocButtons->setExclusive(true);
  }
}

TExePropState TExePropDlg::State() const {
  TExePropState state;
  state.DisplayName = FromQt(FUi->edDisplayName->text());
  state.TypeIndex = FUi->ExeTypeComboBox->currentIndex();
  state.ExeName = FromQt(FUi->ExeNameEdit->text());
  state.CmdLine = FromQt(FUi->CmdLineEdit->text());
  state.SetMemSize = FUi->cbSetMemSize->isChecked();
  state.MemSize = FUi->edMemSize->Value();
  state.AllocIndex = FAllocButtons->checkedId();
  state.RunThrough = FromQt(FUi->edRunThrough->text());
  state.WrapperStartsEngine = FUi->cbWrapperStartsEngine->isChecked();
  state.Environment = FromQt(FUi->EnvironmentMemo->toPlainText());
  return state;
}

void TExePropDlg::done(int result) {
  // OK by a key while the memory edit has the focus: the value typed there counts, as it
  // would after the focus had left the edit.
  if (result == QDialog::Accepted && FUi->edMemSize->hasFocus()) FUi->edMemSize->ApplyText();
  if (result == QDialog::Accepted) {
    const std::string problem = EnvironmentProblem(FromQt(FUi->EnvironmentMemo->toPlainText()));
    if (!problem.empty()) {
      FDialogs->ShowMessage({problem, "Properties", TMsgIcon::Error, TMsgButtons::Ok});
      FUi->PageControl1->setCurrentWidget(FUi->GeneralTabSheet);
      FUi->EnvironmentMemo->setFocus();
      return;
    }
  }
  QDialog::done(result);
}

void TExePropDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!FCentred) {
    FCentred = true;
    CentreOnScreen(*this);
  }
}

void TExePropDlg::QPathSearchBtnClick() {
  const std::optional<std::string> chosen =
      FDialogs->ChooseOpenFile("Open", kExeFilter, FGameFolder);
  if (!chosen) return;
  FUi->ExeNameEdit->setText(ToQt(ExeNameForChosenFile(*chosen, FGameFolder)));
}

void TExePropDlg::ExeTypeComboBoxChange() {
  FUi->rgMemAlloc->setVisible(AllocMethodVisible(FUi->ExeTypeComboBox->currentIndex()));
}

void TExePropDlg::edRunThroughChange() {
  FUi->cbWrapperStartsEngine->setEnabled(!FUi->edRunThrough->text().trimmed().isEmpty());
}

void TExePropDlg::cbSetMemSizeClick() {
  EnableControlList({FUi->edMemSize, FUi->rgMemAlloc}, FUi->cbSetMemSize->isChecked());
}

namespace {

// The dialog lives on the stack, so it is freed on every path, an exception included.
bool RunProperties(TExePropDlg& dialog, TQuakeExe& exe) {
  dialog.SetState(FillExeProps(exe));
  if (dialog.exec() != QDialog::Accepted) return false;
  ApplyExeProps(dialog.State(), exe);
  return true;
}

}  // namespace

bool EditProperties(TQuakeExe& exe, const std::string& gameFolder, QWidget* parent,
                    TUserDialogs& dialogs) {
  TExePropDlg dialog(parent, gameFolder, dialogs);
  return RunProperties(dialog, exe);
}

bool EditProperties(TQuakeExe& exe, const std::string& gameFolder, QWidget* parent) {
  TExePropDlg dialog(parent, gameFolder);
  return RunProperties(dialog, exe);
}

}  // namespace fx
