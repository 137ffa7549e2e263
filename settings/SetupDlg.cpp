#include "settings/SetupDlg.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QScreen>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "platform/InstallLayout.h"
#include "platform/Registry.h"
#include "settings/BrowseForFolder.h"
#include "settings/SetupPlacement.h"
#include "settings/SpecialFolder.h"
#include "ui/ProgramPictures.h"
#include "ui/QtUserDialogs.h"
#include "ui_SetupDlg.h"

namespace fx {

namespace {

constexpr int kMinimumWidth = 440;

TWindowRect RectOf(const QRect& rect) {
  return {rect.left(), rect.top(), rect.width(), rect.height()};
}

std::string ToString(const QString& text) {
  return text.toUtf8().toStdString();
}

}  // namespace

TSetupDlg::TSetupDlg(TFXSettings& settings, QWidget* splash, QWidget* parent)
    : QDialog(parent),
      FUi(std::make_unique<Ui::SetupDlg>()),
      FSettings(settings),
      FOwnDialogs(std::make_unique<TQtUserDialogs>(this)),
      FDialogs(FOwnDialogs.get()) {
  FormCreate(splash);
}

TSetupDlg::TSetupDlg(TFXSettings& settings, TUserDialogs& dialogs, TXdgFolders folders,
                     QWidget* splash, QWidget* parent)
    : QDialog(parent),
      FUi(std::make_unique<Ui::SetupDlg>()),
      FSettings(settings),
      FDialogs(&dialogs),
      FFolders(std::move(folders)) {
  FormCreate(splash);
}

TSetupDlg::~TSetupDlg() = default;

void TSetupDlg::FormCreate(QWidget* splash) {
  FUi->setupUi(this);
  connect(FUi->BrowseBtn, &QPushButton::clicked, this, &TSetupDlg::BrowseBtnClick);
  // The folder box's edit is the folder edit as it always was; the drop-down offers the
  // other folders that hold the game.
  FPathEdit = FUi->QPathBox->lineEdit();
  FPathEdit->setObjectName(QStringLiteral("QPathEdit"));
  for (const std::string& folder : GameFoldersFound(FFolders))
    FUi->QPathBox->addItem(QString::fromStdString(folder));
  FPathEdit->setText(QString::fromStdString(DefaultQuakeFolder(FFolders)));
  setWindowIcon(ProgramIcon());

  // A dialog border: not changeable, wide enough for the welcome text to read as a
  // paragraph rather than a column, and as high as the wrapped text needs at that width.
  const int fixedWidth = std::max(sizeHint().width(), kMinimumWidth);
  const int fixedHeight = hasHeightForWidth() ? heightForWidth(fixedWidth) : -1;
  setFixedSize(fixedWidth, fixedHeight > 0 ? fixedHeight : sizeHint().height());
  if (splash == nullptr || !splash->isVisible()) return;
  splash->setCursor(Qt::ArrowCursor);
  const QScreen* screen = splash->screen();
  if (screen == nullptr) return;
  const TWindowPos pos = SetupDialogPosition(RectOf(splash->frameGeometry()), width(), height(),
                                             RectOf(screen->availableGeometry()));
  move(pos.Left, pos.Top);
}

TSetupChoice TSetupDlg::Choice() const {
  TSetupChoice choice;
  choice.QuakePath = ToString(FPathEdit->text());
  choice.DesktopShortcut = FUi->cbDesktopShortCut->isChecked();
  choice.StartMenuShortcut = FUi->cbStartmenuShortCut->isChecked();
  return choice;
}

TShortcutPlan TSetupDlg::ShortcutPlan() const {
  TShortcutPlan plan;
  plan.ProgramFile = ToString(QCoreApplication::applicationFilePath());
  plan.DesktopFolder = FFolders.Desktop();
  plan.ProgramsFolder = FFolders.ProgramsMenu();
  plan.Icon = ApplicationId();
  return plan;
}

void TSetupDlg::BrowseBtnClick() {
  std::string path = ToString(FPathEdit->text());
  if (BrowseForFolder(*FDialogs, path, "Locate your Quake path", TSpecialFolder::Drives, FFolders))
    FPathEdit->setText(QString::fromStdString(path));
}

void TSetupDlg::accept() {
  if (FormCloseQuery()) {
    QDialog::accept();
    return;
  }
  FPathEdit->setFocus();
}

bool TSetupDlg::FormCloseQuery() {
  const TSetupChoice choice = Choice();
  const int versionBefore = FSettings.Version();
  try {
    TRegistry registry;
    const std::vector<TFoundEngine> engines =
        FFindEngines ? FFindEngines() : std::vector<TFoundEngine>();
    if (!CompleteSetup(choice, FSettings, registry, ShortcutPlan(), *FDialogs, engines))
      return false;
  } catch (const std::runtime_error& e) {
    // The registry could not be written: say so and let the user try again or cancel.
    TMessage message;
    message.Text = std::string("The setup could not be completed.\n\n") + e.what();
    message.Icon = TMsgIcon::Error;
    FDialogs->ShowMessage(message);
    return false;
  }
  // The shortcuts name the icon; it is installed only when the setup went through.
  const bool completed = FSettings.Version() != versionBefore;
  if (completed && (choice.DesktopShortcut || choice.StartMenuShortcut))
    InstallProgramIcon(FFolders);
  return true;
}

std::filesystem::path ProgramIconFile(const TXdgFolders& folders) {
  return folders.DataHome() / "icons" / "hicolor" / "64x64" / "apps" / (ApplicationId() + ".png");
}

bool InstallProgramIcon(const TXdgFolders& folders) {
  RegisterProgramPictures();
  QFile source(kProgramIconPicture);
  if (!source.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = source.readAll();
  const QString target = QString::fromStdString(ProgramIconFile(folders).string());
  if (!QDir().mkpath(QFileInfo(target).absolutePath())) return false;
  QSaveFile file(target);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (file.write(bytes) != bytes.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

}  // namespace fx
