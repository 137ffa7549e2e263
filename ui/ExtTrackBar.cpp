#include "ui/ExtTrackBar.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>

namespace fx {

namespace {

// The band is as thick as the groove, but never more than this: some styles make the
// groove the whole height of the control.
constexpr int kMaxBandThickness = 6;

}  // namespace

TExtTrackBar::TExtTrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  setTickPosition(QSlider::TicksBelow);
  setTickInterval(1);
}

void TExtTrackBar::SetEnableSelection(bool value) {
  if (value == FEnableSelection) return;
  FEnableSelection = value;
  update();
}

void TExtTrackBar::SetSelStart(int value) {
  if (value == FSelStart) return;
  FSelStart = value;
  update();
}

void TExtTrackBar::SetSelEnd(int value) {
  if (value == FSelEnd) return;
  FSelEnd = value;
  update();
}

bool TExtTrackBar::HasSelection() const {
  return FEnableSelection && !(FSelStart == 0 && FSelEnd == 0);
}

QRect TExtTrackBar::SelectionRect() const {
  QStyleOptionSlider option;
  initStyleOption(&option);
  return SelectionRect(option);
}

int TExtTrackBar::PositionOf(const QStyleOptionSlider& option, const QRect& groove,
                             int value) const {
  const QRect handle =
      style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
  const bool horizontal = orientation() == Qt::Horizontal;
  const int handleLength = horizontal ? handle.width() : handle.height();
  const int grooveStart = horizontal ? groove.left() : groove.top();
  const int grooveLength = horizontal ? groove.width() : groove.height();
  const int clamped = std::clamp(value, minimum(), maximum());
  return grooveStart + handleLength / 2 +
         QStyle::sliderPositionFromValue(minimum(), maximum(), clamped, grooveLength - handleLength,
                                         option.upsideDown);
}

QRect TExtTrackBar::SelectionRect(const QStyleOptionSlider& option) const {
  if (!HasSelection()) return {};
  const QRect groove =
      style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
  const int from = PositionOf(option, groove, FSelStart);
  const int to = PositionOf(option, groove, FSelEnd);
  const int low = std::min(from, to);
  const int length = std::max(from, to) - low + 1;
  if (orientation() == Qt::Horizontal) {
    const int thickness = std::min(groove.height(), kMaxBandThickness);
    return QRect(low, groove.center().y() - (thickness - 1) / 2, length, thickness);
  }
  const int thickness = std::min(groove.width(), kMaxBandThickness);
  return QRect(groove.center().x() - (thickness - 1) / 2, low, thickness, length);
}

void TExtTrackBar::paintEvent(QPaintEvent* /*event*/) {
  // Groove, band, then handle and ticks, so that the handle stays on top of the band.
  QPainter painter(this);
  QStyleOptionSlider option;
  initStyleOption(&option);

  QStyleOptionSlider groove = option;
  groove.subControls = QStyle::SC_SliderGroove;
  // Styles such as Fusion fill the groove up to the handle in the highlight colour, which
  // would hide the range: drawn as if at the start, the groove stays plain.
  if (FEnableSelection) groove.sliderPosition = groove.sliderValue = minimum();
  style()->drawComplexControl(QStyle::CC_Slider, &groove, &painter, this);

  const QRect band = SelectionRect(option);
  if (!band.isEmpty()) painter.fillRect(band, palette().color(QPalette::Highlight));

  option.subControls = QStyle::SC_SliderHandle;
  if (tickPosition() != QSlider::NoTicks) option.subControls |= QStyle::SC_SliderTickmarks;
  style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);
}

}  // namespace fx
