#include "ui/SplashForm.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Clock.h"
#include "ui/ProgramPictures.h"

namespace fx {
namespace {

using namespace std::chrono_literals;

TEST(ProgramPictures, TheSplashPictureAndTheIconAreThere) {
  RegisterProgramPictures();
  const QPixmap splash(kSplashPicture);
  EXPECT_EQ(splash.size(), QSize(421, 315));
  const QPixmap icon(kProgramIconPicture);
  EXPECT_EQ(icon.size(), QSize(64, 64));
  EXPECT_FALSE(ProgramIcon().isNull());
}

TEST(SplashForm, IsTheBorderlessPictureWithTheWaitCursorInTheMiddleOfTheScreen) {
  TManualClock clock;
  TSplashForm splash(clock);

  EXPECT_TRUE(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(splash.windowType(), Qt::SplashScreen);
  EXPECT_EQ(splash.cursor().shape(), Qt::WaitCursor);
  // One column narrower than the picture, as tall as it.
  EXPECT_EQ(splash.size(), QSize(420, 315));

  const auto* image = splash.findChild<QLabel*>("Image1");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->pixmap().size(), QSize(421, 315));
  EXPECT_FALSE(image->hasScaledContents());

  const QRect screen = splash.screen()->geometry();
  EXPECT_LE(std::abs(splash.geometry().center().x() - screen.center().x()), 1);
  EXPECT_LE(std::abs(splash.geometry().center().y() - screen.center().y()), 1);
}

TEST(SplashForm, ShowingPaintsItAndStartsTheMinimumTime) {
  TManualClock clock;
  TSplashForm splash(clock);
  clock.Advance(10s);
  EXPECT_FALSE(splash.Gate().HasBeenShown());

  splash.ShowAndPaint();

  EXPECT_TRUE(splash.isVisible());
  const QImage shown = splash.grab().toImage();
  RegisterProgramPictures();
  const QImage picture = QPixmap(kSplashPicture).toImage().copy(0, 0, 420, 315);
  EXPECT_EQ(shown.convertToFormat(QImage::Format_RGB32),
            picture.convertToFormat(QImage::Format_RGB32));
  EXPECT_TRUE(splash.Gate().HasBeenShown());
  EXPECT_EQ(splash.Gate().Remaining(), 2000ms);

  clock.Advance(2s);
  EXPECT_TRUE(splash.Gate().MinimumTimePassed());
  splash.WaitForMinimumTime();  // returns at once: the time has passed
}

TEST(SplashForm, ProcessEventsForHandlesEventsUntilTheTimeIsUp) {
  bool handled = false;
  QTimer::singleShot(0, [&handled] { handled = true; });
  QElapsedTimer elapsed;
  elapsed.start();

  TSplashForm::ProcessEventsFor(30ms);

  EXPECT_TRUE(handled);
  EXPECT_GE(elapsed.elapsed(), 30);
}

}  // namespace
}  // namespace fx
