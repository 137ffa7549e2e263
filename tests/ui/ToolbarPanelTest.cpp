#include "ui/ToolbarPanel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <optional>
#include <utility>

#include "tests/ui/PixelProbe.h"

namespace fx {
namespace {

using test::Rendered;
using test::RowMismatches;
using ::testing::IsEmpty;

const QColor kLight(250, 250, 240);
const QColor kDark(110, 100, 90);
const QColor kText(10, 20, 30);
const QColor kButton(200, 190, 180);

QPalette PanelPalette() {
  QPalette colours;
  colours.setColor(QPalette::Light, kLight);
  colours.setColor(QPalette::Dark, kDark);
  colours.setColor(QPalette::WindowText, kText);
  colours.setColor(QPalette::Button, kButton);
  return colours;
}

// The two lines of each bevel, outer first, as the toolbar draws them: highlight and
// shadow, the window-text colour for the edges.
std::optional<std::pair<QColor, QColor>> BevelColours(TToolbarBevelStyle style) {
  switch (style) {
    case tbNone:
      return std::nullopt;
    case tbRaised:
      return std::pair(kLight, kDark);
    case tbLowered:
      return std::pair(kDark, kLight);
    case tbRaisedEdge:
      return std::pair(kDark, kText);
    case tbLoweredEdge:
      return std::pair(kText, kDark);
  }
  return std::nullopt;
}

const TToolbarBevelStyle kAllBevels[] = {tbNone, tbRaised, tbLowered, tbRaisedEdge, tbLoweredEdge};

std::function<QColor(int)> Solid(const QColor& colour) {
  return [colour](int) { return colour; };
}

class ToolbarPanelTest : public ::testing::Test {
 protected:
  ToolbarPanelTest() {
    FPanel.setPalette(PanelPalette());
    FPanel.resize(120, 33);
  }

  TToolbarPanel FPanel;
};

TEST_F(ToolbarPanelTest, Defaults) {
  const TToolbarPanel panel;
  EXPECT_EQ(panel.size(), QSize(100, 33));
  EXPECT_EQ(panel.BevelTop(), tbLowered);
  EXPECT_EQ(panel.BevelBottom(), tbLowered);
  EXPECT_EQ(panel.ViewStyle(), tvsStandard);
  EXPECT_EQ(panel.BorderWidth(), 0);
  EXPECT_EQ(panel.ClientWidth(), 0);
  EXPECT_EQ(panel.contentsMargins(), QMargins());
}

TEST_F(ToolbarPanelTest, PropertiesAreReachableByName) {
  EXPECT_TRUE(FPanel.setProperty("ViewStyle", QString("tvsTitle")));
  EXPECT_EQ(FPanel.ViewStyle(), tvsTitle);
  EXPECT_TRUE(FPanel.setProperty("BevelTop", QString("tbRaisedEdge")));
  EXPECT_EQ(FPanel.BevelTop(), tbRaisedEdge);
  EXPECT_TRUE(FPanel.setProperty("BevelBottom", static_cast<int>(tbNone)));
  EXPECT_EQ(FPanel.BevelBottom(), tbNone);
  EXPECT_TRUE(FPanel.setProperty("BorderWidth", 3));
  EXPECT_TRUE(FPanel.setProperty("ClientWidth", 40));
  EXPECT_EQ(FPanel.property("BorderWidth").toInt(), 3);
  EXPECT_EQ(FPanel.property("ClientWidth").toInt(), 40);
}

// --- paint -------------------------------------------------------------------------------

TEST_F(ToolbarPanelTest, StandardStyleDrawsEachBevelOverTwoRows) {
  for (const auto top : kAllBevels) {
    for (const auto bottom : kAllBevels) {
      SCOPED_TRACE(testing::Message() << "top " << top << ", bottom " << bottom);
      FPanel.SetBevelTop(top);
      FPanel.SetBevelBottom(bottom);
      const QImage image = Rendered(FPanel);
      const int h = image.height();
      const auto upper = BevelColours(top);
      const auto lower = BevelColours(bottom);
      EXPECT_THAT(RowMismatches(image, 0, Solid(upper ? upper->first : kButton)), IsEmpty());
      EXPECT_THAT(RowMismatches(image, 1, Solid(upper ? upper->second : kButton)), IsEmpty());
      EXPECT_THAT(RowMismatches(image, 2, Solid(kButton)), IsEmpty());
      EXPECT_THAT(RowMismatches(image, h / 2, Solid(kButton)), IsEmpty());
      EXPECT_THAT(RowMismatches(image, h - 3, Solid(kButton)), IsEmpty());
      EXPECT_THAT(RowMismatches(image, h - 2, Solid(lower ? lower->first : kButton)), IsEmpty());
      EXPECT_THAT(RowMismatches(image, h - 1, Solid(lower ? lower->second : kButton)), IsEmpty());
    }
  }
}

TEST_F(ToolbarPanelTest, NewStyleRaisesTheClientWidth) {
  // Bevels play no part in this style.
  FPanel.SetBevelTop(tbRaisedEdge);
  FPanel.SetBevelBottom(tbLoweredEdge);
  FPanel.SetViewStyle(tvsNewStyle);
  const int w = FPanel.width();
  // Client width -> the width of the raised part.
  const std::pair<int, int> cases[] = {{0, w}, {-3, w}, {60, 60}, {1, 1}, {w + 80, w + 80}};
  for (const auto& [clientWidth, raised] : cases) {
    SCOPED_TRACE(testing::Message() << "client width " << clientWidth);
    FPanel.SetClientWidth(clientWidth);
    const QImage image = Rendered(FPanel);
    const int h = image.height();
    const auto inside = [raised](const QColor& in) {
      return [raised, in](int x) { return x < raised ? in : kButton; };
    };
    const auto rightEdge = [raised](int x) { return x == raised - 1 ? kDark : kButton; };
    EXPECT_THAT(RowMismatches(image, 0, Solid(kDark)), IsEmpty());
    EXPECT_THAT(RowMismatches(image, 1, inside(kLight)), IsEmpty());
    EXPECT_THAT(RowMismatches(image, 2, rightEdge), IsEmpty());
    EXPECT_THAT(RowMismatches(image, h / 2, rightEdge), IsEmpty());
    EXPECT_THAT(RowMismatches(image, h - 2, rightEdge), IsEmpty());
    EXPECT_THAT(RowMismatches(image, h - 1, inside(kDark)), IsEmpty());
  }
}

TEST_F(ToolbarPanelTest, TitleStyleHasAHighlightAlongTheTop) {
  FPanel.SetBevelTop(tbRaisedEdge);
  FPanel.SetBevelBottom(tbLoweredEdge);
  FPanel.SetViewStyle(tvsTitle);
  const QImage image = Rendered(FPanel);
  const int h = image.height();
  EXPECT_THAT(RowMismatches(image, 0, Solid(kLight)), IsEmpty());
  for (const int y : {1, 2, h / 2, h - 2, h - 1}) {
    SCOPED_TRACE(y);
    EXPECT_THAT(RowMismatches(image, y, Solid(kButton)), IsEmpty());
  }
}

class PaintCounter : public TToolbarPanel {
 public:
  int Paints = 0;

