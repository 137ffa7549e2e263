#include "ui/ExtTrackBar.h"

#include <gtest/gtest.h>

#include <QStyle>
#include <QStyleOptionSlider>

#include "tests/ui/PixelProbe.h"

namespace fx {
namespace {

using test::BoundsOf;
using test::CountOf;
using test::Rendered;

const QColor kBand(255, 0, 255);

// Tells where the style puts the handle, which is where a value lies on the groove.
class ProbedTrackBar : public TExtTrackBar {
 public:
  int HandleCentreAt(int value) {
    const int saved = this->value();
    setValue(value);
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    setValue(saved);
    return handle.center().x();
  }
};

// Pixels of roughly the band's colour, also where a style blends it.
bool BandLike(QRgb pixel) {
  return qRed(pixel) > 160 && qBlue(pixel) > 160 && qGreen(pixel) < 120;
}

class ExtTrackBarTest : public ::testing::Test {
 protected:
  ExtTrackBarTest() {
    QPalette colours = FBar.palette();
    colours.setColor(QPalette::Highlight, kBand);
    FBar.setPalette(colours);
    // The main window's limits: 2 to 16 with a tick every 2.
    FBar.setRange(2, 16);
    FBar.setTickInterval(2);
    FBar.resize(240, 32);
    FBar.setValue(16);
  }

  QRect Band() {
    return BoundsOf(Rendered(FBar), [](QRgb pixel) { return pixel == kBand.rgb(); });
  }

  ProbedTrackBar FBar;
};

TEST_F(ExtTrackBarTest, Defaults) {
  const TExtTrackBar bar;
  EXPECT_EQ(bar.orientation(), Qt::Horizontal);
  EXPECT_EQ(bar.tickPosition(), QSlider::TicksBelow);
  EXPECT_FALSE(bar.EnableSelection());
  EXPECT_EQ(bar.SelStart(), 0);
  EXPECT_EQ(bar.SelEnd(), 0);
  EXPECT_FALSE(bar.HasSelection());
}

TEST_F(ExtTrackBarTest, PropertiesAreReachableByName) {
  EXPECT_TRUE(FBar.setProperty("EnableSelection", true));
  EXPECT_TRUE(FBar.setProperty("SelStart", 4));
  EXPECT_TRUE(FBar.setProperty("SelEnd", 10));
  EXPECT_TRUE(FBar.EnableSelection());
  EXPECT_EQ(FBar.property("SelStart").toInt(), 4);
  EXPECT_EQ(FBar.property("SelEnd").toInt(), 10);
}

TEST_F(ExtTrackBarTest, TheBandRunsBetweenTheValuesOfBothEnds) {
  FBar.SetEnableSelection(true);
  FBar.SetSelStart(4);
  FBar.SetSelEnd(10);
  const QImage image = Rendered(FBar);
  const QRect band = BoundsOf(image, [](QRgb pixel) { return pixel == kBand.rgb(); });
  ASSERT_FALSE(band.isEmpty());
  EXPECT_NEAR(band.left(), FBar.HandleCentreAt(4), 1);
  EXPECT_NEAR(band.right(), FBar.HandleCentreAt(10), 1);
  EXPECT_GE(band.height(), 2);
  for (int x = band.left(); x <= band.right(); ++x) {
    ASSERT_EQ(image.pixel(x, band.center().y()), kBand.rgb()) << x;
  }
  // Nothing of the band's colour anywhere else, not even the style's own fill of the
  // groove up to the handle, which would make the range unreadable.
  const QRect elsewhere =
      BoundsOf(image, [](QRgb pixel) { return BandLike(pixel) && pixel != kBand.rgb(); });
  EXPECT_TRUE(elsewhere.isEmpty() || band.contains(elsewhere)) << elsewhere.x();
  EXPECT_EQ(FBar.SelectionRect(), band);
}

TEST_F(ExtTrackBarTest, EndsInEitherOrderGiveTheSameBand) {
  FBar.SetEnableSelection(true);
  FBar.SetSelStart(4);
  FBar.SetSelEnd(10);
  const QRect forward = Band();
  FBar.SetSelStart(10);
  FBar.SetSelEnd(4);
  EXPECT_EQ(Band(), forward);
}

TEST_F(ExtTrackBarTest, EndsOutsideTheRangeStopAtItsEnds) {
  FBar.setValue(2);
  FBar.SetEnableSelection(true);
  FBar.SetSelStart(8);
  FBar.SetSelEnd(100);
  const QRect band = Band();
  ASSERT_FALSE(band.isEmpty());
  EXPECT_NEAR(band.left(), FBar.HandleCentreAt(8), 1);
  EXPECT_NEAR(band.right(), FBar.HandleCentreAt(16), 1);
}

TEST_F(ExtTrackBarTest, BothEndsZeroShowNoSelection) {
  FBar.SetEnableSelection(true);
  FBar.SetSelStart(6);
  FBar.SetSelEnd(12);
  ASSERT_FALSE(Band().isEmpty());
  FBar.SetSelStart(0);
  FBar.SetSelEnd(0);
  EXPECT_FALSE(FBar.HasSelection());
  EXPECT_TRUE(FBar.SelectionRect().isEmpty());
  EXPECT_EQ(CountOf(Rendered(FBar), kBand), 0);

  // One end 0 is a selection from the start of the range.
  FBar.SetSelEnd(6);
  EXPECT_NEAR(Band().left(), FBar.HandleCentreAt(2), 1);
}

TEST_F(ExtTrackBarTest, WithoutEnableSelectionThereIsNoBand) {
  FBar.setValue(2);
  FBar.SetSelStart(4);
  FBar.SetSelEnd(10);
  EXPECT_FALSE(FBar.HasSelection());
  EXPECT_EQ(CountOf(Rendered(FBar), kBand), 0);
  FBar.SetEnableSelection(true);
  EXPECT_FALSE(Band().isEmpty());
}

}  // namespace
}  // namespace fx
