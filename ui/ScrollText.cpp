#include "ui/ScrollText.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>

#include <utility>

#include "platform/QtTimer.h"

namespace fx {

namespace {

QString ToQt(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

TScrollText::TScrollText(QWidget* parent, std::unique_ptr<TTimer> timer)
    : QWidget(parent),
      FCore(timer ? std::move(timer) : TQtTimer::Make()),
      FFont(QStringLiteral("Arial"), 10),
      FColor(palette().color(QPalette::Button)) {
  // Every pixel is painted from the off-screen picture; nothing needs erasing first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(200, 20);
  FCore.OnChanged = [this] { update(); };
  FCore.OnPaint = [this] { update(); };
  FCore.OnBegin = [this] { emit Begin(); };
  FCore.OnStep = [this] { emit Step(); };
  FCore.OnEnd = [this] { emit End(); };
}

TScrollText::~TScrollText() {
  FCore.OnChanged = nullptr;
  FCore.OnPaint = nullptr;
  FCore.OnBegin = nullptr;
  FCore.OnStep = nullptr;
  FCore.OnEnd = nullptr;
}

void TScrollText::SetFont(const QFont& font) {
  if (font == FFont) return;
  FFont = font;
  update();
}

void TScrollText::SetFontColor(const QColor& colour) {
  if (colour == FFontColor) return;
  FFontColor = colour;
  update();
}

void TScrollText::SetColor(const QColor& colour) {
  if (colour == FColor) return;
  FColor = colour;
  update();
}

TScrollLayout TScrollText::Measure() const {
  const QFontMetrics metrics(FFont);
  std::vector<int> widths;
  for (const std::string& line : FCore.Items())
    widths.push_back(metrics.horizontalAdvance(ToQt(line)));
  return MeasureScrollText(metrics.height() + metrics.leading(), widths, FCore.TextStyle(),
                           FCore.Depth(), width(), height());
}

void TScrollText::paintEvent(QPaintEvent*) {
  QPixmap buffer(size() * devicePixelRatioF());
  buffer.setDevicePixelRatio(devicePixelRatioF());
  {
    QPainter painter(&buffer);
    painter.fillRect(rect(), FColor);
    PaintBlock(painter);
  }
  QPainter(this).drawPixmap(0, 0, buffer);
}

void TScrollText::PaintBlock(QPainter& painter) const {
  const TScrollLayout layout = Measure();
  const TScrollPoint start =
      ScrollStartPoint(layout, FCore.ScrollDirection(), FCore.Progress(), width(), height());
  const QFontMetrics metrics(FFont);
  const std::vector<TStyleCopy> copies = StyleCopies(FCore.TextStyle(), FCore.Depth());
  const QColor highlight = palette().color(QPalette::Light);
  const QColor shadow = palette().color(QPalette::Dark);
  painter.setFont(FFont);
  const std::vector<std::string>& items = FCore.Items();
  for (std::size_t i = 0; i < items.size(); ++i) {
    const QString text = ToQt(items[i]);
    const int x =
        start.X + LineIndent(FCore.Alignment(), layout.BlockWidth, metrics.horizontalAdvance(text));
    // Lines are placed by their top edge; Qt draws text from its base line.
    const int y = start.Y + static_cast<int>(i) * layout.LineHeight + metrics.ascent();
    for (const TStyleCopy& copy : copies) {
      painter.setPen(copy.Highlight ? highlight : shadow);
      painter.drawText(x + copy.Dx, y + copy.Dy, text);
    }
    painter.setPen(FFontColor);
    painter.drawText(x, y, text);
  }
}

}  // namespace fx
