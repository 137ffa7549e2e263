#include "ui/SysLabel.h"

#include <QPainter>

#include <algorithm>

namespace fx {

TSysLabel::TSysLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setAutoFillBackground(true);
}

void TSysLabel::SetShowPath(bool value) {
  if (value == FShowPath) return;
  FShowPath = value;
  updateGeometry();
  update();
}

QString TSysLabel::ShownText() const {
  if (!FShowPath) return text();
  return fontMetrics().elidedText(text(), Qt::ElideMiddle, TextArea().width());
}

QSize TSysLabel::minimumSizeHint() const {
  const QSize usual = QLabel::minimumSizeHint();
  if (!FShowPath) return usual;
  const QMargins margins = contentsMargins();
  const int ellipsis = fontMetrics().horizontalAdvance(QStringLiteral("\u2026"));
  return QSize(std::min(usual.width(), ellipsis + margins.left() + margins.right()),
               usual.height());
}

QRect TSysLabel::TextArea() const {
  const int m = margin();
  return contentsRect().adjusted(m, m, -m, -m);
}

int TSysLabel::TextFlags() const {
  int flags = static_cast<int>(alignment());
  if (wordWrap() && !FShowPath) flags |= Qt::TextWordWrap;
  if (!FShowPath) flags |= Qt::TextShowMnemonic;
  return flags;
}

void TSysLabel::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  drawFrame(&painter);
  const QRect area = TextArea();
  const QString shown = ShownText();
  if (!FShowPath && !isEnabled()) {
    // Windows' disabled text: a highlight copy one pixel down and right, the text in the
    // shadow colour above it.
    painter.setPen(palette().color(QPalette::Light));
    painter.drawText(area.translated(1, 1), TextFlags(), shown);
    painter.setPen(palette().color(QPalette::Dark));
  } else {
    painter.setPen(palette().color(QPalette::WindowText));
  }
  painter.drawText(area, TextFlags(), shown);
}

}  // namespace fx
