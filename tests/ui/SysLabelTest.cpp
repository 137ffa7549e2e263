#include "ui/SysLabel.h"

#include <gtest/gtest.h>

#include <QFontMetrics>

#include "tests/ui/PixelProbe.h"

namespace fx {
namespace {

using test::BoundsOf;
using test::CountOf;
using test::Rendered;

const QColor kBack(200, 200, 200);
const QColor kText(0, 0, 0);
const QColor kGreyText(120, 120, 120);
const QColor kLight(255, 255, 0);
const QColor kDark(0, 0, 255);

const QString kLongPath =
    "/home/player/games/quake/id1/maps/unfinished/episode5/secret/levels/e5m7.bsp";

class SysLabelTest : public ::testing::Test {
 protected:
  SysLabelTest() {
    QPalette colours;
    colours.setColor(QPalette::Window, kBack);
    colours.setColor(QPalette::WindowText, kText);
    colours.setColor(QPalette::Disabled, QPalette::WindowText, kGreyText);
    colours.setColor(QPalette::Light, kLight);
    colours.setColor(QPalette::Dark, kDark);
    FLabel.setPalette(colours);
    // Whole pixels only, so that each one is exactly one of the colours.
    QFont font = FLabel.font();
    font.setStyleStrategy(QFont::NoAntialias);
    font.setPixelSize(14);
    FLabel.setFont(font);
    FLabel.resize(180, 24);
  }

  QRect InkBounds() {
    return BoundsOf(Rendered(FLabel), [](QRgb pixel) { return pixel != kBack.rgb(); });
  }

  int Advance(const QString& text) const {
    return QFontMetrics(FLabel.font()).horizontalAdvance(text);
  }

  TSysLabel FLabel;
};

TEST_F(SysLabelTest, Defaults) {
  EXPECT_FALSE(FLabel.ShowPath());
  EXPECT_FALSE(FLabel.property("ShowPath").toBool());
  EXPECT_TRUE(FLabel.setProperty("ShowPath", true));
  EXPECT_TRUE(FLabel.ShowPath());
}

TEST_F(SysLabelTest, ALongPathLosesItsMiddle) {
  FLabel.SetShowPath(true);
  FLabel.setText(kLongPath);
  const QString shown = FLabel.ShownText();
  EXPECT_TRUE(shown.startsWith("/home/")) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith("e5m7.bsp")) << shown.toStdString();
  EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
  EXPECT_LE(Advance(shown), FLabel.contentsRect().width());
  // What is painted reaches near the right edge but not past it: shortened, not cut.
  const QRect ink = InkBounds();
  EXPECT_LE(ink.right(), FLabel.width() - 1);
  EXPECT_GE(ink.right(), FLabel.width() - Advance("mm"));

  FLabel.resize(1000, 24);
  EXPECT_EQ(FLabel.ShownText(), kLongPath);
}

TEST_F(SysLabelTest, WithoutShowPathTheTextIsNotShortened) {
  FLabel.setText(kLongPath);
  EXPECT_EQ(FLabel.ShownText(), kLongPath);
}

TEST_F(SysLabelTest, ShowPathLetsTheLabelShrinkInALayout) {
  FLabel.setText(kLongPath);
  const int full = FLabel.minimumSizeHint().width();
  FLabel.SetShowPath(true);
  EXPECT_LT(FLabel.minimumSizeHint().width(), full / 4);
}

TEST_F(SysLabelTest, AmpersandsAreMnemonicsOnlyWithoutShowPath) {
  FLabel.setText("&&&&&&&&");
  const int advance = Advance("&");
  // "&&" stands for one ampersand: four show.
  EXPECT_LT(InkBounds().width(), 5 * advance);
  FLabel.SetShowPath(true);
  EXPECT_GT(InkBounds().width(), 6 * advance);
}

TEST_F(SysLabelTest, TheBackgroundIsTheLabelsColour) {
  FLabel.setText("Id1");
  const QImage image = Rendered(FLabel);
  EXPECT_EQ(image.pixel(0, 0), kBack.rgb());
  EXPECT_EQ(image.pixel(image.width() - 1, image.height() - 1), kBack.rgb());
}

TEST_F(SysLabelTest, EnabledTextIsDrawnOnceInTheTextColour) {
  FLabel.setText("Maps");
  const QImage image = Rendered(FLabel);
  EXPECT_GT(CountOf(image, kText), 0);
  EXPECT_EQ(CountOf(image, kLight), 0);
  EXPECT_EQ(CountOf(image, kDark), 0);
}

TEST_F(SysLabelTest, DisabledTextIsEmbossed) {
  FLabel.setText("Maps");
  FLabel.setEnabled(false);
  const QImage image = Rendered(FLabel);
  ASSERT_GT(CountOf(image, kDark), 0);
  ASSERT_GT(CountOf(image, kLight), 0);
  EXPECT_EQ(CountOf(image, kText), 0);
  EXPECT_EQ(CountOf(image, kGreyText), 0);
  // The highlight copy lies one pixel down and right of the text, which covers it where
  // they meet: each highlight pixel has a text pixel up and left of it...
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != kLight.rgb()) continue;
      ASSERT_EQ(image.pixel(x - 1, y - 1), kDark.rgb()) << x << "," << y;
    }
  }
  // ...and the text's bottom-right edge shows the highlight beyond it.
  const QRect dark = BoundsOf(image, [](QRgb pixel) { return pixel == kDark.rgb(); });
  const QRect light = BoundsOf(image, [](QRgb pixel) { return pixel == kLight.rgb(); });
  EXPECT_EQ(light.bottomRight(), dark.bottomRight() + QPoint(1, 1));
}

TEST_F(SysLabelTest, ADisabledPathIsGreyWithoutEmbossing) {
  FLabel.SetShowPath(true);
  FLabel.setText("/usr/share/games/quake");
  FLabel.setEnabled(false);
  const QImage image = Rendered(FLabel);
  EXPECT_GT(CountOf(image, kGreyText), 0);
  EXPECT_EQ(CountOf(image, kLight), 0);
}

}  // namespace
}  // namespace fx
