#include "gamedata/ViewDocsDlg.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QPushButton>
#include <QStringDecoder>
#include <QTreeWidgetItem>

#include <filesystem>
#include <utility>

#include "gamedata/DocumentList.h"
#include "platform/Shell.h"
#include "settings/PathUtils.h"
#include "ui/ScreenCentre.h"
#include "ui_ViewDocsDlg.h"

namespace fx {

namespace {

// The shell's type names were cut at this length; longer comments would only widen the column.
constexpr int kMaxTypeNameLength = 80;

// A name as the list shows it. Names are bytes; one that is not valid UTF-8 most likely
// came from an 8-bit Windows code page, whose letters Latin-1 mostly matches.
QString DisplayName(const std::string& name) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString text = utf8(QByteArrayView(name.data(), static_cast<qsizetype>(name.size())));
  return utf8.hasError() ? QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()))
                         : text;
}

QString TypeName(const QFileInfo& file) {
  static const QMimeDatabase mimeDatabase;
  return mimeDatabase.mimeTypeForFile(file).comment().left(kMaxTypeNameLength);
}

}  // namespace

TViewDocsDlg::TViewDocsDlg(std::string folder, QWidget* parent)
    : QDialog(parent), FUi(std::make_unique<Ui::ViewDocsDlg>()), FFolder(RemoveBackslash(folder)) {
  FUi->setupUi(this);
  connect(FUi->OpenBtn, &QPushButton::clicked, this, &TViewDocsDlg::OpenBtnClick);
  connect(FUi->CloseBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(FUi->lvFiles, &QTreeWidget::itemSelectionChanged, this, &TViewDocsDlg::lvFilesChange);
  connect(FUi->lvFiles, &QTreeWidget::itemDoubleClicked, this, &TViewDocsDlg::lvFilesDblClick);
  FillList();
  setFixedSize(size());
}

TViewDocsDlg::~TViewDocsDlg() {
  // Deleting the controls may still signal, and the handlers would find the form freed.
  for (QObject* child : findChildren<QObject*>())
    disconnect(child, nullptr, this, nullptr);
}

int TViewDocsDlg::RowCount() const {
  return FUi->lvFiles->topLevelItemCount();
}

void TViewDocsDlg::FillList() {
  FUi->lvFiles->clear();
  const QFileIconProvider icons;
  FNames = ListDocuments(FFolder);
  for (const std::string& name : FNames) {
    const QFileInfo file(QString::fromStdString(JoinPath(FFolder, name)));
    auto* item = new QTreeWidgetItem(FUi->lvFiles);  // owned by the list
    item->setText(0, DisplayName(name));
    item->setText(1, TypeName(file));
    const QIcon icon = icons.icon(file);  // none for a name Qt cannot spell
    item->setIcon(0, icon.isNull() ? icons.icon(QAbstractFileIconProvider::File) : icon);
  }
  if (RowCount() > 0 && FUi->lvFiles->selectedItems().isEmpty())
    FUi->lvFiles->setCurrentItem(FUi->lvFiles->topLevelItem(0));
  FUi->lvFiles->resizeColumnToContents(0);
  lvFilesChange();
}

void TViewDocsDlg::lvFilesChange() {
  FUi->OpenBtn->setEnabled(!FUi->lvFiles->selectedItems().isEmpty());
}

void TViewDocsDlg::lvFilesDblClick(QTreeWidgetItem* item) {
  if (item && item->isSelected()) OpenBtnClick();
}

void TViewDocsDlg::OpenBtnClick() {
  if (RowCount() == 0) return;
  if (FUi->lvFiles->selectedItems().isEmpty())
    FUi->lvFiles->setCurrentItem(FUi->lvFiles->topLevelItem(0));
  // By the name's bytes: the shown text need not spell it.
  const int row = FUi->lvFiles->indexOfTopLevelItem(FUi->lvFiles->selectedItems().front());
  const std::string& name = FNames[static_cast<std::size_t>(row)];
  // What the shell answers is not looked at: a desktop that cannot open the file says so.
  ShellExecute("open", JoinPath(FFolder, name), "", FFolder);
}

void TViewDocsDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!FCentred) {
    FCentred = true;
    CentreOnScreen(*this);
  }
}

void ShowDocuments(const std::string& folder, TUserDialogs& dialogs, QWidget* parent) {
  TViewDocsDlg viewer(folder, parent);
  switch (viewer.RowCount()) {
    case 0:
      dialogs.ShowMessage({"No documents could be found.", "", TMsgIcon::Error});
      return;
    case 1:
      viewer.OpenBtnClick();
      return;
    default:
      viewer.exec();
  }
}

}  // namespace fx
