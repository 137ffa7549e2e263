#include "tools/ConfigureToolDlg.h"

#include <optional>
#include <utility>

#include "ui/ScreenCentre.h"
#include "ui_ConfigureToolDlg.h"

namespace fx {

namespace {

QString ToQt(const std::string& text) {
  return QString::fromStdString(text);
}
std::string FromQt(const QString& text) {
  return text.toStdString();
}

}  // namespace

TConfigureToolDlg::TConfigureToolDlg(QWidget* parent, std::string gameFolder, TUserDialogs& dialogs)
    : QDialog(parent),
      FUi(std::make_unique<Ui::ConfigureToolDlg>()),
      FGameFolder(std::move(gameFolder)),
      FDialogs(dialogs) {
  FUi->setupUi(this);
  ensurePolished();
  setFixedSize(sizeHint());
  connect(FUi->BrowseBtn, &QPushButton::clicked, this, &TConfigureToolDlg::BrowseBtnClick);
  FUi->TitleEdit->setFocus();
}

TConfigureToolDlg::~TConfigureToolDlg() = default;

void TConfigureToolDlg::SetFields(const TToolFields& fields) {
  FUi->TitleEdit->setText(ToQt(fields.Title));
  FUi->PathEdit->setText(ToQt(fields.Path));
  FUi->WorkDirEdit->setText(ToQt(fields.WorkDir));
  FUi->ParamEdit->setText(ToQt(fields.Param));
}

TToolFields TConfigureToolDlg::Fields() const {
  return {FromQt(FUi->TitleEdit->text()), FromQt(FUi->PathEdit->text()),
          FromQt(FUi->WorkDirEdit->text()), FromQt(FUi->ParamEdit->text())};
}

void TConfigureToolDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!FCentred) {
    FCentred = true;
    CentreOnScreen(*this);
  }
}

void TConfigureToolDlg::BrowseBtnClick() {
  TToolFields fields = Fields();
  const std::optional<std::string> chosen =
      FDialogs.ChooseOpenFile("Open", kToolFilter, BrowseStart(fields, FGameFolder));
  if (!chosen) return;
  ApplyBrowsedProgram(*chosen, fields);
  SetFields(fields);
}

bool ConfigureTool(TTool& tool, const std::string& gameFolder, QWidget* parent,
                   TUserDialogs& dialogs) {
  TConfigureToolDlg dialog(parent, gameFolder, dialogs);
  dialog.SetFields(FillToolFields(tool));
  if (dialog.exec() != QDialog::Accepted) return false;
  ApplyToolFields(dialog.Fields(), tool);
  return true;
}

}  // namespace fx
