#include "ui/SplashForm.h"

#include <QEventLoop>
#include <QPixmap>
#include <QTimer>

#include "ui/ProgramPictures.h"
#include "ui/ScreenCentre.h"
#include "ui_SplashForm.h"

namespace fx {

namespace {

constexpr int kPaintTimeoutMs = 1000;

}  // namespace

TSplashForm::TSplashForm(const TClock& clock, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      FUi(std::make_unique<Ui::SplashForm>()),
      FGate(clock) {
  FUi->setupUi(this);
  RegisterProgramPictures();
  const QPixmap picture(kSplashPicture);
  FUi->Image1->setPixmap(picture);
  // The picture's last column is left out, as the window always showed it.
  setFixedSize(picture.width() - 1, picture.height());
  CentreOnScreen(*this);
}

TSplashForm::~TSplashForm() = default;

void TSplashForm::ShowAndPaint() {
  show();
  raise();
  if (FPainted) return;
  QEventLoop loop;
  FPaintWaiter = &loop;
  QTimer::singleShot(kPaintTimeoutMs, &loop, &QEventLoop::quit);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  FPaintWaiter = nullptr;
}

void TSplashForm::WaitForMinimumTime() {
  FGate.Wait(&TSplashForm::ProcessEventsFor);
}

void TSplashForm::ProcessEventsFor(std::chrono::milliseconds most) {
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  timer.start(most);
  loop.exec();
}

void TSplashForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  FGate.Shown();
}

void TSplashForm::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  FPainted = true;
  // The children are painted in the same pass, before the loop sees the request.
  if (FPaintWaiter != nullptr) FPaintWaiter->quit();
}

}  // namespace fx