 protected:
  void paintEvent(QPaintEvent* event) override {
    ++Paints;
    TToolbarPanel::paintEvent(event);
  }
};

TEST(ToolbarPanelRepaintTest, ChangingAPropertyRepaints) {
  PaintCounter panel;
  panel.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
  const std::pair<const char*, std::function<void()>> changes[] = {
      {"BevelTop", [&panel] { panel.SetBevelTop(tbRaised); }},
      {"BevelBottom", [&panel] { panel.SetBevelBottom(tbNone); }},
      {"ViewStyle", [&panel] { panel.SetViewStyle(tvsNewStyle); }},
      {"ClientWidth", [&panel] { panel.SetClientWidth(50); }},
      {"BorderWidth", [&panel] { panel.SetBorderWidth(2); }},
  };
  for (const auto& [name, change] : changes) {
    SCOPED_TRACE(name);
    QApplication::processEvents();
    panel.Paints = 0;
    change();
    EXPECT_TRUE(QTest::qWaitFor([&panel] { return panel.Paints > 0; }, 1000));
  }
}

// --- children ----------------------------------------------------------------------------

class ToolbarChildrenTest : public ::testing::Test {
 protected:
  ToolbarChildrenTest() {
    FPanel.resize(200, 33);
    auto* layout = new QHBoxLayout(&FPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    FChild = new QWidget(&FPanel);
    FChild->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    layout->addWidget(FChild);
  }

  QRect ChildArea() {
    FPanel.layout()->activate();
    return FChild->geometry();
  }

  TToolbarPanel FPanel;
  QWidget* FChild = nullptr;
};

TEST_F(ToolbarChildrenTest, BorderWidthShrinksTheAreaOnEverySide) {
  EXPECT_EQ(ChildArea(), QRect(0, 0, 200, 33));
  FPanel.SetBorderWidth(4);
  EXPECT_EQ(ChildArea(), QRect(4, 4, 192, 25));
  FPanel.SetViewStyle(tvsTitle);
  EXPECT_EQ(ChildArea(), QRect(4, 4, 192, 25));
}

TEST_F(ToolbarChildrenTest, ANegativeBorderWidthIsRefused) {
  FPanel.SetBorderWidth(3);
  FPanel.SetBorderWidth(-1);
  EXPECT_EQ(FPanel.BorderWidth(), 3);
  EXPECT_EQ(ChildArea(), QRect(3, 3, 194, 27));
}

TEST_F(ToolbarChildrenTest, NewStyleKeepsTheChildrenInsideTheClientWidth) {
  FPanel.SetBorderWidth(4);  // not used by this style
  FPanel.SetViewStyle(tvsNewStyle);
  EXPECT_EQ(ChildArea(), QRect(0, 1, 200, 31));
  FPanel.SetClientWidth(150);
  EXPECT_EQ(ChildArea(), QRect(0, 1, 150, 31));
  FPanel.resize(300, 33);
  EXPECT_EQ(ChildArea(), QRect(0, 1, 150, 31));
  FPanel.SetClientWidth(0);
  EXPECT_EQ(ChildArea(), QRect(0, 1, 300, 31));
  FPanel.SetViewStyle(tvsStandard);
  EXPECT_EQ(ChildArea(), QRect(4, 4, 292, 25));
}

// --- mouse -------------------------------------------------------------------------------

class PressCounter : public QWidget {
 public:
  int Presses = 0;

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    ++Presses;
    event->accept();
  }
};

TEST(ToolbarPanelMouseTest, LeftPressesOnThePanelItselfGoNoFurther) {
  PressCounter window;
  window.resize(200, 100);
  TToolbarPanel panel(&window);
  auto* button = new QPushButton("Go", &panel);
  button->setGeometry(150, 4, 40, 25);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(20, 15));
  EXPECT_EQ(window.Presses, 0);
  QTest::mouseClick(&panel, Qt::RightButton, {}, QPoint(20, 15));
  EXPECT_EQ(window.Presses, 1);

  // The tool buttons on it still work.
  QSignalSpy clicked(button, &QPushButton::clicked);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicked.count(), 1);
}

}  // namespace
}  // namespace fx
