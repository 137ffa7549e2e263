#include "ui/ExtendedHint.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>

#include <memory>

#include "tests/ui/PixelProbe.h"
#include "ui/NewHintWindow.h"

namespace fx {
namespace {

using test::BoundsOf;
using test::Rendered;

// Sends the tool-tip event Qt sends when the mouse rests over `widget`; true when some
// receiver took it.
bool RestMouseOn(QWidget& widget, QPoint global) {
  QHelpEvent help(QEvent::ToolTip, widget.mapFromGlobal(global), global);
  QApplication::sendEvent(&widget, &help);
  return help.isAccepted();
}

// The application's tool-tip palette is global: every test leaves it as it found it, and
// no tool tip of Qt's own open.
class ToolTipState : public ::testing::Test {
 protected:
  void SetUp() override { FSavedPalette = QToolTip::palette(); }
  void TearDown() override {
    QToolTip::setPalette(FSavedPalette);
    QToolTip::hideText();
  }

 private:
  QPalette FSavedPalette;
};

class ExtendedHintTest : public ToolTipState {
 protected:
  void SetUp() override {
    ToolTipState::SetUp();
    auto* layout = new QVBoxLayout(&FForm);
    FButton = new QPushButton("Launch", &FForm);
    FEdit = new QLineEdit(&FForm);
    layout->addWidget(FButton);
    layout->addWidget(FEdit);
    FForm.setGeometry(100, 100, 300, 120);
    FForm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&FForm));
  }

  bool HintShown() const { return FHint->HintWindow().isVisible(); }
  QString HintText() const { return FHint->HintWindow().Text(); }
  QRect HintRect() const { return FHint->HintWindow().geometry(); }

  QWidget FForm;
  QPushButton* FButton = nullptr;
  QLineEdit* FEdit = nullptr;
  std::unique_ptr<TExtendedHint> FHint = std::make_unique<TExtendedHint>();
};

// --- properties --------------------------------------------------------------------------

TEST_F(ExtendedHintTest, DefaultsAndPropertyNames) {
  EXPECT_TRUE(FHint->property("Enabled").toBool());
  EXPECT_TRUE(FHint->property("CmdsEnabled").toBool());
  EXPECT_EQ(FHint->property("HintColor").value<QColor>(),
            QToolTip::palette().color(QPalette::Inactive, QPalette::ToolTipBase));
  EXPECT_EQ(FHint->property("ColorCmd").value<QChar>(), QChar('#'));
  EXPECT_EQ(FHint->property("FixedCmd").value<QChar>(), QChar('&'));
  EXPECT_EQ(FHint->property("LineCmd").value<QChar>(), QChar('@'));
  EXPECT_EQ(FHint->property("FixedWitdh").toInt(), 150);

  EXPECT_TRUE(FHint->setProperty("LineCmd", QChar('+')));
  EXPECT_EQ(FHint->LineCmd(), QChar('+'));
  EXPECT_TRUE(FHint->setProperty("FixedWitdh", 160));
  EXPECT_EQ(FHint->FixedWitdh(), 160);
}

TEST_F(ExtendedHintTest, FixedWitdh99KeepsTheOldWidth) {
  FHint->SetFixedWitdh(160);
  FHint->SetFixedWitdh(99);
  EXPECT_EQ(FHint->FixedWitdh(), 160);
  FHint->setProperty("FixedWitdh", 50);
  EXPECT_EQ(FHint->FixedWitdh(), 160);
}

TEST_F(ExtendedHintTest, CommandCharactersOutsideAsciiAreRefused) {
  FHint->SetLineCmd(QChar(0x00E9));
  FHint->SetColorCmd(QChar(0x20AC));
  EXPECT_EQ(FHint->LineCmd(), QChar('@'));
  EXPECT_EQ(FHint->ColorCmd(), QChar('#'));
}

// --- showing -----------------------------------------------------------------------------

