#include "settings/FormPlacementView.h"

#include <gtest/gtest.h>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

namespace fx {
namespace {

const TFormPlacement kStored{120, 80, 400, 300, 0};

TEST(FormPlacementApplyTest, ResizableWindowTakesPositionAndSize) {
  QWidget window;
  window.resize(200, 100);
  ApplyFormPlacement(window, kStored);
  EXPECT_EQ(window.geometry(), QRect(120, 80, 400, 300));
  EXPECT_EQ(window.windowState(), Qt::WindowNoState);
}

TEST(FormPlacementApplyTest, FixedSizeWindowTakesOnlyThePosition) {
  QWidget window;
  window.setFixedSize(200, 100);
  ApplyFormPlacement(window, kStored);
  EXPECT_EQ(window.geometry(), QRect(120, 80, 200, 100));
}

TEST(FormPlacementApplyTest, DialogFixedByItsLayoutKeepsItsSizeBeforeItWasShown) {
  QDialog dialog;
  auto* layout = new QVBoxLayout(&dialog);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addWidget(new QPushButton("OK"));
  ApplyFormPlacement(dialog, kStored);
  EXPECT_FALSE(IsResizable(dialog));
  EXPECT_EQ(dialog.pos(), QPoint(120, 80));
  EXPECT_NE(dialog.size(), QSize(400, 300));
  EXPECT_EQ(dialog.size(), dialog.sizeHint());
}

TEST(FormPlacementApplyTest, FixedSizeDialogHintCountsAsFixed) {
  QWidget window(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
  window.resize(200, 100);
  EXPECT_FALSE(IsResizable(window));
  ApplyFormPlacement(window, kStored);
  EXPECT_EQ(window.geometry(), QRect(120, 80, 200, 100));
}

TEST(FormPlacementApplyTest, DamagedSizeKeepsTheWindowsOwn) {
  QWidget window;
  window.resize(200, 100);
  ApplyFormPlacement(window, {10, 20, 0, -5, 0});
  EXPECT_EQ(window.geometry(), QRect(10, 20, 200, 100));
}

TEST(FormPlacementApplyTest, StateIsSetAfterTheGeometry) {
  QWidget maximised;
  ApplyFormPlacement(maximised, {120, 80, 400, 300, 2});
  EXPECT_EQ(maximised.windowState(), Qt::WindowMaximized);

  QWidget minimised;
  ApplyFormPlacement(minimised, {120, 80, 400, 300, 1});
  EXPECT_EQ(minimised.windowState(), Qt::WindowMinimized);

  QWidget normal;
  normal.setWindowState(Qt::WindowMaximized);
  ApplyFormPlacement(normal, {120, 80, 400, 300, 7});
  EXPECT_EQ(normal.windowState(), Qt::WindowNoState);
}

TEST(FormPlacementCaptureTest, NormalWindowGivesItsGeometry) {
  QWidget window;
  window.setGeometry(60, 70, 320, 240);
  EXPECT_EQ(CaptureFormPlacement(window), (TFormPlacement{60, 70, 320, 240, 0}));
}

TEST(FormPlacementCaptureTest, CaptureAndApplyRoundTripOnAShownWindow) {
  QWidget first;
  ApplyFormPlacement(first, {60, 70, 320, 240, 0});
  first.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&first));
  const TFormPlacement captured = CaptureFormPlacement(first);
  EXPECT_EQ(captured, (TFormPlacement{60, 70, 320, 240, 0}));

  QWidget second;
  ApplyFormPlacement(second, captured);
  second.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&second));
  EXPECT_EQ(CaptureFormPlacement(second), captured);
}

TEST(FormPlacementCaptureTest, MaximisedWindowGivesItsNormalGeometry) {
  QWidget window;
  window.setGeometry(60, 70, 320, 240);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.showMaximized();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.isMaximized(); }));
  EXPECT_EQ(CaptureFormPlacement(window), (TFormPlacement{60, 70, 320, 240, 2}));
}

TEST(FormPlacementCaptureTest, MinimisedWindowSaysSo) {
  QWidget window;
  window.setGeometry(60, 70, 320, 240);
  window.setWindowState(Qt::WindowMinimized);
  EXPECT_EQ(CaptureFormPlacement(window).State, 1);
}

}  // namespace
}  // namespace fx
