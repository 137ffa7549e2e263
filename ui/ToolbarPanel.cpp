#include "ui/ToolbarPanel.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <utility>

namespace fx {

namespace {

// The two lines of a bevel, outer first: highlight and shadow are the palette's Light and
// Dark, as Windows' button highlight and shadow.
std::pair<QPalette::ColorRole, QPalette::ColorRole> BevelLines(TToolbarBevelStyle style) {
  switch (style) {
    case tbRaised:
      return {QPalette::Light, QPalette::Dark};
    case tbLowered:
      return {QPalette::Dark, QPalette::Light};
    case tbRaisedEdge:
      return {QPalette::Dark, QPalette::WindowText};
    case tbLoweredEdge:
      return {QPalette::WindowText, QPalette::Dark};
    case tbNone:
      break;
  }
  return {QPalette::NoRole, QPalette::NoRole};
}

void DrawRow(QPainter& painter, int y, int width, const QColor& colour) {
  painter.fillRect(QRect(0, y, width, 1), colour);
}

}  // namespace

TToolbarPanel::TToolbarPanel(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(100, 33);
}

void TToolbarPanel::SetBevelTop(TToolbarBevelStyle value) {
  if (value == FBevelTop) return;
  FBevelTop = value;
  update();
}

void TToolbarPanel::SetBevelBottom(TToolbarBevelStyle value) {
  if (value == FBevelBottom) return;
  FBevelBottom = value;
  update();
}

void TToolbarPanel::SetViewStyle(TTPViewStyle value) {
  if (value == FViewStyle) return;
  FViewStyle = value;
  AlignChildren();
  update();
}

void TToolbarPanel::SetBorderWidth(int value) {
  if (value < 0 || value == FBorderWidth) return;
  FBorderWidth = value;
  AlignChildren();
  update();
}

void TToolbarPanel::SetClientWidth(int value) {
  if (value == FClientWidth) return;
  FClientWidth = value;
  AlignChildren();
  update();
}

int TToolbarPanel::RaisedWidth() const {
  return FClientWidth < 1 ? width() : FClientWidth;
}

void TToolbarPanel::AlignChildren() {
  if (FViewStyle == tvsNewStyle) {
    const int right = FClientWidth > 0 ? std::max(0, width() - FClientWidth) : 0;
    setContentsMargins(0, 1, right, 1);
  } else {
    setContentsMargins(FBorderWidth, FBorderWidth, FBorderWidth, FBorderWidth);
  }
}

void TToolbarPanel::resizeEvent(QResizeEvent* event) {
  // The new style's client width is a width from the left; what it leaves on the right
  // changes with the panel's width.
  AlignChildren();
  QWidget::resizeEvent(event);
}

void TToolbarPanel::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QPalette& colours = palette();
  const int w = width();
  const int h = height();
  switch (FViewStyle) {
    case tvsStandard: {
      const int top = FBevelTop == tbNone ? 0 : 2;
      const int bottom = FBevelBottom == tbNone ? 0 : 2;
      painter.fillRect(QRect(0, top, w, h - top - bottom), colours.color(QPalette::Button));
      if (FBevelTop != tbNone) {
        const auto [outer, inner] = BevelLines(FBevelTop);
        DrawRow(painter, 0, w, colours.color(outer));
        DrawRow(painter, 1, w, colours.color(inner));
      }
      if (FBevelBottom != tbNone) {
        const auto [upper, lower] = BevelLines(FBevelBottom);
        DrawRow(painter, h - 2, w, colours.color(upper));
        DrawRow(painter, h - 1, w, colours.color(lower));
      }
      break;
    }
    case tvsNewStyle: {
      const int raised = RaisedWidth();
      const QColor shadow = colours.color(QPalette::Dark);
      painter.fillRect(QRect(0, 1, w, h - 1), colours.color(QPalette::Button));
      DrawRow(painter, 0, w, shadow);
      DrawRow(painter, 1, raised, colours.color(QPalette::Light));
      painter.fillRect(QRect(raised - 1, 2, 1, h - 2), shadow);
      DrawRow(painter, h - 1, raised, shadow);
      break;
    }
    case tvsTitle:
      painter.fillRect(QRect(0, 1, w, h - 1), colours.color(QPalette::Button));
      DrawRow(painter, 0, w, colours.color(QPalette::Light));
      break;
  }
}

void TToolbarPanel::mousePressEvent(QMouseEvent* event) {
  // A click between the tool buttons does nothing, whatever the window below would do
  // with it; presses of the other buttons pass on to the window below as usual.
  if (event->button() == Qt::LeftButton) {
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

}  // namespace fx
