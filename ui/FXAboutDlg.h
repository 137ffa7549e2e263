#pragma once

#include <QDialog>
#include <QImage>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Timer.h"
#include "ui/AboutContent.h"
#include "ui/UserDialogs.h"

namespace Ui {
class FXAboutDlg;
}

namespace fx {

// What the about box is built with. Tests hand in their own timers, pictures and dialogs.
struct TAboutOptions {
  TUserDialogs* Dialogs = nullptr;  // null: Qt's message boxes
  TTimerFactory MakeTimer;          // unset: timers of the GUI thread
  // The bytes of a credit picture by number; unset: the program's own pictures.
  std::function<std::string(int)> PictureData;
  // Where the links' documents are looked for from; unset: the program's own folder.
  std::optional<std::filesystem::path> ProgramFolder;
};

// "About Fraxinel": icon, title, version, memory, the trademark note and links to the
// installed README and manual page. Typing
// a code word with Alt held down turns it into a full-screen black window with a credit
// picture; "CREDITS" then rolls the credits over the backdrop after ten seconds and closes
// the window when they have passed. Escape closes it at any time.
class TFXAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TFXAboutDlg(QWidget* parent = nullptr, TAboutOptions options = {});
  ~TFXAboutDlg() override;

  bool ShowsCredits() const { return FCredits; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private slots:
  void LinkClick(const QString& address);
  void Timer1Timer();
  void ScrollText1End();

 private:
  void FormCreate();
  void FillLabels();
  void StartCredits(const TCodeWord& code);
  void GoFullScreen();
  void LoadCreditImage(int number);
  void PlaceScrollText();

  std::unique_ptr<Ui::FXAboutDlg> FUi;
  std::unique_ptr<TUserDialogs> FOwnDialogs;
  TUserDialogs* FDialogs = nullptr;
  std::function<std::string(int)> FPictureData;
  std::filesystem::path FProgramFolder;
  std::unique_ptr<TTimer> FTimer1;
  TCodeWordTyper FTyper;
  QImage FCreditPicture;
  bool FCredits = false;
  bool FCentred = false;
};

// The picture `number` decoded from `data` as a Qt image. Throws EPictureError naming the
// picture and the reason.
QImage CreditPictureImage(int number, const std::string& data);
// The program's own credit picture `number` (1000 to 1003), as stored.
std::string ProgramCreditPictureData(int number);

}  // namespace fx
