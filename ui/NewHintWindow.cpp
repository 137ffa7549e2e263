#include "ui/NewHintWindow.h"

#include <QFontMetrics>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace fx {

TNewHintWindow::TNewHintWindow(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
  setPalette(QToolTip::palette());
  setFont(QToolTip::font());
  setBackgroundRole(QPalette::ToolTipBase);
  setForegroundRole(QPalette::ToolTipText);
}

int TNewHintWindow::TextFlags() {
  // No Qt::TextShowMnemonic: an "&" in a hint is shown as it stands.
  return Qt::AlignCenter | Qt::TextWordWrap;
}

QRect TNewHintWindow::CalcHintRect(int maxWidth, const QString& text) const {
  const int chrome = 2 * (kFrame + kHorizontalPadding);
  const int textWidth = std::max(1, maxWidth - chrome);
  const QRect bounds = fontMetrics().boundingRect(QRect(0, 0, textWidth, 0), TextFlags(), text);
  return QRect(0, 0, bounds.width() + chrome,
               bounds.height() + 2 * (kFrame + kVerticalPadding) + kActivateShrink);
}

void TNewHintWindow::ActivateHint(const QRect& rect, const QString& text, const QColor& color) {
  FText = text;
  QPalette colours = QToolTip::palette();
  if (color.isValid()) colours.setColor(QPalette::ToolTipBase, color);
  setPalette(colours);
  setGeometry(rect.adjusted(0, 0, 0, -kActivateShrink));
  show();
  update();
}

QColor TNewHintWindow::Color() const {
  return palette().color(QPalette::ToolTipBase);
}

void TNewHintWindow::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::ToolTipBase));
  painter.setPen(Qt::black);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  painter.setPen(palette().color(QPalette::ToolTipText));
  const int inset = kFrame + kHorizontalPadding;
  painter.drawText(rect().adjusted(inset, kFrame, -inset, -kFrame), TextFlags(), FText);
}

}  // namespace fx