TEST_F(ExtendedHintTest, ShowsTheProcessedShortHintBelowTheCursor) {
  FHint->SetLineCmd('+');
  FButton->setToolTip("Frag+limit|Sets the frag limit");

  EXPECT_TRUE(RestMouseOn(*FButton, {300, 200}));

  ASSERT_TRUE(HintShown());
  EXPECT_EQ(HintText(), "Frag\nlimit");
  // At the cursor's x, at the cursor's bottom less an eighth of its height.
  const int below = TExtendedHint::kCursorHeight - TExtendedHint::kCursorHeight / 8;
  EXPECT_EQ(HintRect().topLeft(), QPoint(300, 200 + below));
  const QFontMetrics metrics(FHint->HintWindow().font());
  EXPECT_GE(HintRect().height(), 2 * metrics.height());
  EXPECT_FALSE(QToolTip::isVisible());
}

TEST_F(ExtendedHintTest, FixedCommandWrapsTheHintAtTheFixedWidth) {
  const QString words =
      "The time limit ends the match after this many minutes, whatever "
      "the score is at that moment";
  FHint->SetFixedWitdh(160);
  FButton->setToolTip(words);
  RestMouseOn(*FButton, {150, 150});
  ASSERT_TRUE(HintShown());
  const QRect free = HintRect();
  EXPECT_GT(free.width(), 160);

  FButton->setToolTip("&" + words);
  RestMouseOn(*FButton, {150, 150});
  ASSERT_TRUE(HintShown());
  EXPECT_EQ(HintText(), words);
  EXPECT_LE(HintRect().width(), 160);
  EXPECT_GT(HintRect().width(), 100);
  EXPECT_GT(HintRect().height(), 2 * free.height());
}

TEST_F(ExtendedHintTest, ColorCommandPaintsTheHintInTheControlsTagColour) {
  FButton->setProperty("Tag", 0x0000FF);  // red, as the colour value stores it
  FButton->setToolTip("#Danger");
  RestMouseOn(*FButton, {150, 150});
  ASSERT_TRUE(HintShown());
  EXPECT_EQ(HintText(), "Danger");
  EXPECT_EQ(FHint->HintWindow().Color(), QColor(255, 0, 0));
  EXPECT_EQ(QColor(Rendered(FHint->HintWindow()).pixel(1, 1)), QColor(255, 0, 0));

  // A system colour cannot be shown: the hint keeps the hint colour.
  FButton->setProperty("Tag", static_cast<int>(0x80000018u));
  RestMouseOn(*FButton, {150, 150});
  EXPECT_EQ(FHint->HintWindow().Color(), FHint->HintColor());

  FButton->setToolTip("Calm");
  RestMouseOn(*FButton, {150, 150});
  EXPECT_EQ(FHint->HintWindow().Color(), FHint->HintColor());
}

TEST_F(ExtendedHintTest, HintColorIsTheApplicationsHintColour) {
  const QColor sand(230, 220, 170);
  FHint->SetHintColor(sand);
  EXPECT_EQ(FHint->HintColor(), sand);
  EXPECT_EQ(QToolTip::palette().color(QPalette::Inactive, QPalette::ToolTipBase), sand);

  FButton->setToolTip("Launch");
  RestMouseOn(*FButton, {150, 150});
  EXPECT_EQ(FHint->HintWindow().Color(), sand);
}

TEST_F(ExtendedHintTest, CommandsOffShowTheTextAsItStands) {
  FHint->SetCmdsEnabled(false);
  FButton->setToolTip("Salt & pepper #1 @ home|long");
  RestMouseOn(*FButton, {150, 150});
  ASSERT_TRUE(HintShown());
  EXPECT_EQ(HintText(), "Salt & pepper #1 @ home");
}

TEST_F(ExtendedHintTest, AChildWithoutAHintShowsItsParents) {
  FForm.setToolTip("The@form");
  EXPECT_TRUE(RestMouseOn(*FEdit, {150, 150}));
  ASSERT_TRUE(HintShown());
  EXPECT_EQ(HintText(), "The\nform");
}

TEST_F(ExtendedHintTest, AHintOfOnlyCommandsShowsNothing) {
  FButton->setToolTip("&");
  EXPECT_TRUE(RestMouseOn(*FButton, {150, 150}));
  EXPECT_FALSE(HintShown());
  EXPECT_NE(QToolTip::text(), "&");
}

