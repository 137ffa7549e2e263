#include "installer/PackagesDlg.h"

#include <QHeaderView>
#include <QPushButton>

#include <exception>
#include <mutex>

#include "installer/BackgroundWork.h"
#include "installer/PackageRows.h"
#include "installer/ProgressText.h"
#include "platform/InstallFiles.h"
#include "platform/Shell.h"
#include "ui/UserDialogs.h"
#include "ui_PackagesDlg.h"

namespace fx {

namespace {

constexpr int kIndexRole = Qt::UserRole + 1;

std::string Listed(const std::vector<std::string>& names, std::size_t most = 20) {
  std::string text;
  for (std::size_t i = 0; i < names.size() && i < most; ++i)
    text += "\n  " + names[i];
  if (names.size() > most) text += "\n  ... and " + std::to_string(names.size() - most) + " more";
  return text;
}

}  // namespace

TPackagesDlg::TPackagesDlg(TPackageStore& store, TUserDialogs& dialogs, TFilesOpener open,
                           QWidget* parent)
    : QDialog(parent),
      FUi(std::make_unique<Ui::PackagesDlg>()),
      FStore(store),
      FDialogs(dialogs),
      FOpen(open ? std::move(open)
                 : [](const std::string& folder) { return OpenInstallFiles(folder); }) {
  FUi->setupUi(this);
  FUi->lvPackages->sortByColumn(0, Qt::AscendingOrder);
  FUi->lvPackages->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  FUi->lvPackages->header()->setSectionResizeMode(1, QHeaderView::Stretch);
  connect(FUi->UninstallBtn, &QPushButton::clicked, this, &TPackagesDlg::UninstallClick);
  connect(FUi->VerifyBtn, &QPushButton::clicked, this, &TPackagesDlg::VerifyClick);
  connect(FUi->OpenFolderBtn, &QPushButton::clicked, this, &TPackagesDlg::OpenFolderClick);
  connect(FUi->Buttons, &QDialogButtonBox::rejected, this, &TPackagesDlg::reject);
  connect(FUi->lvPackages, &QTreeWidget::itemSelectionChanged, this, [this] {
    const bool chosen = Selected() != nullptr && !FWorking;
    FUi->UninstallBtn->setEnabled(chosen);
    FUi->VerifyBtn->setEnabled(chosen);
    FUi->OpenFolderBtn->setEnabled(chosen);
  });
  SetWorking(false);
  QMetaObject::invokeMethod(this, &TPackagesDlg::Refresh, Qt::QueuedConnection);
}

TPackagesDlg::~TPackagesDlg() = default;

void TPackagesDlg::reject() {
  if (!FWorking) QDialog::reject();
}

void TPackagesDlg::SetWorking(bool working, const QString& what) {
  FWorking = working;
  FUi->pbWorking->setVisible(working);
  FUi->lblStatus->setText(what);
  const bool chosen = Selected() != nullptr && !working;
  FUi->UninstallBtn->setEnabled(chosen);
  FUi->VerifyBtn->setEnabled(chosen);
  FUi->OpenFolderBtn->setEnabled(chosen);
  FUi->Buttons->setEnabled(!working);
}

const TPackageManifest* TPackagesDlg::Selected() const {
  const auto items = FUi->lvPackages->selectedItems();
  if (items.isEmpty()) return nullptr;
  const auto index = items.front()->data(0, kIndexRole).toULongLong();
  return index < FPackages.size() ? &FPackages[index] : nullptr;
}

void TPackagesDlg::ShowRow(std::size_t index, std::optional<TPackageState> state) {
  const TPackageRow row = PackageRow(FPackages[index], state);
  QTreeWidgetItem* item = nullptr;
  for (int i = 0; i < FUi->lvPackages->topLevelItemCount(); ++i)
    if (FUi->lvPackages->topLevelItem(i)->data(0, kIndexRole).toULongLong() == index)
      item = FUi->lvPackages->topLevelItem(i);
  if (!item) {
    item = new QTreeWidgetItem(FUi->lvPackages);
    item->setData(0, kIndexRole, QVariant::fromValue<qulonglong>(index));
  }
  const std::string* texts[] = {&row.Name, &row.Where,  &row.Size, &row.Files,
                                &row.Date, &row.Folder, &row.State};
  for (int column = 0; column < 7; ++column)
    item->setText(column, QString::fromStdString(*texts[column]));
  item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
  item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
}

void TPackagesDlg::Refresh() {
  if (FWorking) return;
  std::vector<std::string> errors;
  FPackages = FStore.List(&errors);
  FUi->lvPackages->clear();
  for (std::size_t i = 0; i < FPackages.size(); ++i)
    ShowRow(i, std::nullopt);
  if (!FPackages.empty()) FUi->lvPackages->setCurrentItem(FUi->lvPackages->topLevelItem(0));
  // Each package's files are hashed to tell its state: off the GUI thread.
  SetWorking(true, tr("Checking the installed files..."));
  std::mutex mutex;
  std::vector<std::pair<std::size_t, TPackageState>> states;
  std::size_t shown = 0;
  RunInBackground(
      [&] {
        for (std::size_t i = 0; i < FPackages.size(); ++i) {
          TPackageState state = TPackageState::Missing;
          try {
            state = VerifyPackage(FPackages[i], *FOpen(FPackages[i].GameFolder)).State;
          } catch (const std::exception&) {
            // The game folder is gone or unreadable: none of its files is there.
          }
          const std::lock_guard lock(mutex);
          states.emplace_back(i, state);
        }
      },
      [&] {
        const std::lock_guard lock(mutex);
        for (; shown < states.size(); ++shown)
          ShowRow(states[shown].first, states[shown].second);
      });
  SetWorking(false,
             errors.empty() ? QString() : QString::fromStdString("Not readable:" + Listed(errors)));
}

void TPackagesDlg::UninstallClick() {
  const TPackageManifest* chosen = Selected();
  if (!chosen || FWorking) return;
  const TPackageManifest package = *chosen;
  if (FDialogs.ShowMessage(
          {"Uninstall " + package.Name + "? Its " + std::to_string(package.Files.size()) +
               " files are removed from " + package.GameFolder +
               "; files changed since it was installed are kept.",
           "Warning", TMsgIcon::Warning, TMsgButtons::YesNo, TMsgResult::No}) != TMsgResult::Yes)
    return;
  SetWorking(true, tr("Uninstalling %1...").arg(QString::fromStdString(package.Name)));
  TUninstallOutcome outcome;
  std::string failure;
  RunInBackground([&] {
    try {
      outcome = UninstallPackage(package.Name, FStore, *FOpen(package.GameFolder));
    } catch (const std::exception& error) {
      failure = error.what();
    }
  });
  SetWorking(false);
  if (!failure.empty() || !outcome.Ok()) {
    FDialogs.ShowMessage(
        {"Cannot uninstall " + package.Name + ":\n" + failure + Listed(outcome.Errors), "",
         TMsgIcon::Error, TMsgButtons::Ok, TMsgResult::Ok});
  } else {
    std::string text =
        "Uninstalled " + package.Name + ": " + Counted(outcome.Removed.size(), "file") + " removed";
    if (!outcome.Restored.empty())
      text += ", " + Counted(outcome.Restored.size(), "replaced file") + " put back";
    text += ".";
    if (!outcome.Kept.empty()) text += "\nKept, since they were changed:" + Listed(outcome.Kept);
    FDialogs.ShowMessage({text, "", TMsgIcon::Information, TMsgButtons::Ok, TMsgResult::Ok});
  }
  Refresh();
}

void TPackagesDlg::VerifyClick() {
  const TPackageManifest* chosen = Selected();
  if (!chosen || FWorking) return;
  const TPackageManifest package = *chosen;
  const std::size_t index = static_cast<std::size_t>(chosen - FPackages.data());
  SetWorking(true, tr("Verifying %1...").arg(QString::fromStdString(package.Name)));
  TVerifyOutcome outcome;
  std::string failure;
  RunInBackground([&] {
    try {
      outcome = VerifyPackage(package, *FOpen(package.GameFolder));
    } catch (const std::exception& error) {
      failure = error.what();
    }
  });
  SetWorking(false);
  if (!failure.empty()) {
    FDialogs.ShowMessage({"Cannot verify " + package.Name + ":\n" + failure, "", TMsgIcon::Error,
                          TMsgButtons::Ok, TMsgResult::Ok});
    return;
  }
  ShowRow(index, outcome.State);
  std::vector<std::string> modified, missing;
  for (const auto& [path, state] : outcome.Files) {
    if (state == TFileState::Modified) modified.push_back(path);
    if (state == TFileState::Missing) missing.push_back(path);
  }
  std::string text = package.Name + ": " + PackageStateName(outcome.State) + ", " +
                     std::to_string(outcome.Files.size() - modified.size() - missing.size()) +
                     " of " + Counted(outcome.Files.size(), "file") + " as installed.";
  if (!modified.empty()) text += "\nModified:" + Listed(modified);
  if (!missing.empty()) text += "\nMissing:" + Listed(missing);
  FDialogs.ShowMessage({text, "Verify", TMsgIcon::Information, TMsgButtons::Ok, TMsgResult::Ok});
}

void TPackagesDlg::OpenFolderClick() {
  const TPackageManifest* chosen = Selected();
  if (!chosen) return;
  const std::filesystem::path folder = std::filesystem::path(chosen->GameFolder) / chosen->Folder;
  if (!ShellSucceeded(ShellExecute("open", folder.string(), "", "")))
    FDialogs.ShowMessage({"Cannot open " + folder.string() + ".", "", TMsgIcon::Error,
                          TMsgButtons::Ok, TMsgResult::Ok});
}

}  // namespace fx
