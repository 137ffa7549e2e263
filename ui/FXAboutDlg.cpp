#include "ui/FXAboutDlg.h"

#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QFont>
#include <QKeyEvent>
#include <QPalette>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>
#include <iterator>
#include <utility>

#include "platform/Memory.h"
#include "platform/QtTimer.h"
#include "platform/Shell.h"
#include "ui/JpegPicture.h"
#include "ui/ProgramPictures.h"
#include "ui/QtUserDialogs.h"
#include "ui/ScreenCentre.h"
#include "ui_FXAboutDlg.h"

namespace fx {

namespace {

constexpr std::chrono::milliseconds kCreditsDelay{10000};
constexpr int kCreditSteps = 1000;
constexpr int kCreditSpeed = 100;  // ms per step
constexpr int kCreditFontPixels = 48;
constexpr double kScrollWidthShare = 0.625;
constexpr double kScrollHeightShare = 0.6;
constexpr int kAboutWidth = 400;

QString ToQt(const std::string& text) {
  return QString::fromStdString(text);
}

QString LinkText(const TAboutLink& link) {
  const QUrl url =
      QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(link.File.string())));
  return QStringLiteral("<a href=\"%1\">%2</a>")
      .arg(url.toString(QUrl::FullyEncoded).toHtmlEscaped(), ToQt(link.Caption).toHtmlEscaped());
}

}  // namespace

std::string ProgramCreditPictureData(int number) {
  RegisterProgramPictures();
  QFile file(kCreditPicture.arg(number));
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

QImage CreditPictureImage(int number, const std::string& data) {
  TPixels pixels;
  try {
    pixels = DecodeJpeg(data);
  } catch (const EPictureError& e) {
    throw EPictureError("The credit picture " + std::to_string(number) + " could not be shown.\n" +
                        e.what());
  }
  const QImage view(pixels.Rgb.data(), pixels.Width, pixels.Height, pixels.Width * 3,
                    QImage::Format_RGB888);
  return view.copy();  // the view does not own the pixels
}

TFXAboutDlg::TFXAboutDlg(QWidget* parent, TAboutOptions options)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      FUi(std::make_unique<Ui::FXAboutDlg>()),
      FPictureData(options.PictureData ? std::move(options.PictureData) : ProgramCreditPictureData),
      FProgramFolder(options.ProgramFolder.value_or(
          QFile::encodeName(QApplication::applicationDirPath()).toStdString())) {
  FUi->setupUi(this);
  if (options.Dialogs != nullptr) {
    FDialogs = options.Dialogs;
  } else {
    FOwnDialogs = std::make_unique<TQtUserDialogs>(this);
    FDialogs = FOwnDialogs.get();
  }
  const TTimerFactory makeTimer = options.MakeTimer ? options.MakeTimer : TQtTimer::Make;
  FTimer1 = makeTimer();
  FTimer1->SetInterval(kCreditsDelay);
  FTimer1->SetOnTimer([this] { Timer1Timer(); });
  FUi->ScrollText1->SetTimer(makeTimer());
  FillLabels();
  // The panel holds the about box proper; the credit picture and the scrolling text lie
  // outside the layout, placed by hand over the full-screen window.
  auto* layout = new QVBoxLayout(this);  // owned by the dialog
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(FUi->AboutPanel);
  FUi->AboutLayout->setContentsMargins(12, 12, 12, 12);
  FUi->AboutPanel->setMinimumWidth(kAboutWidth);
  setFixedSize(sizeHint());
  connect(FUi->HomeLinkLabel, &QLabel::linkActivated, this, &TFXAboutDlg::LinkClick);
  connect(FUi->MailLinkLabel, &QLabel::linkActivated, this, &TFXAboutDlg::LinkClick);
  connect(FUi->ScrollText1, &TScrollText::End, this, &TFXAboutDlg::ScrollText1End);
  FormCreate();
}

TFXAboutDlg::~TFXAboutDlg() {
  FTimer1->Stop();
}

void TFXAboutDlg::FillLabels() {
  RegisterProgramPictures();
  FUi->ProgramIcon->setPixmap(ProgramIcon().pixmap(64, 64));
  FUi->AppNameLabel->setText(QApplication::applicationDisplayName().isEmpty()
                                 ? QStringLiteral("Fraxinel")
                                 : QApplication::applicationDisplayName());
  QFont title = FUi->AppNameLabel->font();
  title.setPointSizeF(title.pointSizeF() * 1.8);
  title.setBold(true);
  FUi->AppNameLabel->setFont(title);
  FUi->VersionLabel->setText(ToQt(AboutVersionText(ProgramVersion())));
  if (const std::uint64_t memory = TotalPhysicalMemory(); memory > 0)
    FUi->MemLabel->setText(ToQt(AboutMemoryText(memory)));
  FUi->TrademarkLabel->setText(QString::fromLatin1(kAboutTrademarkNote));
  const std::vector<TAboutLink> links = AboutLinks(FProgramFolder);
  QLabel* const labels[] = {FUi->HomeLinkLabel, FUi->MailLinkLabel};
  for (std::size_t i = 0; i < std::size(labels); ++i) {
    labels[i]->setVisible(i < links.size());
    if (i < links.size()) labels[i]->setText(LinkText(links[i]));
  }
}

void TFXAboutDlg::FormCreate() {
  TScrollText& scroll = *FUi->ScrollText1;
  TScrollTextCore& core = scroll.Core();
  core.SetTextStyle(TTextStyle::tsShaddow);
  core.SetSteps(kCreditSteps);
  core.SetSpeed(kCreditSpeed);
  scroll.SetColor(Qt::black);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(kCreditFontPixels);
  font.setBold(true);
  scroll.SetFont(font);
  scroll.SetFontColor(Qt::blue);
  core.SetAlignment(TTextAlignment::taCenter);
  core.SetScrollDirection(TScrollDirection::sdBottomToTop);
  core.SetContinuous(false);
  core.SetItems(CreditLines());
  core.Stop();
}

void TFXAboutDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!FCentred) {
    FCentred = true;
    CentreOnScreen(*this);
  }
}