TEST_F(ExtendedHintTest, TheHintStaysOnTheScreen) {
  FButton->setToolTip("A hint near the corner of the screen");
  const QRect screen = FButton->screen()->availableGeometry();
  RestMouseOn(*FButton, screen.bottomRight() - QPoint(2, 2));
  ASSERT_TRUE(HintShown());
  EXPECT_TRUE(screen.contains(HintRect())) << HintRect().x() << "," << HintRect().y();
}

// --- hiding ------------------------------------------------------------------------------

TEST_F(ExtendedHintTest, LeavingClickingAndTypingHideTheHint) {
  FButton->setToolTip("Launch");

  RestMouseOn(*FButton, {150, 150});
  ASSERT_TRUE(HintShown());
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(FButton, &leave);
  EXPECT_FALSE(HintShown());

  RestMouseOn(*FButton, {150, 150});
  ASSERT_TRUE(HintShown());
  QTest::mouseClick(FEdit, Qt::LeftButton);
  EXPECT_FALSE(HintShown());

  RestMouseOn(*FButton, {150, 150});
  ASSERT_TRUE(HintShown());
  QTest::keyClick(FEdit, Qt::Key_A);
  EXPECT_FALSE(HintShown());
}

TEST_F(ExtendedHintTest, LeavingAnotherWidgetKeepsTheHint) {
  FButton->setToolTip("Launch");
  RestMouseOn(*FButton, {150, 150});
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(FEdit, &leave);
  EXPECT_TRUE(HintShown());
}

TEST_F(ExtendedHintTest, AFormsOwnHintObjectServesItsControlsAndTheProgramsTheRest) {
  QWidget dialog;
  auto* button = new QPushButton("Sum", &dialog);
  dialog.setGeometry(450, 100, 200, 80);
  dialog.show();
  auto* own = new TExtendedHint(&dialog);  // the form's, with its own line command
  own->SetLineCmd('+');
  button->setToolTip("1+2+3");
  FButton->setToolTip("4+5");

  RestMouseOn(*button, {500, 120});
  EXPECT_EQ(own->HintWindow().Text(), "1\n2\n3");
  EXPECT_FALSE(HintShown());

  RestMouseOn(*FButton, {150, 150});
  ASSERT_TRUE(HintShown());
  EXPECT_EQ(HintText(), "4+5");
  EXPECT_EQ(own->HintWindow().Text(), "1\n2\n3");

  own->SetEnabled(false);  // a form whose own is off: the program's serves it
  RestMouseOn(*button, {500, 120});
  EXPECT_EQ(HintText(), "1+2+3");
}

// --- giving the tips back to Qt ----------------------------------------------------------

TEST_F(ExtendedHintTest, TurningItOffGivesTheTipsBackToQt) {
  FButton->setToolTip("Off+tip|long");
  FHint->SetEnabled(false);
  RestMouseOn(*FButton, {150, 150});
  EXPECT_FALSE(HintShown());
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), "Off+tip|long");

  FHint->SetEnabled(true);
  FButton->setToolTip("On@again");
  RestMouseOn(*FButton, {150, 150});
  ASSERT_TRUE(HintShown());
  EXPECT_EQ(HintText(), "On\nagain");
}

TEST_F(ExtendedHintTest, TurningItOffHidesItsHint) {
  FButton->setToolTip("Launch");
  RestMouseOn(*FButton, {150, 150});
  ASSERT_TRUE(HintShown());
  FHint->SetEnabled(false);
  EXPECT_FALSE(HintShown());
}

TEST_F(ExtendedHintTest, DestroyingItGivesTheTipsBackToQt) {
  FHint.reset();
  FButton->setToolTip("After@destruction");
  RestMouseOn(*FButton, {150, 150});
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), "After@destruction");
}

// --- the hint window ---------------------------------------------------------------------

class NewHintWindowTest : public ToolTipState {
 protected:
  void SetUp() override {
    ToolTipState::SetUp();
    QPalette colours = QToolTip::palette();
    colours.setColor(QPalette::ToolTipBase, FBack);
    colours.setColor(QPalette::ToolTipText, FInk);
    QToolTip::setPalette(colours);
  }

  // The bounds of what the text painted, inside the frame.
  QRect InkBounds(TNewHintWindow& window) const {
    const QImage image = Rendered(window).copy(window.rect().adjusted(1, 1, -1, -1));
    const QRgb back = FBack.rgb();
    return BoundsOf(image, [back](QRgb pixel) { return pixel != back; }).translated(1, 1);
  }

