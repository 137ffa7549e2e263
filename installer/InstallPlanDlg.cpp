#include "installer/InstallPlanDlg.h"

#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>

#include "installer/PackageRows.h"
#include "ui_InstallPlanDlg.h"

namespace fx {

TInstallPlanDlg::TInstallPlanDlg(TInstallPlan plan, std::string archiveName,
                                 std::vector<std::string> into, TReplan replan, QWidget* parent)
    : QDialog(parent),
      FUi(std::make_unique<Ui::InstallPlanDlg>()),
      FPlan(std::move(plan)),
      FReplan(std::move(replan)) {
  FUi->setupUi(this);
  FUi->Buttons->button(QDialogButtonBox::Ok)->setText(tr("&Install"));
  FUi->lblPackage->setText(
      tr("Package %1 from %2")
          .arg(QString::fromStdString(FPlan.Name), QString::fromStdString(archiveName)));
  const bool choice = LayoutLeavesChoice(FPlan.Layout);
  FUi->lblInto->setVisible(choice);
  FUi->cbInto->setVisible(choice);
  if (choice) {
    FInto = FPlan.Folder;
    for (const auto& folder : into)
      FUi->cbInto->addItem(QString::fromStdString(folder));
    if (FUi->cbInto->findText(QString::fromStdString(FPlan.Folder)) < 0)
      FUi->cbInto->addItem(QString::fromStdString(FPlan.Folder));
    FUi->cbInto->setCurrentText(QString::fromStdString(FPlan.Folder));
    connect(FUi->cbInto, &QComboBox::currentIndexChanged, this, &TInstallPlanDlg::IntoChange);
  }
  FUi->lvFiles->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  connect(FUi->Buttons, &QDialogButtonBox::accepted, this, &TInstallPlanDlg::accept);
  connect(FUi->Buttons, &QDialogButtonBox::rejected, this, &TInstallPlanDlg::reject);
  ShowPlan();
}

TInstallPlanDlg::~TInstallPlanDlg() = default;

void TInstallPlanDlg::ShowPlan() {
  FUi->lblSummary->setText(QString::fromStdString(PlanSummary(FPlan)));
  FUi->lvFiles->clear();
  bool asks = false;
  for (const TPlanRow& row : PlanRows(FPlan)) {
    auto* item = new QTreeWidgetItem(
        FUi->lvFiles, {QString::fromStdString(row.Target), QString::fromStdString(row.Size),
                       QString::fromStdString(row.Replaces)});
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    if (row.Asks) {
      asks = true;
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
      item->setCheckState(2, row.Replace ? Qt::Checked : Qt::Unchecked);
    }
  }
  FUi->lblReplaceHint->setVisible(asks);
  // The refusals that a tick cannot answer stand in the way.
  std::string refusals;
  for (const TRefusal& refusal : FPlan.Refusals) {
    const bool answerable = std::ranges::any_of(FPlan.Files, [&](const TPlannedFile& file) {
      return (file.Exists || file.CaseClash) && file.Answer == TReplaceAnswer::Ask &&
             file.Entry == refusal.Entry && !refusal.Entry.empty();
    });
    if (!answerable) refusals += (refusals.empty() ? "" : "\n") + RefusalLine(refusal);
  }
  FUi->lblRefusals->setVisible(!refusals.empty());
  FUi->lblRefusals->setText(
      tr("It cannot be installed:\n%1").arg(QString::fromStdString(refusals)));
  FUi->Buttons->button(QDialogButtonBox::Ok)->setEnabled(refusals.empty());
}

void TInstallPlanDlg::GatherAnswers() {
  const auto rows = PlanRows(FPlan);
  for (int i = 0; i < FUi->lvFiles->topLevelItemCount() && i < static_cast<int>(rows.size()); ++i)
    if (rows[static_cast<std::size_t>(i)].Asks)
      FAnswers[rows[static_cast<std::size_t>(i)].Target] =
          FUi->lvFiles->topLevelItem(i)->checkState(2) == Qt::Checked ? TReplaceAnswer::Replace
                                                                      : TReplaceAnswer::Keep;
}

void TInstallPlanDlg::IntoChange(int index) {
  if (index < 0) return;
  FInto = FUi->cbInto->itemText(index).toStdString();
  // Answers were about the files of the other folder.
  FAnswers.clear();
  FPlan = FReplan(FInto, FAnswers);
  ShowPlan();
}

void TInstallPlanDlg::accept() {
  GatherAnswers();
  FPlan = FReplan(FInto, FAnswers);
  if (!FPlan.Installable()) {
    ShowPlan();
    return;
  }
  QDialog::accept();
}

}  // namespace fx