void TFXAboutDlg::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (!FCredits && (event->modifiers() & Qt::AltModifier) && key >= Qt::Key_A && key <= Qt::Key_Z) {
    const TCodeWordTyper::TResult typed = FTyper.Type(static_cast<char>('A' + (key - Qt::Key_A)));
    if (typed.Consumed) {
      event->accept();
      if (typed.Completed != nullptr) StartCredits(*typed.Completed);
      return;
    }
  }
  QDialog::keyPressEvent(event);
}

void TFXAboutDlg::StartCredits(const TCodeWord& code) {
  FCredits = true;
  FUi->AboutPanel->hide();
  GoFullScreen();
  FUi->CreditImage->setGeometry(rect());
  FUi->CreditImage->show();
  FUi->CreditImage->raise();
  LoadCreditImage(code.Picture);
  if (code.Word == kCodeWords[0].Word) FTimer1->Start();
}

void TFXAboutDlg::GoFullScreen() {
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setAutoFillBackground(true);
  setMinimumSize(0, 0);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  // The pointer goes out of the way, to the right end of the screen's top edge, and is not
  // drawn over the pictures.
  setCursor(Qt::BlankCursor);
  const QScreen* screen = this->screen();
  if (screen != nullptr) {
    QCursor::setPos(screen->geometry().topRight());
    setGeometry(screen->geometry());
  }
  // A full-screen window has no border.
  showFullScreen();
}

void TFXAboutDlg::LoadCreditImage(int number) {
  try {
    FCreditPicture = CreditPictureImage(number, FPictureData(number));
    FUi->CreditImage->setPixmap(QPixmap::fromImage(FCreditPicture));
  } catch (const EPictureError& e) {
    FCreditPicture = {};
    FUi->CreditImage->clear();
    TMessage message;
    message.Text = e.what();
    message.Icon = TMsgIcon::Error;
    FDialogs->ShowMessage(message);
  }
}

void TFXAboutDlg::Timer1Timer() {
  FTimer1->Stop();
  LoadCreditImage(kCreditsBackdropPicture);
  PlaceScrollText();
  FUi->ScrollText1->raise();
  FUi->ScrollText1->show();
  FUi->ScrollText1->Core().Start(0);
}

// 62.5 % of the picture's width and 60 % of its height, centred on it (the picture stands
// centred in the window; without one the window stands in for it).
void TFXAboutDlg::PlaceScrollText() {
  const QSize picture = FCreditPicture.isNull() ? size() : FCreditPicture.size();
  const int w = static_cast<int>(std::lround(picture.width() * kScrollWidthShare));
  const int h = static_cast<int>(std::lround(picture.height() * kScrollHeightShare));
  FUi->ScrollText1->setGeometry((width() - w) / 2, (height() - h) / 2, w, h);
}

void TFXAboutDlg::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (!FCredits) return;
  FUi->CreditImage->setGeometry(rect());
  if (FUi->ScrollText1->isVisible()) PlaceScrollText();
}

void TFXAboutDlg::ScrollText1End() {
  close();
}

void TFXAboutDlg::done(int result) {
  FTimer1->Stop();
  FUi->ScrollText1->Core().Stop();
  if (FCredits) unsetCursor();
  QDialog::done(result);
}

void TFXAboutDlg::LinkClick(const QString& address) {
  const std::string file = QFile::encodeName(QUrl(address).toLocalFile()).toStdString();
  if (ShellSucceeded(ShellExecute("open", file, "", ""))) return;
  TMessage message;
  message.Text = "The file could not be opened:\n" + file;
  message.Icon = TMsgIcon::Error;
  FDialogs->ShowMessage(message);
}

}  // namespace fx