  const QColor FBack{255, 255, 225};
  const QColor FInk{0, 0, 160};
};

TEST_F(NewHintWindowTest, IsAToolTipWindowThatNeverTakesFocusOrTheMouse) {
  TNewHintWindow window;
  EXPECT_EQ(window.windowType(), Qt::ToolTip);
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
  EXPECT_TRUE(window.testAttribute(Qt::WA_TransparentForMouseEvents));
  EXPECT_TRUE(window.testAttribute(Qt::WA_ShowWithoutActivating));
  EXPECT_EQ(window.focusPolicy(), Qt::NoFocus);
  EXPECT_FALSE(window.isVisible());
}

TEST_F(NewHintWindowTest, ActivatingShowsTheTextOverTheRectangleTwoPixelsLower) {
  TNewHintWindow window;
  window.ActivateHint(QRect(10, 20, 120, 40), "Hint");
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.geometry(), QRect(10, 20, 120, 38));
  EXPECT_EQ(window.Text(), "Hint");
  EXPECT_EQ(window.Color(), FBack);
  EXPECT_FALSE(window.isActiveWindow());
}

TEST_F(NewHintWindowTest, PaintsABlackFrameAndTheTextCentredInTheToolTipColours) {
  TNewHintWindow window;
  QFont font = window.font();
  font.setStyleStrategy(QFont::NoAntialias);  // whole pixels in exactly the text colour
  window.setFont(font);
  window.ActivateHint(QRect(0, 0, 140, 50), "Hint");
  const QImage image = Rendered(window);
  const int w = image.width();
  const int h = image.height();
  for (int x = 0; x < w; ++x) {
    ASSERT_EQ(QColor(image.pixel(x, 0)), QColor(Qt::black)) << x;
    ASSERT_EQ(QColor(image.pixel(x, h - 1)), QColor(Qt::black)) << x;
  }
  for (int y = 0; y < h; ++y) {
    ASSERT_EQ(QColor(image.pixel(0, y)), QColor(Qt::black)) << y;
    ASSERT_EQ(QColor(image.pixel(w - 1, y)), QColor(Qt::black)) << y;
  }
  EXPECT_EQ(QColor(image.pixel(1, 1)), FBack);
  EXPECT_GT(test::CountOf(image, FInk), 0);

  const QRect ink = InkBounds(window);
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_NEAR(ink.center().x(), window.rect().center().x(), 3);
  EXPECT_NEAR(ink.center().y(), window.rect().center().y(), 3);
}

TEST_F(NewHintWindowTest, AmpersandsAreShownAsTheyStand) {
  TNewHintWindow window;
  const QString eight = "&&&&&&&&";
  window.ActivateHint(QRect(0, 0, 300, 40), eight);
  const int advance = QFontMetrics(window.font()).horizontalAdvance('&');
  // With mnemonics, "&&" would be one ampersand and only four would show.
  EXPECT_GT(InkBounds(window).width(), 6 * advance);
}

TEST_F(NewHintWindowTest, CalcHintRectWrapsAtTheWidthAndLeavesRoomForTheFrame) {
  TNewHintWindow window;
  const QString text =
      "A hint long enough to need several lines when it may not be wider "
      "than a hundred and twenty pixels";
  const QRect rect = window.CalcHintRect(120, text);
  EXPECT_EQ(rect.topLeft(), QPoint(0, 0));
  EXPECT_LE(rect.width(), 120);
  const QFontMetrics metrics(window.font());
  EXPECT_GE(rect.height(), 3 * metrics.height());

  const QRect line = window.CalcHintRect(1000, "Short");
  EXPECT_LT(line.height(), 2 * metrics.height());
  window.ActivateHint(line, "Short");
  // After the two rows ActivateHint takes, the text still clears the frame.
  const QRect ink = InkBounds(window);
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_GE(ink.left(), 2);
  EXPECT_GE(ink.top(), 1);
  EXPECT_LE(ink.right(), window.width() - 3);
  EXPECT_LE(ink.bottom(), window.height() - 2);
}

}  // namespace
}  // namespace fx
